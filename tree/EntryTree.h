#pragma once
// The entry tree as plain data: root, folder and entry nodes with their keys,
// texts and images; children in insertion order. The window shows it through
// an item model; the commands read and build it.
#include <cstdint>
#include <memory>
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
    bool removed = false;  // taken out of the tree; its id is not used again
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

    bool Empty() const { return size_ == 0; }
    std::size_t Size() const { return size_; }
    NodeId Root() const { return size_ == 0 ? kNoNode : 0; }
    const TreeNode& Node(NodeId id) const { return At(static_cast<std::size_t>(id)); }
    // The node with this key, or kNoNode.
    NodeId Find(std::string_view key) const;
    // Index of id among its parent's children (0 for the root).
    int RowOf(NodeId id) const;
    // A node of the tree that has not been removed.
    bool Alive(NodeId id) const {
        return id >= 0 && static_cast<std::size_t>(id) < size_ && !At(static_cast<std::size_t>(id)).removed;
    }

    // Takes node and everything below it out of the tree (not the root). The
    // ids stay taken, marked removed, so ids held elsewhere never name
    // another node; Size() still counts them.
    void RemoveSubtree(NodeId node);
    // Gives node a new key and text; throws DuplicateNodeKey (nothing
    // changed) when another node has the key.
    void Rekey(NodeId node, std::string key, std::string text);

    // Prepares room for about this many nodes (a hint; the tree grows past it).
    void Reserve(std::size_t nodes);

    // The folder (or root) node the last entry was added under, kNoNode after
    // Clear: consecutive entries of one folder need no key lookups.
    NodeId lastEntryParent = kNoNode;

private:
    // The key index: open addressing over the nodes' keys, one flat array
    // (no allocation per node). A slot holds the key's hash and its node.
    struct Slot {
        std::uint32_t hash = 0;
        NodeId id = kNoNode;
    };
    std::size_t SlotOf(std::string_view key, std::uint32_t hash) const;
    // Takes the slot of a key out of the index, closing the gap behind it so
    // later probes still find their keys.
    void Unindex(std::size_t slot);
    void Grow(std::size_t minimumSlots);
    static std::uint32_t Hash(std::string_view key);

    // Nodes live in chunks of kChunk that never move, so keys can be compared
    // in place and a node costs no allocation of its own.
    static constexpr std::size_t kChunkBits = 10;
    static constexpr std::size_t kChunk = std::size_t{1} << kChunkBits;
    TreeNode& At(std::size_t id) { return chunks_[id >> kChunkBits][id & (kChunk - 1)]; }
    const TreeNode& At(std::size_t id) const { return chunks_[id >> kChunkBits][id & (kChunk - 1)]; }
    TreeNode& Append(TreeNode node);

    std::vector<std::unique_ptr<TreeNode[]>> chunks_;
    std::size_t size_ = 0;
    std::vector<Slot> slots_;  // size a power of two, at most half full
    std::vector<int> rowOf_;
};

// A node is an entry unless its key ends in "\" (a folder) or is "Root".
bool IsEntryKey(std::string_view key);

}  // namespace tessarin
