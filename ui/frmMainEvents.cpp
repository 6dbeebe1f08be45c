// frmMain's event handlers: load and unload, the menus, the toolbar and the tree.
#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <unordered_set>

#include "app/Commands.h"
#include "app/DropFiles.h"
#include "app/EditCommands.h"
#include "app/OpenClose.h"
#include "app/TreeEvents.h"
#include "core/ExtTypes.h"
#include "ui/ArchiveCompareWindow.h"
#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "extract/EntrySource.h"
#include "ui/treeview/EntryFilterBox.h"
#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"
#include "ui/FindDialog.h"
#include "ui/Icons.h"
#include "ui/ModalPrompts.h"
#include "ui/QtText.h"
#include "ui/preview/PreviewWindow.h"
#include "ui/frmMain.h"

namespace tessarin {

namespace {

// The data of an entry dragged out of the tree: a file URL, the file being
// exported only when the drop target first asks for it (so a drag that ends
// nowhere costs nothing), and once.
class EntryDragData : public QMimeData {
public:
    explicit EntryDragData(std::function<std::string()> exportFile) : export_(std::move(exportFile)) {}

    QStringList formats() const override { return {QStringLiteral("text/uri-list")}; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override {
        if (mimeType != QLatin1String("text/uri-list")) return {};
        if (!exported_) {
            exported_ = true;
            const std::string path = export_();
            if (!path.empty()) url_ = QUrl::fromLocalFile(PathToQString(path));
        }
        if (url_.isEmpty()) return {};
        return QVariantList{url_};
    }

private:
    std::function<std::string()> export_;
    mutable bool exported_ = false;
    mutable QUrl url_;
};

}  // namespace

void frmMain::Attach(Program& program) {
    program_ = &program;
    model_ = new EntryTreeModel(program.tree, TreeImages(), this, &program.arc.ArcEntries);
    TreeView1->setModel(model_);
    filterBox_->SetModel(model_);
    // Space, a double click on an entry, or 预览 open the preview.
    // Space again closes it, as a quick look does.
    connect(TreeView1, &EntryTreeView::previewKeyPressed, this, [this] {
        if (preview_ && preview_->isVisible()) {
            preview_->close();
        } else {
            PreviewSelected(true);
        }
    });
    connect(TreeView1, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (model_->Record(EntryTreeModel::NodeOf(index))) PreviewSelected(true);
    });
    // The editor has closed by the time the rename runs (it may rebuild the tree).
    connect(model_, &EntryTreeModel::renameRequested, this, [this](NodeId node, const QString& text) {
        if (!program_ || !program_->tree.Alive(node)) return;
        const std::string key = program_->tree.Node(node).key;
        const std::string name = FromQString(text);
        QTimer::singleShot(0, this, [this, key, name] { RenameEdited(key, name); });
    });
    // A refused name is said while the editor stays open with it.
    TreeView1->SetNameCheck([this](const QModelIndex& index, const QString& text) {
        const NodeId node = EntryTreeModel::NodeOf(index);
        if (!program_ || !program_->tree.Alive(node) || node == program_->tree.Root()) return QString();
        const std::string name = FromQString(text);
        if (name == program_->tree.Node(node).text) return QString();
        return ToQString(PlanRename(*program_, node, name).refusal);
    });
    connect(TreeView1, &EntryTreeView::nameRefused, this,
            [this](const QString& why) { MsgBox(FromQString(why), MsgIcon::Warning, kProgramTitle); });
    connect(TreeView1, &QTreeView::expanded, model_, [this](const QModelIndex& i) { model_->SetExpanded(i, true); });
    connect(TreeView1, &QTreeView::collapsed, model_, [this](const QModelIndex& i) { model_->SetExpanded(i, false); });
    // A click or a key counts for the node the commands act on: the clicked
    // one, unless Ctrl took it out of the selection.
    const auto clickSelected = [this](const QModelIndex& index) {
        const NodeId selected = TreeSelected();
        if (program_ && index.isValid() && selected != kNoNode) NodeClick(*program_, selected);
    };
    connect(TreeView1, &QAbstractItemView::clicked, this, clickSelected);
    // A press, a drag or a key that moves the selection counts as a click on
    // the newly selected node.
    connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmMain::SelectionChangedByUser);
    // A drag over several rows selects them before it moves the current node.
    connect(TreeView1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (TreeSelected() != handledCurrent_) SelectionChangedByUser();
    });
    connect(TreeView1, &EntryTreeView::contextMenuKeyPressed, this, &frmMain::ContextMenuFromKeyboard);
    TreeView1->SetDragData([this](const QModelIndex& index) { return DragDataFor(EntryTreeModel::NodeOf(index)); });
    connect(TreeView1, &EntryTreeView::filesDropped, this, [this](const QModelIndex& index, const QStringList& files) {
        std::vector<std::string> paths;
        for (const QString& file : files) paths.push_back(PathFromQString(file));
        DropFiles(index.isValid() ? EntryTreeModel::NodeOf(index) : kNoNode, paths);
    });
    connect(TreeView1, &EntryTreeView::keyboardMovedTo, this, clickSelected);
    connect(TreeView1, &EntryTreeView::rightButtonReleased, this,
            [this](const QModelIndex& index, int shift, const QPoint&) {
                if (!program_) return;
                StopPreviewReading();
                TreeMouseUp(*program_, 2, shift, EntryTreeModel::NodeOf(index));
                PreviewSelected(false);
            });
}

