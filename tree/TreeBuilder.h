#pragma once
// Adds entries to the tree: the folder nodes an entry's path needs, then its node.
#include <string>

#include "tree/EntryTree.h"

namespace tessarin {

// Thrown by AddItemNodes when the tree refuses the entry node.
struct EntryNodeRefused {
    std::string key;
};

// Adds spath's folder nodes below RootKey and the entry node (key spath + "." +
// ExtHex, text filename). Throws EntryNodeRefused for the entry node and
// VbError for a folder node the tree refuses; the caller decides what a refusal
// means for the program.
void AddItemNodes(EntryTree& tree, const std::string& spath, const std::string& RootKey,
                  const std::string& ExtHex, const std::string& filename);

}  // namespace tessarin
