#include "ui/frmInfo.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "replace/Properties.h"
#include "ui/Icons.h"
#include "ui/QtText.h"

namespace tessarin {

namespace {

constexpr int kFrameLeft = 8;
constexpr int kFrameTop = 6;
constexpr int kFrameWidth = frmInfo::kWidth - 2 * kFrameLeft;
constexpr int kFrameHeight = 250;
constexpr int kLabelLeft = 14;
constexpr int kFieldLeft = 92;
constexpr int kFieldWidth = kFrameWidth - kFieldLeft - 12;
constexpr int kRowHeight = 20;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

}  // namespace

frmInfo::frmInfo(const InfoTexts& texts, QWidget* parent) : QDialog(parent) {
    setObjectName("frmInfo");
    setWindowTitle(QString::fromUtf8(" 属性"));
    // A fixed dialog border: no minimise or maximise, no task bar button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kWidth, kHeight);
    setModal(true);

    auto* frame = new QGroupBox(QString::fromUtf8("常规"), this);
    frame->setObjectName("Frame1");
    frame->setGeometry(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight);

    auto* picture = new QLabel(frame);
    picture->setObjectName("Picture1");
    picture->setPixmap(RenderPicture(":/icons/page_red.svg", 32));
    picture->setGeometry(kLabelLeft, 24, 32, 32);

    // Text1 sits in the rectangle Shape1 and keeps the window colour.
    auto* shape = new QFrame(frame);
    shape->setObjectName("Shape1");
    shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape->setGeometry(kFieldLeft - 4, 28, kFieldWidth + 4, 24);
    AddField(frame, 1, QRect(kFieldLeft - 2, 30, kFieldWidth, kRowHeight), false);

    AddLine(frame, "Line1", 66, QFrame::Sunken);
    AddLine(frame, "Line2", 67, QFrame::Plain)->hide();  // the etched line is one sunken line here
    AddLabel(frame, 1, "文件类型:", 78);
    AddField(frame, 2, QRect(kFieldLeft, 78, kFieldWidth, kRowHeight), true);
    AddLabel(frame, 2, "文件标识:", 104);
    AddField(frame, 3, QRect(kFieldLeft, 104, kFieldWidth, kRowHeight), true);

    AddLine(frame, "Line3", 136, QFrame::Sunken);
    AddLine(frame, "Line4", 137, QFrame::Plain)->hide();
    AddLabel(frame, 3, "位置:", 150);
    AddField(frame, 4, QRect(kFieldLeft, 150, kFieldWidth, kRowHeight), true);
    AddLabel(frame, 4, "偏移地址:", 178);
    AddField(frame, 5, QRect(kFieldLeft, 178, kFieldWidth, kRowHeight), true);
    AddLabel(frame, 5, "文件大小:", 206);
    AddField(frame, 6, QRect(kFieldLeft, 206, kFieldWidth, kRowHeight), true);

    const char* captions[] = {"导出(&E)", "替换(&I)", "确定"};
    QPushButton* buttons[3] = {};
    const int buttonTop = kFrameTop + kFrameHeight + 12;
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        buttons[i]->setObjectName(QStringLiteral("Command%1").arg(i + 1));
        buttons[i]->setAutoDefault(false);
        buttons[i]->setGeometry(kWidth - kFrameLeft - (3 - i) * (kButtonWidth + 6) + 6, buttonTop, kButtonWidth,
                                kButtonHeight);
    }
    buttons[2]->setDefault(true);
    connect(buttons[0], &QPushButton::clicked, this, &frmInfo::exportClicked);
    connect(buttons[1], &QPushButton::clicked, this, &frmInfo::replaceClicked);
    connect(buttons[2], &QPushButton::clicked, this, &QDialog::accept);

    text_[0]->setText(ToQString(texts.filename));
    text_[1]->setText(ToQString(texts.Filetype));
    text_[2]->setText(ToQString(texts.FiletypeHex));
    text_[3]->setText(ToQString(texts.Filepath));
    text_[4]->setText(ToQString(texts.FileOFSET));
    text_[5]->setText(ToQString(SizeText(texts.Filesize)));
    for (QLineEdit* field : text_) field->setCursorPosition(0);  // long names show their start
    buttons[2]->setFocus();

    if (parent) move(parent->geometry().center() - QPoint(kWidth / 2, kHeight / 2));
}

QLineEdit* frmInfo::AddField(QWidget* parent, int n, const QRect& geometry, bool faceColoured) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("Text%1").arg(n));
    field->setReadOnly(true);
    field->setFrame(false);
    field->setGeometry(geometry);
    if (faceColoured) {
        // The dialog's face colour: the field reads like a label.
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        field->setPalette(palette);
    }
    text_[n - 1] = field;
    return field;
}

QLabel* frmInfo::AddLabel(QWidget* parent, int n, const char* caption, int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QStringLiteral("Label%1").arg(n));
    label->setGeometry(kLabelLeft, top, kFieldLeft - kLabelLeft - 4, kRowHeight);
    return label;
}

QFrame* frmInfo::AddLine(QWidget* parent, const char* name, int top, QFrame::Shadow shadow) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(shadow);
    line->setGeometry(kLabelLeft, top, kFrameWidth - 2 * kLabelLeft, 2);
    return line;
}

}  // namespace tessarin