void frmMain::Load() {
    if (!program_) return;
    const ExtTypeLoadReport report = LoadExtTypes(program_->ExtTypes);
    // The table stays usable either way; the user learns what was not read.
    if (!report.error.empty()) {
        MsgBox(report.error, MsgIcon::Warning, kProgramTitle);
    } else if (!report.skippedLines.empty()) {
        std::string lines;
        for (int line : report.skippedLines) lines += (lines.empty() ? "" : ", ") + std::to_string(line);
        MsgBox(std::string("类型表 ") + kExtTypeFileName + " 的第 " + lines + " 行没有 \":\"，已跳过。",
               MsgIcon::Warning, kProgramTitle);
    }
}

void frmMain::OpenAtStart(const std::string& path) {
    if (!program_ || path.empty()) return;
    startAnswer_ = path;
    OnMenu("nopen");
    startAnswer_.reset();
}

void frmMain::OnMenu(const std::string& name) {
    QAction* action = MenuAction(name);
    if (!program_ || !action || !action->isEnabled() || !mainEnabled_ || Ending()) return;
    // A shortcut reaches its item only while the item's menu is enabled too.
    const auto menu = menuOf_.find(name);
    if (menu != menuOf_.end() && !MenuAction(menu->second)->isEnabled()) return;
    if (name == "nexit") {
        close();  // the Unload handler ends the program
        return;
    }
    if (name == "nfind") {
        ShowFindDialog();
        return;
    }
    if (name == "nfindnext") {
        FindNext();
        return;
    }
    if (name == "npreview") {
        PreviewSelected(true);
        return;
    }
    // The preview's workers read the archive: they stop before a command may
    // close or rewrite it, and the preview reads again afterwards.
    StopPreviewReading();
    if (name == "nnew") {
        NewArchive();
    } else if (name == "ncompare") {
        CompareOpenArchive(*this, *program_);
    } else if (name == "naddfile" || name == "nrename") {
        EditSelected(name);
    } else {
        MenuClick(*program_, name);
    }
    NoteOpenedArchive();
    if (model_) model_->RecountSums();
    PreviewSelected(false);
}

void frmMain::EditSelected(const std::string& name) {
    const TreeNode* node = program_->SelectedNode();
    if (node == nullptr || !program_->ArchiveIsOpen()) return;
    if (name == "naddfile") {
        OpenFileRequest request;
        request.owner = this;
        request.caption = QString::fromUtf8("添加文件");
        const QStringList files = prompts_->OpenFiles(request);
        std::vector<std::string> paths;
        for (const QString& file : files) paths.push_back(PathFromQString(file));
        if (!paths.empty()) RunCommand(*program_, [&] { AddFilesToSelected(*program_, paths); });
        return;
    }
    // The name is edited in the tree; committing it renames (see RenameEdited).
    const QModelIndex index = model_ ? model_->IndexOf(TreeSelected()) : QModelIndex();
    if (node->key == kRootKey || !index.isValid()) return;
    TreeView1->scrollTo(index);
    TreeView1->setFocus();
    TreeView1->edit(index);
}

