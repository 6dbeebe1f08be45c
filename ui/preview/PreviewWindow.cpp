#include "ui/preview/PreviewWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/GroupedNumber.h"
#include "extract/InflateCursor.h"
#include "ui/preview/HexView.h"
#include "ui/preview/ImageView.h"

namespace tessarin {

namespace {

constexpr TextEncoding kEncodings[] = {TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be,
                                       TextEncoding::Cp936};

QString Grouped(qint64 value) { return QString::fromStdString(GroupedThousands(value)); }

enum Page { kImagePage, kTextPage, kHexPage };

}  // namespace

// A tool window of its owner: the window manager keeps it above the main
// window, as the other windows of a resource browser.
PreviewWindow::PreviewWindow(QWidget* owner) : QWidget(owner, Qt::Tool), loader_(new PreviewLoader(this)) {
    setObjectName("PreviewWindow");
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(640, 480);

    message_ = new QLabel(this);
    message_->setObjectName("PreviewMessage");
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: #b00000;"));
    message_->hide();
    // Says that the text is cut; shown with the text only, not over its bytes.
    note_ = new QLabel(this);
    note_->setObjectName("PreviewNote");
    note_->setTextFormat(Qt::PlainText);
    note_->hide();

    pages_ = new QStackedWidget(this);
    image_ = new ImageView(pages_);
    text_ = new QPlainTextEdit(pages_);
    text_->setObjectName("PreviewText");
    text_->setReadOnly(true);
    // Read only, yet the keys move through it: Home, End, Ctrl+Home, Ctrl+End.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    hex_ = new HexView(pages_);
    pages_->insertWidget(kImagePage, image_);
    pages_->insertWidget(kTextPage, text_);
    pages_->insertWidget(kHexPage, hex_);

    status_ = new QLabel(this);
    status_->setObjectName("PreviewStatus");
    status_->setTextFormat(Qt::PlainText);
    encoding_ = new QComboBox(this);
    encoding_->setObjectName("PreviewEncoding");
    for (TextEncoding encoding : kEncodings) encoding_->addItem(EncodingName(encoding));
    encoding_->setFocusPolicy(Qt::NoFocus);
    hexToggle_ = new QToolButton(this);
    hexToggle_->setObjectName("PreviewHexToggle");
    hexToggle_->setText(QStringLiteral("十六进制"));
    hexToggle_->setCheckable(true);
    hexToggle_->setFocusPolicy(Qt::NoFocus);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(encoding_);
    bottom->addWidget(hexToggle_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(message_);
    layout->addWidget(note_);
    layout->addWidget(pages_, 1);
    layout->addLayout(bottom);

    // Esc and Space close, 0 fits the image to the window, 1 shows it at 100 %.
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Space}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &QWidget::close);
    }
    connect(new QShortcut(QKeySequence(Qt::Key_0), this), &QShortcut::activated, this, [this] {
        if (pages_->currentIndex() == kImagePage) image_->FitToWindow();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_1), this), &QShortcut::activated, this, [this] {
        if (pages_->currentIndex() == kImagePage) image_->SetZoom(1.0);
    });
    connect(loader_, &PreviewLoader::loaded, this, &PreviewWindow::OnLoaded);
    connect(hexToggle_, &QToolButton::toggled, this, [this] { ShowContent(); });
    connect(encoding_, &QComboBox::activated, this, [this](int index) {
        content_.encoding = kEncodings[index];
        content_.text = DecodeText(ShownText(content_.bytes, content_.encoding), content_.encoding);
        ShowText();
        UpdateStatus();
    });
    connect(loader_, &PreviewLoader::bytesLoaded, this, &PreviewWindow::OnBytes);
    connect(hex_, &HexView::bytesWanted, this, &PreviewWindow::ReadBytes);
    connect(image_, &ImageView::zoomChanged, this, &PreviewWindow::UpdateStatus);
}

PreviewWindow::~PreviewWindow() { loader_->Stop(); }

void PreviewWindow::ShowEntry(const QString& displayName, const PreviewRequest& request) {
    setWindowTitle(QStringLiteral("预览 - ") + displayName);
    // The image comes fitted to the room it will have: the pages' room, laid
    // out now (the window may not be shown yet, the image page hidden). The
    // reading starts before the window is shown, which takes a while the
    // first time.
    layout()->activate();
    const int frame = 2 * image_->frameWidth();
    request_ = request;
    request_.room = pages_->size() - QSize(frame, frame);
    Request();
    if (!placed_ && parentWidget()) {
        PlaceBesideOwner();
        placed_ = true;
    }
    if (!isVisible()) show();
}

void PreviewWindow::PlaceBesideOwner() {
    // Beside the main window's right edge, else its left edge, else over its
    // right part; always inside the screen that holds the main window.
    QWidget* owner = parentWidget()->window();
    const QRect frame = owner->frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen) screen = owner->screen();
    const QRect room = screen ? screen->availableGeometry() : frame;
    // The frame the window manager adds around this window: until it is shown,
    // the one it put around the main window.
    const QSize extra = isVisible() ? frameGeometry().size() - size() : frame.size() - owner->size();
    const QSize outer = (size() + extra).boundedTo(room.size());
    resize(outer - extra);
    int x = frame.right() + 1;
    if (x + outer.width() - 1 > room.right()) x = frame.left() - outer.width();
    if (x < room.left()) x = room.right() - outer.width() + 1;
    const int y = std::clamp(frame.top() + 40, room.top(), room.bottom() - outer.height() + 1);
    move(std::max(x, room.left()), y);
}

