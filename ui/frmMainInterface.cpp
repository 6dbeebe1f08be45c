// frmMain as the commands see it: the IMainWindow operations.
#include <QDir>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDialog>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "core/MessageTexts.h"
#include "app/ExportCommands.h"
#include "replace/UndoCopy.h"
#include "ui/treeview/EntryFilterBox.h"
#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"
#include "ui/FindDialog.h"
#include "ui/ModalPrompts.h"
#include "ui/PickerFilter.h"
#include "ui/preview/PreviewWindow.h"
#include "ui/QtText.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"
#include "ui/frmInfo.h"
#include "ui/frmMain.h"

namespace tessarin {

namespace {

// The open dialog's answer: the path, a NUL, then the rest of its 255-byte buffer.
constexpr std::size_t kOpenBufferSize = 255;

std::string WithBufferFiller(std::string path) {
    path.push_back('\0');
    if (path.size() < kOpenBufferSize) path.append(kOpenBufferSize - path.size(), ' ');
    return path;
}

// A window title shows "[*]" only when doubled; Qt reads a single one as the
// modified-document marker.
QString TitleText(const std::string& caption) {
    QString title = ToQString(caption);
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return title;
}

}  // namespace

QWidget* frmMain::DialogParent() {
    // A message raised from a dialog (frmInfo's buttons) belongs over that dialog.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return this;
}

void frmMain::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    // Once the window has closed nothing more is shown: a box with no window
    // behind it would keep the program alive.
    if (Ending()) return;
    prompts_->Message(DialogParent(), ToQString(WithNewlines(text)), icon, ToQString(title));
}

void frmMain::SetCaption(const std::string& caption) {
    caption_ = caption;
    setWindowTitle(TitleText(caption));
}

void frmMain::SetPanelText(int panel, const std::string& text) {
    if (panel == 2) {
        panel2Text_ = text;
        ShowPanel2Text();
        return;
    }
    if (panel == 1) panel1Text_ = ToQString(text);
    if (QLabel* label = Panel(panel)) label->setText(ToQString(text));
}

std::string frmMain::PanelText(int panel) const {
    if (panel == 2) return panel2Text_;
    const QLabel* label = Panel(panel);
    return label ? FromQString(label->text()) : std::string();
}

void frmMain::ShowPanel2Text() {
    // The archive's name is cut with "…" to fit, never mid-letter; the tooltip
    // gives the archive's full path.
    QLabel* label = panels_[1];
    const QString full = ToQString(panel2Text_);
    const int room = label->contentsRect().width() - 2 * label->indent() - 2;
    // The lead ("ARC File: ") stays whole; the name loses its middle, so its
    // start and its extension still show.
    const qsizetype cut = full.indexOf(QStringLiteral(": "));
    const QString lead = cut < 0 ? QString() : full.left(cut + 2);
    const QFontMetrics metrics = label->fontMetrics();
    const int nameRoom = room - metrics.horizontalAdvance(lead);
    label->setText(room > 0 && metrics.horizontalAdvance(full) > room
                       ? lead + metrics.elidedText(full.mid(lead.size()), Qt::ElideMiddle, std::max(nameRoom, 0))
                       : full);
    const bool open = !panel2Text_.empty() && program_ && !program_->arc.OpenArcPath.empty();
    label->setToolTip(open ? PathToQString(program_->arc.OpenArcPath) : QString());
}

void frmMain::SetProgressVisible(int bar, bool visible) {
    if (QProgressBar* b = ProgressBar(bar)) {
        b->setVisible(visible);
        if (visible) b->raise();
    }
}

void frmMain::SetProgressWidth(int bar, int twips) {
    if (QProgressBar* b = ProgressBar(bar)) b->resize(std::max(0, TwipsToPixels(twips)), b->height());
}

void frmMain::SetProgressMin(int bar, int value) {
    if (QProgressBar* b = ProgressBar(bar)) b->setMinimum(value);
}

void frmMain::SetProgressMax(int bar, int value) {
    if (QProgressBar* b = ProgressBar(bar)) b->setMaximum(value);
}

