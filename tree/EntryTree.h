#pragma once
// The entry tree as plain data: root, folder and entry nodes with their keys,
// texts and images; children in insertion order. The window shows it through
// an item model; the commands read and build it.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin {

using NodeId = std::int32_t;
inline constexpr NodeId kNoNode = -1;

inline constexpr const char* kRootKey = "Root";

// 1-based images of the tree's image list.
enum TreeImage : int {
    kImageArchive = 1, kImageFolder = 2, kImageRedLines = 3, kImageFolderOpen = 4,
    kImageBlankPage = 5, kImageFile = 6, kImagePicture = 7, kImageWave = 8,
};

struct TreeNode {
    std::string key;
    std::string text;
    int image = 0;
    int expandedImage = 0;  // 0: none
    NodeId parent = kNoNode;
    std::vector<NodeId> children;
};

// Thrown when a node's key is already in the tree.
struct DuplicateNodeKey {
    std::string key;
};

class EntryTree {
public:
    void Clear();
    // Adds the single top-level node.
    NodeId AddRoot(const std::string& key, const std::string& text, int image);
    // Adds a child at the end of parent's children; throws DuplicateNodeKey.
    NodeId AddChild(NodeId parent, std::string key, std::string text, int image, int expandedImage = 0);

    bool Empty() const { return nodes_.empty(); }
    std::size_t Size() const { return nodes_.size(); }
    NodeId Root() const { return nodes_.empty() ? kNoNode : 0; }
    const TreeNode& Node(NodeId id) const { return nodes_[static_cast<std::size_t>(id)]; }
    // The node with this key, or kNoNode.
    NodeId Find(std::string_view key) const;
    // Index of id among its parent's children (0 for the root).
    int RowOf(NodeId id) const;

    // Prepares room for about this many nodes (a hint; the tree grows past it).
    void Reserve(std::size_t nodes);

    // The folder (or root) node the last entry was added under, kNoNode after
    // Clear: consecutive entries of one folder need no key lookups.
    NodeId lastEntryParent = kNoNode;

private:
    // The key index: open addressing over the nodes' keys, one flat array
    // (no allocation per node). A slot holds the key's hash and its node.
    struct Slot {
        std::size_t hash = 0;
        NodeId id = kNoNode;
    };
    std::size_t SlotOf(std::string_view key, std::size_t hash) const;
    void Grow(std::size_t minimumSlots);

    // Nodes never move once added, so keys can be compared in place.
    std::deque<TreeNode> nodes_;
    std::vector<Slot> slots_;  // size a power of two, at most half full
    std::vector<int> rowOf_;
};

// A node is an entry unless its key ends in "\" (a folder) or is "Root".
bool IsEntryKey(std::string_view key);

}  // namespace tessarin
