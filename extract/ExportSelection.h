#pragma once
// The entries a selection of tree nodes stands for: a folder node, or several
// nodes, export every entry they stand for, in the folder structure below the
// selected folder (several nodes: below the folder that holds them all).
#include <vector>

#include "extract/Export.h"

namespace tessarin {

// The entries at or below nodes (each once, in directory order) and the
// archive folder they are exported below: one folder node's own key, else the
// deepest folder that holds every node ("" for the root).
EntrySubset SubsetOfNodes(const Program& program, const std::vector<NodeId>& nodes);

}  // namespace tessarin
