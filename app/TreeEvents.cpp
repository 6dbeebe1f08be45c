#include "app/TreeEvents.h"

#include "app/Commands.h"
#include "app/ExportCommands.h"
#include "replace/Properties.h"

namespace tessarin {

namespace {

constexpr int kRightButton = 2;

bool IsNode(const Program& program, NodeId node) {
    return node >= 0 && static_cast<std::size_t>(node) < program.tree.Size();
}

// 导出 also takes a folder node or several nodes; replace and properties
// only ever the one entry.
void SetEntryCommandsEnabled(IMainWindow& ui, bool entry, bool exportable) {
    ui.SetMenuEnabled("nexport", exportable);
    ui.SetMenuEnabled("nimport", entry);
    ui.SetMenuEnabled("nproperty", entry);
    ui.SetButtonEnabled(5, exportable);
    ui.SetButtonEnabled(6, entry);
    ui.SetButtonEnabled(8, entry);
}

}  // namespace

void NodeClick(Program& program, NodeId node) {
    if (!IsNode(program, node)) {
        return;
    }
    const std::string& key = program.tree.Node(node).key;
    SetEntryCommandsEnabled(program.ui, IsEntryKey(key), key != kRootKey || program.ui.TreeSelection().size() > 1);
}

void TreeMouseUp(Program& program, int button, int shift, NodeId nodeUnderPointer) {
    if (button != kRightButton) {
        return;
    }
    // A right click never changes the selection: the menu belongs to the
    // selected entry or folder node only (not the root), and only when the
    // click lands on it.
    const NodeId selected = program.ui.TreeSelected();
    if (nodeUnderPointer != selected || !IsNode(program, selected)) {
        return;
    }
    if (program.tree.Node(selected).key == kRootKey) {
        return;
    }
    const RunningCommand running(program);
    const WindowHandle main = program.ui.Handle();
    const TreeMenuChoice choice = program.ui.PopupTreeMenu();
    RunCommand(program, [&] {
        switch (choice) {
            case TreeMenuChoice::ExpFile: ExportSelection(program, main); break;
            case TreeMenuChoice::RepalceFile: ReplaceFile(program, main); break;
            case TreeMenuChoice::FProperty: ShowinfoSub(program); break;
            case TreeMenuChoice::None: break;
        }
    });
}

}  // namespace tessarin
