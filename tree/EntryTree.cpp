#include "tree/EntryTree.h"

#include <functional>
#include <stdexcept>

namespace tessarin {

void EntryTree::Clear() {
    slots_.clear();
    chunks_.clear();
    size_ = 0;
    rowOf_.clear();
    lastEntryParent = kNoNode;
}

void EntryTree::Reserve(std::size_t nodes) {
    // The hint is generous already; the index doubles when it is half full.
    if (nodes > slots_.size()) Grow(nodes);
    rowOf_.reserve(nodes);
}

std::uint32_t EntryTree::Hash(std::string_view key) {
    const std::size_t h = std::hash<std::string_view>{}(key);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

TreeNode& EntryTree::Append(TreeNode node) {
    if ((size_ >> kChunkBits) == chunks_.size()) chunks_.push_back(std::make_unique<TreeNode[]>(kChunk));
    TreeNode& slot = At(size_);
    slot = std::move(node);
    ++size_;
    return slot;
}


void EntryTree::Grow(std::size_t minimumSlots) {
    std::size_t size = 64;
    while (size < minimumSlots) size *= 2;
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(size, Slot{});
    for (const Slot& slot : old) {
        if (slot.id == kNoNode) continue;
        std::size_t i = slot.hash & (size - 1);
        while (slots_[i].id != kNoNode) i = (i + 1) & (size - 1);
        slots_[i] = slot;
    }
}

// The slot that holds key, or the empty slot where it would go.
std::size_t EntryTree::SlotOf(std::string_view key, std::uint32_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].id != kNoNode) {
        if (slots_[i].hash == hash && At(static_cast<std::size_t>(slots_[i].id)).key == key) break;
        i = (i + 1) & mask;
    }
    return i;
}

NodeId EntryTree::AddRoot(const std::string& key, const std::string& text, int image) {
    if (size_ != 0) {
        throw std::logic_error("the tree already has its top-level node");
    }
    if (slots_.empty()) Grow(64);
    Append(TreeNode{key, text, image, 0, kNoNode, false, {}});
    const std::uint32_t hash = Hash(key);
    slots_[SlotOf(key, hash)] = Slot{hash, 0};
    rowOf_.push_back(0);
    return 0;
}

NodeId EntryTree::AddChild(NodeId parent, std::string key, std::string text, int image, int expandedImage) {
    if (parent < 0 || static_cast<std::size_t>(parent) >= size_) {
        throw std::out_of_range("tree parent node does not exist");
    }
    // A repeated key leaves the tree as it was.
    const std::uint32_t hash = Hash(key);
    const std::size_t slot = SlotOf(key, hash);
    if (slots_[slot].id != kNoNode) {
        throw DuplicateNodeKey{std::move(key)};
    }
    const auto id = static_cast<NodeId>(size_);
    Append(TreeNode{std::move(key), std::move(text), image, expandedImage, parent, false, {}});
    slots_[slot] = Slot{hash, id};
    auto& siblings = At(static_cast<std::size_t>(parent)).children;
    rowOf_.push_back(static_cast<int>(siblings.size()));
    siblings.push_back(id);
    // At most half full keeps the probes short.
    if (2 * size_ > slots_.size()) Grow(2 * slots_.size());
    return id;
}

NodeId EntryTree::Find(std::string_view key) const {
    if (slots_.empty()) return kNoNode;
    return slots_[SlotOf(key, Hash(key))].id;
}

void EntryTree::Unindex(std::size_t slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = slot;
    for (std::size_t i = (slot + 1) & mask; slots_[i].id != kNoNode; i = (i + 1) & mask) {
        // A key whose home lies cyclically after the hole (up to i) stays put;
        // any other moves into the hole, which then moves to its old place.
        const std::size_t home = slots_[i].hash & mask;
        const bool staysPut = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
        if (staysPut) continue;
        slots_[hole] = slots_[i];
        hole = i;
    }
    slots_[hole] = Slot{};
}

void EntryTree::RemoveSubtree(NodeId node) {
    if (!Alive(node) || node == Root()) throw std::out_of_range("tree node cannot be removed");
    TreeNode& top = At(static_cast<std::size_t>(node));
    auto& siblings = At(static_cast<std::size_t>(top.parent)).children;
    const auto row = static_cast<std::size_t>(rowOf_[static_cast<std::size_t>(node)]);
    siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(row));
    for (std::size_t r = row; r < siblings.size(); ++r) rowOf_[static_cast<std::size_t>(siblings[r])] = static_cast<int>(r);
    std::vector<NodeId> pending{node};
    while (!pending.empty()) {
        TreeNode& n = At(static_cast<std::size_t>(pending.back()));
        pending.pop_back();
        pending.insert(pending.end(), n.children.begin(), n.children.end());
        Unindex(SlotOf(n.key, Hash(n.key)));
        n = TreeNode{};
        n.removed = true;
        n.parent = kNoNode;
    }
    // The hint may have named a node that is gone.
    lastEntryParent = kNoNode;
}

void EntryTree::Rekey(NodeId node, std::string key, std::string text) {
    if (!Alive(node)) throw std::out_of_range("tree node does not exist");
    TreeNode& n = At(static_cast<std::size_t>(node));
    if (key != n.key) {
        const std::uint32_t hash = Hash(key);
        const std::size_t slot = SlotOf(key, hash);
        if (slots_[slot].id != kNoNode) throw DuplicateNodeKey{std::move(key)};
        Unindex(SlotOf(n.key, Hash(n.key)));
        n.key = std::move(key);
        // The hole closed above may have moved the free slot found before.
        slots_[SlotOf(n.key, hash)] = Slot{hash, node};
    }
    n.text = std::move(text);
}

int EntryTree::RowOf(NodeId id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= rowOf_.size() || !Alive(id)) {
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
