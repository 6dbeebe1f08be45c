#pragma once
// The window's tree following the records after an edit of the archive: a
// local change where one does (the window keeps what is expanded), else the
// tree built again with the same folders expanded; then the selection.
#include <string>
#include <vector>

#include "state/Program.h"

namespace tessarin {

// The keys of the nodes the window shows expanded.
std::vector<std::string> ExpandedKeys(const Program& program);

// The tree built again from the records, as an open builds it, the nodes with
// expandedKeys expanded again.
void RebuildTree(Program& program, const std::vector<std::string>& expandedKeys);

// Selects the node with key, or the nearest of its folders still there, shows
// it and treats it as clicked.
void SelectInTree(Program& program, std::string key);

// The entries below nodes were deleted: each node goes with everything below
// it and the folders it leaves empty (for the root, or when no entry is left,
// the tree is built again).
void RemoveFromTree(Program& program, const std::vector<NodeId>& nodes);

// The entry of node was renamed to the record with newKey: the node takes its
// key and name. False (nothing changed) when the record is not there or lies
// in another folder.
bool RenameEntryInTree(Program& program, NodeId node, const std::string& newKey);

// The folder node was renamed to newName with every entry below it. False
// (nothing changed) when it would merge with a folder already there.
bool RenameFolderInTree(Program& program, NodeId folder, const std::string& newName);

// The last count records were appended: their nodes (and folders they need)
// join the tree. False when they are too many to add one by one (the tree is
// then unchanged) or the tree refused one (the others are in).
bool AddLastEntriesToTree(Program& program, std::size_t count);

}  // namespace tessarin
