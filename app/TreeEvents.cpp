#include "app/TreeEvents.h"

#include "app/Commands.h"
#include "extract/Export.h"
#include "replace/Properties.h"
#include "replace/Replace.h"

namespace tessarin {

namespace {

constexpr int kRightButton = 2;

bool IsNode(const Program& program, NodeId node) {
    return node >= 0 && static_cast<std::size_t>(node) < program.tree.Size();
}

void SetEntryCommandsEnabled(IMainWindow& ui, bool enabled) {
    for (const char* item : {"nexport", "nimport", "nproperty"}) {
        ui.SetMenuEnabled(item, enabled);
    }
    for (int button : {5, 6, 8}) {
        ui.SetButtonEnabled(button, enabled);
    }
}

}  // namespace

void NodeClick(Program& program, NodeId node) {
    if (!IsNode(program, node)) {
        return;
    }
    SetEntryCommandsEnabled(program.ui, IsEntryKey(program.tree.Node(node).key));
}

void TreeMouseUp(Program& program, int button, int shift, NodeId nodeUnderPointer) {
    if (button != kRightButton) {
        return;
    }
    // A right click never changes the selection: the menu belongs to the
    // selected entry node only, and only when the click lands on it.
    const NodeId selected = program.ui.TreeSelected();
    if (nodeUnderPointer != selected || !IsNode(program, selected)) {
        return;
    }
    if (!IsEntryKey(program.tree.Node(selected).key)) {
        return;
    }
    const RunningCommand running(program);
    const WindowHandle main = program.ui.Handle();
    const TreeMenuChoice choice = program.ui.PopupTreeMenu();
    RunCommand(program, [&] {
        switch (choice) {
            case TreeMenuChoice::ExpFile: ExtSub(program, main); break;
            case TreeMenuChoice::RepalceFile: ReaplceFile(program, main); break;
            case TreeMenuChoice::FProperty: ShowinfoSub(program); break;
            case TreeMenuChoice::None: break;
        }
    });
}

}  // namespace tessarin
