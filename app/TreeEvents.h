#pragma once
// The tree's node click and right-button mouse-up.
#include "state/Program.h"

namespace tessarin {

// A left click on a node: enables the per-entry commands for an entry node,
// disables them for a folder or the root; 导出 stays enabled for a folder, and
// for the root while other nodes are selected with it.
void NodeClick(Program& program, NodeId node);

// Mouse-up on the tree: button 1 left, 2 right; nodeUnderPointer is the hit test
// result (kNoNode for empty space). Shows tvwmenu for a right click on the
// selected entry node and runs the chosen item.
void TreeMouseUp(Program& program, int button, int shift, NodeId nodeUnderPointer);

}  // namespace tessarin