void frmMain::SetProgressValue(int bar, int value) {
    QProgressBar* b = ProgressBar(bar);
    if (!b) return;
    barValue_[bar] = value;
    // Drawing the bar costs more than a directory record: it is redrawn at
    // most 30 times a second, and always at its ends.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (value <= b->minimum() || value >= b->maximum() || now - barShownAt_[bar] >= 33 || !b->isVisible()) {
        barShownAt_[bar] = now;
        b->setValue(value);
    } else if (!barTimer_->isActive()) {
        barTimer_->start();  // the value held back is shown when the window next gets to draw
    }
}

void frmMain::ShowHeldBackProgress() {
    barTimer_->stop();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int bar : {1, 2}) {
        if (ProgressBar(bar)->value() == barValue_[bar]) continue;
        barShownAt_[bar] = now;
        ProgressBar(bar)->setValue(barValue_[bar]);
    }
}

void frmMain::TreeBeginReset() {
    // The tree is read anew (another archive, or none): the preview forgets its entry.
    if (preview_) preview_->Clear();
    if (model_) model_->BeginReset();
}

void frmMain::TreeEndReset() {
    if (!model_ || !model_->Resetting()) return;
    model_->EndReset();
    // Selection, expansion and scrolling asked for during the reset.
    const NodeId select = std::exchange(pendingSelect_, kNoNode);
    const NodeId visible = std::exchange(pendingVisible_, kNoNode);
    const std::vector<NodeId> expands = std::exchange(pendingExpands_, {});
    if (select != kNoNode) TreeSelect(select);
    for (NodeId node : expands) TreeExpand(node);
    if (visible != kNoNode) TreeEnsureVisible(visible);
    // A new tree takes the keys: the first arrow key moves from the root.
    TreeView1->setFocus();
}

void frmMain::TreeSelect(NodeId node) {
    if (!model_) return;
    if (model_->Resetting()) {
        pendingSelect_ = node;
        return;
    }
    QModelIndex index = model_->IndexOf(node);
    if (!index.isValid() && !model_->Filter().empty() && node >= 0 &&
        static_cast<std::size_t>(node) < program_->tree.Size()) {
        // A node the filter hides (one found, say) is shown by clearing the filter.
        filterBox_->clear();
        index = model_->IndexOf(node);
    }
    if (index.isValid()) {
        TreeView1->selectionModel()->setCurrentIndex(index,
                                                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void frmMain::TreeEnsureVisible(NodeId node) {
    if (!model_) return;
    if (model_->Resetting()) {
        pendingVisible_ = node;
        return;
    }
    const QModelIndex index = model_->IndexOf(node);
    if (index.isValid()) TreeView1->scrollTo(index);
}

void frmMain::TreeExpand(NodeId node) {
    if (!model_) return;
    if (model_->Resetting()) {
        pendingExpands_.push_back(node);
        return;
    }
    const QModelIndex index = model_->IndexOf(node);
    if (index.isValid()) TreeView1->expand(index);
}

NodeId frmMain::TreeSelected() const {
    if (!model_) return kNoNode;
    if (model_->Resetting()) return pendingSelect_;
    // The current node while it is selected; else (Ctrl+click took it out of
    // the selection) a node still selected.
    const QItemSelectionModel* selection = TreeView1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), current.parent()))
        return EntryTreeModel::NodeOf(current);
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? kNoNode : EntryTreeModel::NodeOf(rows.first());
}

std::vector<NodeId> frmMain::TreeSelection() const {
    if (!model_) return {};
    if (model_->Resetting()) return IMainWindow::TreeSelection();
    std::vector<NodeId> nodes;
    for (const QModelIndex& row : TreeView1->selectionModel()->selectedRows())
        nodes.push_back(EntryTreeModel::NodeOf(row));
    return nodes;
}

void frmMain::TreeBeginEdit() {
    StopPreviewReading();
    if (model_) model_->BeginEdit();
}

void frmMain::TreeEndEdit() {
    if (model_) model_->EndEdit();
}

