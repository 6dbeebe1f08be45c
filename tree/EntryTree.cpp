#include "tree/EntryTree.h"

#include <stdexcept>

namespace tessarin {

void EntryTree::Clear() {
    byKey_.clear();
    nodes_.clear();
    rowOf_.clear();
}

void EntryTree::Reserve(std::size_t nodes) {
    byKey_.reserve(nodes);
}

NodeId EntryTree::AddRoot(const std::string& key, const std::string& text, int image) {
    if (!nodes_.empty()) {
        throw std::logic_error("the tree already has its top-level node");
    }
    nodes_.push_back(TreeNode{key, text, image, 0, kNoNode, {}});
    byKey_.emplace(nodes_.back().key, 0);
    rowOf_.push_back(0);
    return 0;
}

NodeId EntryTree::AddChild(NodeId parent, std::string key, std::string text, int image, int expandedImage) {
    if (parent < 0 || static_cast<std::size_t>(parent) >= nodes_.size()) {
        throw std::out_of_range("tree parent node does not exist");
    }
    const auto id = static_cast<NodeId>(nodes_.size());
    nodes_.push_back(TreeNode{std::move(key), std::move(text), image, expandedImage, parent, {}});
    // The map views the stored key; a repeated key takes the node back out,
    // leaving the tree as it was.
    if (!byKey_.emplace(nodes_.back().key, id).second) {
        DuplicateNodeKey duplicate{std::move(nodes_.back().key)};
        nodes_.pop_back();
        throw duplicate;
    }
    auto& siblings = nodes_[static_cast<std::size_t>(parent)].children;
    rowOf_.push_back(static_cast<int>(siblings.size()));
    siblings.push_back(id);
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