void frmMain::RenameEdited(const std::string& key, const std::string& text) {
    if (!program_ || !mainEnabled_ || Ending() || !program_->ArchiveIsOpen()) return;
    const NodeId node = program_->tree.Find(key);
    if (node == kNoNode) return;
    // The command renames the selected node: the one edited.
    if (TreeSelected() != node) TreeSelect(node);
    StopPreviewReading();
    RunCommand(*program_, [&] { RenameSelected(*program_, text); });
    if (model_) model_->RecountSums();
    PreviewSelected(false);
}

void frmMain::OnToolbar(int index) {
    QAction* action = ToolbarAction(index);
    if (!program_ || !action || !action->isEnabled() || !mainEnabled_ || Ending()) return;
    StopPreviewReading();
    ToolbarClick(*program_, index);
    NoteOpenedArchive();
    if (model_) model_->RecountSums();
    PreviewSelected(false);
}

void frmMain::NoteOpenedArchive() {
    if (!program_ || !program_->ArchiveIsOpen()) {
        notedArchive_.clear();
        // The filter belongs to the archive it was typed for.
        filterBox_->Forget();
        return;
    }
    if (program_->arc.OpenArcPath == notedArchive_) return;
    notedArchive_ = program_->arc.OpenArcPath;
    recent_.Add(PathToQString(notedArchive_));
    FitSizeColumns();
}

void frmMain::OpenRecent(const QString& path) {
    if (!program_ || !mainEnabled_ || Ending()) return;
    const std::string file = PathFromQString(path);
    if (!FileExists(file)) {
        recent_.Remove(path);
        MsgBox("档案文件不存在，已从最近打开的档案中移除：" + std::string(kCrLf) + file, MsgIcon::Warning, kProgramTitle);
        return;
    }
    OpenInPlaceOfCurrent(file);
}

