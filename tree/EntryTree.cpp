#include "tree/EntryTree.h"

#include <stdexcept>

namespace tessarin {

void EntryTree::Clear() {
    nodes_.clear();
    byKey_.clear();
    rowOf_.clear();
}

NodeId EntryTree::AddRoot(const std::string& key, const std::string& text, int image) {
    if (!nodes_.empty()) {
        throw std::logic_error("the tree already has its top-level node");
    }
    if (byKey_.count(key) != 0) {
        throw DuplicateNodeKey{key};
    }
    nodes_.push_back(TreeNode{key, text, image, 0, kNoNode, {}});
    byKey_.emplace(key, 0);
    rowOf_.push_back(0);
    return 0;
}

NodeId EntryTree::AddChild(NodeId parent, const std::string& key, const std::string& text, int image,
                           int expandedImage) {
    if (parent < 0 || static_cast<std::size_t>(parent) >= nodes_.size()) {
        throw std::out_of_range("tree parent node does not exist");
    }
    // Insert the key first: a repeated key leaves the tree unchanged.
    const auto id = static_cast<NodeId>(nodes_.size());
    if (!byKey_.emplace(key, id).second) {
        throw DuplicateNodeKey{key};
    }
    auto& siblings = nodes_[static_cast<std::size_t>(parent)].children;
    rowOf_.push_back(static_cast<int>(siblings.size()));
    siblings.push_back(id);
    nodes_.push_back(TreeNode{key, text, image, expandedImage, parent, {}});
    return id;
}

NodeId EntryTree::Find(std::string_view key) const {
    const auto it = byKey_.find(key);
    return it == byKey_.end() ? kNoNode : it->second;
}

int EntryTree::RowOf(NodeId id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= rowOf_.size()) {
        return -1;
    }
    return rowOf_[static_cast<std::size_t>(id)];
}

bool IsEntryKey(std::string_view key) {
    if (key == kRootKey) {
        return false;
    }
    return key.empty() || key.back() != '\\';
}

}  // namespace tessarin