void frmMain::TreeBeginRemove(NodeId node) {
    if (model_) model_->BeginRemove(node);
}

void frmMain::TreeEndRemove() {
    if (model_) model_->EndRemove();
}

void frmMain::TreeBeginInsert(NodeId parent) {
    if (model_) model_->BeginInsert(parent);
}

void frmMain::TreeEndInsert() {
    if (model_) model_->EndInsert();
}

void frmMain::TreeNodeChanged(NodeId node) {
    if (model_) model_->NodeChanged(node);
}

std::vector<NodeId> frmMain::TreeExpandedNodes() const {
    return model_ && !model_->Resetting() ? model_->ExpandedNodes() : std::vector<NodeId>{};
}

void frmMain::SetMenuEnabled(const std::string& name, bool enabled) {
    if (QAction* action = MenuAction(name)) action->setEnabled(enabled);
}

void frmMain::SetButtonEnabled(int index, bool enabled) {
    QAction* action = ToolbarAction(index);
    if (action && !action->isSeparator()) action->setEnabled(enabled);
}

int frmMain::Check1Value() const { return Check1->isChecked() ? 1 : 0; }

void frmMain::SetMainEnabled(bool enabled) {
    // Everything but ProgressBar2 and the stop button: the bar stays readable
    // and the work can still be stopped; closing the window stays possible.
    mainEnabled_ = enabled;
    for (QWidget* w : std::initializer_list<QWidget*>{menuBar(), tbToolBar, TreeView1, sbStatusBar, ProgressBar1})
        w->setEnabled(enabled);
    if (findDialog_) findDialog_->setEnabled(enabled);
    // Long work may rewrite the archive: the preview stops reading until it ends.
    if (preview_) {
        if (!enabled) StopPreviewReading();
        preview_->setEnabled(enabled);
    }
}

