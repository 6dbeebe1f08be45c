#include "tree/TreeEdit.h"

#include <algorithm>
#include <vector>

namespace tessarin {

namespace {

// Whether every entry below node is among keys.
bool AllChosen(const EntryTree& tree, NodeId node, const std::unordered_set<std::string>& keys) {
    const TreeNode& n = tree.Node(node);
    if (IsEntryKey(n.key)) return keys.count(n.key) != 0;
    for (const NodeId child : n.children)
        if (tree.Alive(child) && !AllChosen(tree, child, keys)) return false;
    return true;
}

}  // namespace

NodeId RemovalTop(const EntryTree& tree, NodeId node) {
    NodeId top = node;
    while (true) {
        const NodeId parent = tree.Node(top).parent;
        if (parent == kNoNode || parent == tree.Root() || tree.Node(parent).children.size() != 1) return top;
        top = parent;
    }
}

std::string NeighbourKey(const EntryTree& tree, NodeId current, const std::unordered_set<std::string>& keys) {
    NodeId top = current;
    while (tree.Node(top).parent != kNoNode && AllChosen(tree, tree.Node(top).parent, keys)) top = tree.Node(top).parent;
    const NodeId parent = tree.Node(top).parent;
    if (parent == kNoNode) return kRootKey;
    const auto& siblings = tree.Node(parent).children;
    const auto at = std::find(siblings.begin(), siblings.end(), top);
    for (auto it = at; it != siblings.end(); ++it)
        if (tree.Alive(*it) && !AllChosen(tree, *it, keys)) return tree.Node(*it).key;
    for (auto it = at; it != siblings.begin();)
        if (--it, tree.Alive(*it) && !AllChosen(tree, *it, keys)) return tree.Node(*it).key;
    return tree.Node(parent).key;
}

NodeId InsertionParent(const EntryTree& tree, const std::string& fullName) {
    // The longest prefix ending in "\" whose folder node holds something.
    for (std::size_t end = fullName.rfind('\\'); end != std::string::npos;
         end = end == 0 ? std::string::npos : fullName.rfind('\\', end - 1)) {
        const NodeId folder = tree.Find(std::string_view(fullName).substr(0, end + 1));
        if (folder != kNoNode && !tree.Node(folder).children.empty()) return folder;
    }
    return tree.Root();
}

bool RenameFolderNodes(EntryTree& tree, NodeId folder, const std::string& newName) {
    const std::string oldPrefix = tree.Node(folder).key;
    const std::string inner = oldPrefix.substr(0, oldPrefix.size() - 1);
    const std::size_t slash = inner.rfind('\\');
    const std::string newPrefix = (slash == std::string::npos ? std::string() : inner.substr(0, slash + 1)) + newName + "\\";
    if (newPrefix == oldPrefix) return true;
    std::vector<NodeId> nodes{folder};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const auto& children = tree.Node(nodes[i]).children;
        nodes.insert(nodes.end(), children.begin(), children.end());
    }
    // Every node below has a key starting with the old prefix; none may meet
    // a key already there.
    for (const NodeId node : nodes) {
        if (tree.Find(newPrefix + tree.Node(node).key.substr(oldPrefix.size())) != kNoNode) return false;
    }
    for (const NodeId node : nodes) {
        const TreeNode& n = tree.Node(node);
        tree.Rekey(node, newPrefix + n.key.substr(oldPrefix.size()), node == folder ? newName : n.text);
    }
    return true;
}

}  // namespace tessarin