void frmMain::OpenInPlaceOfCurrent(const std::string& path) {
    if (MenuAction("nclose")->isEnabled()) OnMenu("nclose");
    if (!MenuAction("nopen")->isEnabled() || Ending()) return;
    startAnswer_ = path;
    OnMenu("nopen");
    startAnswer_.reset();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Unload: the program ends; every change was already written.
    // Long work in progress stops after the entry in hand; the files close
    // once it has returned.
    event->accept();
    RequestStop();
    StopPreviewReading();  // its workers read the archive the end closes
    if (program_) program_->EndProgram();
    else EndProgram();
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !filterBox_->text().isEmpty()) {
        event->accept();
        filterBox_->ClearKeepingSelection();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void frmMain::ShowFindDialog() {
    if (!findDialog_) {
        findDialog_ = new FindDialog(this);
        connect(findDialog_, &FindDialog::findRequested, this, &frmMain::FindFromDialog);
    }
    findDialog_->Present();
}

void frmMain::FindFromDialog(const QString& text) {
    if (!program_ || !mainEnabled_ || Ending()) return;
    const RunningCommand running(*program_);
    const std::string wanted = FromQString(text);
    // The same text again goes on to the next match; a new text starts over.
    const FindOutcome outcome =
        wanted == finder_.Text() && !wanted.empty() ? finder_.FindNext(*program_) : finder_.Find(*program_, wanted);
    findDialog_->SetStatus(ToQString(outcome.status));
}

void frmMain::FindNext() {
    if (!program_) return;
    if (finder_.Text().empty() || !findDialog_) {
        ShowFindDialog();
        return;
    }
    FindFromDialog(ToQString(finder_.Text()));
}

void frmMain::ContextMenuFromKeyboard() {
    if (!program_ || !mainEnabled_ || Ending()) return;
    const NodeId selected = TreeSelected();
    const QModelIndex index = model_ ? model_->IndexOf(selected) : QModelIndex();
    if (!index.isValid()) return;
    TreeView1->scrollTo(index);
    const QRect rect = TreeView1->visualRect(index);
    popupAt_ = TreeView1->viewport()->mapToGlobal(QPoint(rect.left() + 16, rect.bottom()));
    // As a right click on the selected node would.
    StopPreviewReading();
    TreeMouseUp(*program_, 2, 0, selected);
    popupAt_.reset();
    PreviewSelected(false);
}

void frmMain::SelectionChangedByUser() {
    if (!program_ || !model_ || model_->Resetting() || model_->Editing()) return;
    const NodeId selected = TreeSelected();
    handledCurrent_ = selected;
    if (selected != kNoNode) NodeClick(*program_, selected);
    ShowSelectionTotals();
    PreviewSelected(false);
}

void frmMain::ShowSelectionTotals() {
    const std::vector<NodeId> selected = TreeSelection();
    const bool some =
        model_ && (selected.size() > 1 || (selected.size() == 1 && selected[0] != program_->tree.Root()));
    if (!some) {
        panels_[0]->setText(panel1Text_);
        return;
    }
    // A node inside a selected folder is counted with the folder.
    const std::unordered_set<NodeId> chosen(selected.begin(), selected.end());
    const auto insideChosen = [&](NodeId node) {
        for (NodeId up = program_->tree.Node(node).parent; up != kNoNode; up = program_->tree.Node(up).parent)
            if (chosen.count(up)) return true;
        return false;
    };
    EntryTreeModel::Totals totals;
    for (const NodeId node : chosen) {
        if (insideChosen(node)) continue;
        const EntryTreeModel::Totals part = model_->TotalsOf(node);
        totals.entries += part.entries;
        totals.size += part.size;
    }
    QString size = QString::number(totals.size);
    for (qsizetype at = size.size() - 3; at > (totals.size < 0 ? 1 : 0); at -= 3) size.insert(at, QLatin1Char(','));
    panels_[0]->setText(QStringLiteral("已选择 %1 个对象，共 %2 字节").arg(totals.entries).arg(size));
}

void frmMain::PreviewSelected(bool open) {
    if (!program_ || !model_ || Ending() || (!open && (!preview_ || !preview_->isVisible()))) return;
    if (!program_->ArchiveIsOpen()) {
        // Nothing left to show: the archive closed.
        if (preview_) {
            preview_->Clear();
            preview_->close();
        }
        return;
    }
    const NodeId node = TreeSelected();
    const ARCFileCls* record = model_->Record(node);
    if (!record) return;
    if (!preview_) preview_ = new PreviewWindow(this);
    PreviewRequest request;
    request.archive = &program_->files.Get(program_->arc.ArcFileNum);
    request.offset = record->ArcFileOFSET;
    request.storedSize = record->ArcFileZipSize;
    request.size = record->ArcFileOrgSize;
    request.typeName = ToQString(record->ArcFileType);
    preview_->ShowEntry(ToQString(program_->tree.Node(node).text), request);
}

void frmMain::StopPreviewReading() {
    if (preview_) preview_->StopReading();
}

QMimeData* frmMain::DragDataFor(NodeId node) {
    if (!program_ || !mainEnabled_ || Ending() || node < 0 || static_cast<std::size_t>(node) >= program_->tree.Size())
        return nullptr;
    if (!IsEntryKey(program_->tree.Node(node).key)) return nullptr;
    return new EntryDragData([this, node] {
        std::string path;
        if (program_) RunCommand(*program_, [&] { path = dragFolder_.Export(*program_, node); });
        return path;
    });
}

void frmMain::DropFiles(NodeId node, const std::vector<std::string>& paths) {
    if (!program_ || paths.empty() || !mainEnabled_ || Ending()) return;
    // Questions and messages wait until the file manager has finished its drag.
    QTimer::singleShot(0, this, [this, node, paths] { RunDrop(node, paths); });
}

void frmMain::RunDrop(NodeId node, const std::vector<std::string>& paths) {
    if (!program_ || !mainEnabled_ || Ending()) return;
    StopPreviewReading();
    switch (DropActionFor(*program_, node, paths.size())) {
        case DropAction::ReplaceEntry:
            // The replace command's file picker answers with the dropped file.
            startAnswer_ = paths.front();
            RunCommand(*program_, [&] { ReplaceEntryWithDroppedFile(*program_, node, paths.front()); });
            startAnswer_.reset();
            break;
        case DropAction::AddToFolder:
            RunCommand(*program_, [&] { AddFilesToNode(*program_, node, paths); });
            if (model_) model_->RecountSums();
            break;
        case DropAction::OpenArchive:
            // Open it as the open command would, closing the open archive first.
            OpenInPlaceOfCurrent(paths.front());
            break;
        case DropAction::None:
            break;
    }
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == nullptr && !EntryTreeView::DroppedFile(event->mimeData()).isEmpty() && mainEnabled_) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString path = EntryTreeView::DroppedFile(event->mimeData());
    if (event->source() != nullptr || path.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DropFile(kNoNode, PathFromQString(path));
}

}  // namespace tessarin
