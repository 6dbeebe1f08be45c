#pragma once
// Local changes of a built entry tree after the archive's entries were
// deleted, renamed or added: the tree comes out with the nodes a build from
// the new records would have, while every other node keeps its id and place.
#include <string>
#include <unordered_set>

#include "tree/EntryTree.h"

namespace tessarin {

// The node that goes when node's entries are deleted: node itself, or the
// highest folder above it that holds nothing else (a folder without entries
// has no node). The root for the root.
NodeId RemovalTop(const EntryTree& tree, NodeId node);

// The key of the node that takes the selection when the entries with
// goingKeys go: beside the highest node above current that goes whole, the
// next sibling that stays, else the one before, else the parent.
std::string NeighbourKey(const EntryTree& tree, NodeId current, const std::unordered_set<std::string>& goingKeys);

// The node under which AddItemNodes puts the first new node for an entry of
// this full name: its folder's node when that exists, else the deepest
// existing folder (or the root) on its path.
NodeId InsertionParent(const EntryTree& tree, const std::string& fullName);

// A folder node renamed to newName (its own text): its key and the keys of
// everything below it take the new prefix. False, with nothing changed, when
// a node with one of the new keys exists (the folder would merge with another).
bool RenameFolderNodes(EntryTree& tree, NodeId folder, const std::string& newName);

}  // namespace tessarin