void PreviewWindow::Request() {
    ++ticket_;
    loading_ = true;
    status_->setText(QStringLiteral("正在读取…"));
    loader_->Start(request_, ticket_);
}

void PreviewWindow::StopReading() {
    loader_->Stop();
    loading_ = false;
    // What follows may close or rewrite the archive: the bytes view reads no
    // further until the entry is read again.
    content_.rest.reset();
}

void PreviewWindow::Clear() {
    StopReading();
    ++ticket_;
    content_ = PreviewContent();
    setWindowTitle(QStringLiteral("预览"));
    message_->clear();
    message_->hide();
    note_->hide();
    // Says that the text is cut; shown with the text only, not over its bytes.
    note_ = new QLabel(this);
    note_->setObjectName("PreviewNote");
    note_->setTextFormat(Qt::PlainText);
    note_->hide();
    image_->SetImage(QImage());
    text_->clear();
    hex_->SetBytes({}, 0);
    status_->clear();
}

void PreviewWindow::ReadBytes(qint64 at, qint64 count) {
    if (loading_ || !content_.rest) return;
    loader_->StartBytes(content_.rest, at, count, content_.entrySize, ticket_);
}

void PreviewWindow::OnBytes(quint64 ticket, qint64 at, const QByteArray& bytes, qint64 end, const QString& message) {
    if (ticket != ticket_ || loading_) return;
    if (end >= 0) hex_->SetTotal(end);
    hex_->AddBytes(at, bytes);
    if (!message.isEmpty()) AddMessage(message);
    UpdateStatus();
    emit bytesShown();
}

void PreviewWindow::AddMessage(const QString& message) {
    if (content_.message.contains(message)) return;
    content_.message += (content_.message.isEmpty() ? "" : "\n") + message;
    message_->setText(content_.message);
    message_->show();
}

void PreviewWindow::OnLoaded(quint64 ticket, const PreviewContent& content) {
    if (ticket != ticket_) return;
    loading_ = false;
    content_ = content;
    message_->setText(content.message);
    message_->setVisible(!content.message.isEmpty());
    hexToggle_->setEnabled(content.kind != PreviewKind::Bytes);
    if (content.kind == PreviewKind::Bytes) hexToggle_->setChecked(false);
    // With more to read the rows cover the entry (as far as its end is known).
    const qint64 end = content.rest ? content.rest->End().at : -1;
    hex_->SetBytes(content.bytes, !content.rest ? content.bytes.size() : end >= 0 ? end : content.entrySize);
    hex_->verticalScrollBar()->setValue(0);
    if (content.kind == PreviewKind::Image) {
        image_->SetImage(content.image, content.fitted);
        image_->FitToWindow();
    } else {
        image_->SetImage(QImage());
    }
    if (content.kind == PreviewKind::Text) {
        encoding_->setCurrentIndex(static_cast<int>(std::find(std::begin(kEncodings), std::end(kEncodings),
                                                              content.encoding) - std::begin(kEncodings)));
        ShowText();
    } else {
        text_->clear();
        note_->clear();
    }
    ShowContent();
    UpdateStatus();
    emit shown();
}

void PreviewWindow::ShowText() {
    text_->setPlainText(content_.text);
    content_.text.clear();  // the view holds its own copy
    lineEnds_ = LineEnds(content_.bytes, content_.encoding);
    note_->setText(TextCut(content_) ? QStringLiteral("只显示前 %1 MiB").arg(kPreviewTextShown >> 20) : QString());
}

void PreviewWindow::ShowContent() {
    encoding_->setVisible(content_.kind == PreviewKind::Text && !hexToggle_->isChecked());
    if (hexToggle_->isChecked() || content_.kind == PreviewKind::Bytes) {
        pages_->setCurrentIndex(kHexPage);
    } else {
        pages_->setCurrentIndex(content_.kind == PreviewKind::Image ? kImagePage : kTextPage);
    }
    note_->setVisible(pages_->currentIndex() == kTextPage && !note_->text().isEmpty());
}

void PreviewWindow::UpdateStatus() {
    if (loading_) return;
    const QString size = Grouped(content_.entrySize) + QStringLiteral(" 字节");
    switch (content_.kind) {
    case PreviewKind::Image:
        status_->setText(QStringLiteral("%1  %2 × %3  %4  %5%")
                             .arg(content_.format)
                             .arg(content_.image.width())
                             .arg(content_.image.height())
                             .arg(size)
                             .arg(qRound(image_->Zoom() * 100)));
        break;
    case PreviewKind::Text:
        status_->setText(EncodingName(content_.encoding) + QStringLiteral("  ") +
                         lineEnds_ + QStringLiteral("  ") + size);
        break;
    case PreviewKind::Bytes:
        status_->setText(content_.complete ? size
                                           : size + QStringLiteral("（已读 ") + Grouped(hex_->ReadUpTo()) +
                                                 QStringLiteral(" 字节）"));
        break;
    }
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    // Hidden, not destroyed: the next preview opens where this one was.
    loader_->Stop();
    loading_ = false;
    event->accept();
}

}  // namespace tessarin
