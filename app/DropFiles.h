#pragma once
// What files dropped from outside onto the tree do.
#include <cstddef>

#include "state/Program.h"

namespace tessarin {

enum class DropAction { None, ReplaceEntry, AddToFolder, OpenArchive };

// node: the node under the drop (kNoNode: empty space). One file on an entry
// replaces its data; files on a folder or the root, or several on an entry,
// are added to that folder; one file anywhere else is opened as an archive.
DropAction DropActionFor(const Program& program, NodeId node, std::size_t fileCount);

}  // namespace tessarin