std::string frmMain::ShowOpenDialog(WindowHandle owner, const std::string& filter, const std::string& title) {
    if (Ending()) return {};
    if (startAnswer_) return WithBufferFiller(*std::exchange(startAnswer_, std::nullopt));
    OpenFileRequest request;
    request.owner = OwnerWidget(owner);
    request.caption = ToQString(title);
    request.filters = ToQtNameFilters(ToQString(filter));
    // Each picker (told by its filter) starts where it was last used.
    const QString picker = QStringLiteral("open:") + ToQString(filter);
    request.initialFolder = recent_.LastFolder(picker);
    const QString path = prompts_->OpenFile(request);
    if (path.isEmpty()) return std::string();
    recent_.SetLastFolder(picker, QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    return WithBufferFiller(PathFromQString(path));
}

std::string frmMain::BrowseForFolder(WindowHandle owner, const std::string& prompt, const std::string& initialFolder,
                                     std::int32_t /*flags*/) {
    if (Ending()) return {};
    FolderRequest request;
    request.owner = OwnerWidget(owner);
    // The prompt's line breaks cannot stand in a window title.
    request.caption = ToQString(WithNewlines(prompt)).replace(QChar('\n'), QChar(' ')).simplified();
    std::string initial = initialFolder;
    if (initial.size() > 1 && (initial.back() == '\\' || initial.back() == '/')) initial.pop_back();
    // Without a folder of the caller's, each picker (told by its prompt) starts where it was last used.
    const QString picker = QStringLiteral("folder:") + ToQString(prompt);
    request.initialFolder = initial.empty() ? recent_.LastFolder(picker) : PathToQString(initial);
    const QString folder = prompts_->Folder(request);
    if (folder.isEmpty()) return std::string();
    recent_.SetLastFolder(picker, folder);
    return PathFromQString(folder);
}

TreeMenuChoice frmMain::PopupTreeMenu() {
    if (Ending()) return TreeMenuChoice::None;
    // Replace, properties and the preview take one entry; a folder is exported,
    // added to, deleted or renamed.
    const TreeNode* node = program_ ? program_->SelectedNode() : nullptr;
    const bool entry = node && IsEntryKey(node->key);
    for (const char* name : {"repalcefile", "fproperty", "npreview"})
        tvwmenu->findChild<QAction*>(name)->setEnabled(entry);
    const QAction* chosen = prompts_->Popup(*tvwmenu, popupAt_.value_or(QCursor::pos()));
    if (!chosen) return TreeMenuChoice::None;
    const QString name = chosen->objectName();
    if (name == "expfile") return TreeMenuChoice::ExpFile;
    if (name == "repalcefile") return TreeMenuChoice::RepalceFile;
    if (name == "fproperty") return TreeMenuChoice::FProperty;
    // The 对象 menu's item runs once the right click has been handled.
    const std::string item = name.toStdString();
    if (item == "npreview" || item == "naddfile" || item == "ndelete" || item == "nrename")
        QTimer::singleShot(0, this, [this, item] { OnMenu(item); });
    return TreeMenuChoice::None;
}

void frmMain::Showinfo(const InfoTexts& texts) {
    if (Ending()) return;
    frmInfo dialog(texts, this);
    const WindowHandle handle = RegisterOwner(&dialog);
    connect(&dialog, &frmInfo::exportClicked, this, [this, handle] {
        if (program_) RunCommand(*program_, [&] { ExtSub(*program_, handle); });
    });
    connect(&dialog, &frmInfo::replaceClicked, this, [this, handle] {
        if (program_) RunCommand(*program_, [&] { ReplaceFile(*program_, handle); });
    });
    prompts_->Exec(dialog);
    UnregisterOwner(handle);
}

void frmMain::ShowAbout() {
    frmAbout dialog(this);
    prompts_->Exec(dialog);
}

void frmMain::BeginLongWork() {
    stopRequested_ = false;
    longWork_ = true;
    stopButton_->show();
    stopButton_->raise();
    escape_->setEnabled(true);
}

void frmMain::EndLongWork() {
    longWork_ = false;
    stopButton_->hide();
    escape_->setEnabled(false);
}

FailureChoice frmMain::AskAfterFailure(const std::string& text, const std::string& title) {
    if (Ending() || stopRequested_) return FailureChoice::Stop;
    const int chosen = prompts_->Choose(DialogParent(), ToQString(WithNewlines(text)), MsgIcon::Stop, ToQString(title),
                                        {QStringLiteral("继续"), QStringLiteral("继续，不再提示"), QStringLiteral("停止")});
    if (chosen == 0) return FailureChoice::GoOn;
    if (chosen == 1) return FailureChoice::GoOnQuietly;
    return FailureChoice::Stop;
}

bool frmMain::AskYesNo(const std::string& text, const std::string& title) {
    if (Ending()) return false;
    return prompts_->Choose(DialogParent(), ToQString(WithNewlines(text)), MsgIcon::Question, ToQString(title),
                            {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")}) == 0;
}

void frmMain::ShowReport(const std::string& title, const std::string& summary,
                         const std::vector<std::string>& lines) {
    if (Ending()) return;
    QDialog dialog(DialogParent());
    dialog.setObjectName("ReportDialog");
    dialog.setWindowTitle(ToQString(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(ToQString(summary), &dialog);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    if (!lines.empty()) {
        auto* list = new QPlainTextEdit(&dialog);
        list->setObjectName("ReportLines");
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        QStringList texts;
        for (const std::string& line : lines) texts << ToQString(line);
        list->setPlainText(texts.join('\n'));
        layout->addWidget(list);
        dialog.resize(560, 320);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    prompts_->Exec(dialog);
}

void frmMain::DoEvents() {
    const qint64 shown = std::max(barShownAt_[1], barShownAt_[2]);
    if (barTimer_->isActive() && QDateTime::currentMSecsSinceEpoch() - shown >= 33) ShowHeldBackProgress();
    QCoreApplication::processEvents();
}

void frmMain::EndProgram() {
    if (program_) {
        program_->ending = true;
        // However the run ends, the previous version kept for 撤销 goes with it.
        DropUndoCopy(*program_);
    }
    if (endAction_) endAction_();
}

}  // namespace tessarin
