#pragma once
// Adds entries to the tree: the folder nodes an entry's path needs, then its node.
#include <string>

#include "core/Program.h"

namespace tessarin {

// True when a node with this key exists and has at least one child (a folder or the root).
bool CheckKey(const EntryTree& tree, const std::string& Keys);

// Adds spath's folder nodes below RootKey and the entry node (key spath + "." + ExtHex).
// A repeated entry key shows the failure message and ends the program.
void AddItem(Program& program, const std::string& spath, const std::string& RootKey, const std::string& Ext,
             const std::string& ExtHex, const std::string& filename);

}  // namespace tessarin
