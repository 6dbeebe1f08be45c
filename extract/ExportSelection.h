#pragma once
// 导出 on the tree's selection: one entry node is exported on its own, as
// ExtSub does; a folder node, or several nodes, export every entry they stand
// for, in the folder structure below the selected folder (several nodes:
// below the folder that holds them all).
#include <vector>

#include "extract/Export.h"

namespace tessarin {

// The entries at or below nodes (each once, in directory order) and the
// archive folder they are exported below: one folder node's own key, else the
// deepest folder that holds every node ("" for the root).
EntrySubset SubsetOfNodes(const Program& program, const std::vector<NodeId>& nodes);

// Exports the tree's selection into a folder the user picks (owner: hwnd).
bool ExportSelection(Program& program, WindowHandle hwnd);

}  // namespace tessarin
