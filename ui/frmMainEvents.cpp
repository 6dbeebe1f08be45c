// frmMain's event handlers: load and unload, the menus, the toolbar and the tree.
#include <QAction>
#include <QCloseEvent>
#include <QStringList>

#include "app/Commands.h"
#include "app/OpenClose.h"
#include "tree/TreeEvents.h"
#include "types/ExtTypes.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"
#include "ui/Icons.h"
#include "ui/frmMain.h"

namespace tessarin {

void frmMain::Attach(Program& program) {
    program_ = &program;
    model_ = new EntryTreeModel(program.tree, TreeImages(), this);
    TreeView1->setModel(model_);
    connect(TreeView1, &QTreeView::expanded, model_, [this](const QModelIndex& i) { model_->SetExpanded(i, true); });
    connect(TreeView1, &QTreeView::collapsed, model_, [this](const QModelIndex& i) { model_->SetExpanded(i, false); });
    connect(TreeView1, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (program_ && index.isValid()) NodeClick(*program_, EntryTreeModel::NodeOf(index));
    });
    connect(TreeView1, &EntryTreeView::keyboardMovedTo, this, [this](const QModelIndex& index) {
        if (program_ && index.isValid()) NodeClick(*program_, EntryTreeModel::NodeOf(index));
    });
    connect(TreeView1, &EntryTreeView::rightButtonReleased, this,
            [this](const QModelIndex& index, int shift, const QPoint&) {
                if (program_) TreeMouseUp(*program_, 2, shift, EntryTreeModel::NodeOf(index));
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
    if (!program_ || !action || !action->isEnabled() || !isEnabled()) return;
    // A shortcut reaches its item only while the item's menu is enabled too.
    const auto menu = menuOf_.find(name);
    if (menu != menuOf_.end() && !MenuAction(menu->second)->isEnabled()) return;
    if (name == "nexit") {
        close();  // the Unload handler ends the program
        return;
    }
    MenuClick(*program_, name);
}

void frmMain::OnToolbar(int index) {
    QAction* action = ToolbarAction(index);
    if (!program_ || !action || !action->isEnabled() || !isEnabled()) return;
    ToolbarClick(*program_, index);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Unload: the program ends at once; every change was already written.
    event->accept();
    EndProgram();
}

}  // namespace tessarin
