// The entry tree, the nodes added for each archive path, and local edits of a built tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/platform/VbError.h"
#include "tree/TreeBuilder.h"
#include "tree/TreeEdit.h"

namespace tessarin {
namespace {

// Only the root and folders that hold something have children.
bool HasChildren(const EntryTree& tree, const std::string& key) {
    const NodeId id = tree.Find(key);
    return id != kNoNode && !tree.Node(id).children.empty();
}

TEST(EntryTreeTest, RowsRepeatedKeysChildrenAndClear) {
    EntryTree tree;
    const NodeId root = tree.AddRoot(kRootKey, "p", kImageArchive);
    EXPECT_FALSE(HasChildren(tree, "Root"));
    const NodeId a = tree.AddChild(root, "a\\", "a", kImageFolder, kImageFolderOpen);
    const NodeId b = tree.AddChild(root, "b.1A", "b.png", kImageFile);
    const NodeId c = tree.AddChild(a, "a\\c.1A", "c.png", kImageFile);
    EXPECT_EQ((std::vector<int>{tree.RowOf(root), tree.RowOf(a), tree.RowOf(b), tree.RowOf(c)}),
              (std::vector<int>{0, 0, 1, 0}));
    // Each row: key, whether its node has children, whether it names an entry.
    const std::tuple<const char*, bool, bool> keys[] = {
        {"Root", true, false},      {"a\\", true, false},     {"A\\", false, false}, {"a", false, true},
        {"a\\c.1A", false, true}, {"", false, true},        {"missing\\", false, false}, {".1A", false, true},
        {"root", false, true},    {"Root\\", false, false}, {"\\", false, false}};
    for (const auto& [key, children, entry] : keys) {
        EXPECT_EQ(HasChildren(tree, key), children) << key;
        EXPECT_EQ(IsEntryKey(key), entry) << key;
    }
    EXPECT_THROW(tree.AddChild(a, "b.1A", "x", kImageFile), DuplicateNodeKey);
    EXPECT_EQ(tree.Size(), 4u);  // the refused node left the tree as it was
    EXPECT_EQ(tree.Node(a).children, std::vector<NodeId>{c});
    tree.Clear();
    EXPECT_TRUE(tree.Empty());
    EXPECT_EQ(tree.AddRoot(kRootKey, "q", kImageArchive), 0);
}

TEST(AddItemNodesTest, AddsFolderAndEntryNodesInOrder) {
    EntryTree tree;
    const NodeId root = tree.AddRoot(kRootKey, "/data/pack.ARC", kImageArchive);
    // Top level, empty path, shared folders then diverging below a shared prefix,
    // leading/double/trailing backslash, same path with another code, folders
    // differing in case.
    const std::vector<std::vector<std::string>> added = {
        {"logo", "1A", "logo.png"}, {"", "1A", ".png"}, {"ui\\img\\a", "1A", "a.png"},
        {"ui\\img\\b", "20", "b.txt"}, {"ui\\deep\\c", "1A", "c.png"}, {"snd\\ui\\d", "1A", "d.png"},
        {"\\a\\\\b", "1A", "b.png"}, {"dir\\", "20", ".txt"}, {"a\\x", "1A", "x.png"},
        {"a\\x", "20", "x.txt"}, {"A\\x", "1A", "x.png"}};
    // Each node after the root: key, text, parent's key. Folders (keys ending in
    // "\") show image 2, 4 when open; entries 6.
    const std::vector<std::vector<std::string>> nodes = {
        {"logo.1A", "logo.png", "Root"}, {".1A", ".png", "Root"}, {"ui\\", "ui", "Root"},
        {"ui\\img\\", "img", "ui\\"}, {"ui\\img\\a.1A", "a.png", "ui\\img\\"},
        {"ui\\img\\b.20", "b.txt", "ui\\img\\"}, {"ui\\deep\\", "deep", "ui\\"},
        {"ui\\deep\\c.1A", "c.png", "ui\\deep\\"}, {"snd\\", "snd", "Root"}, {"snd\\ui\\", "ui", "snd\\"},
        {"snd\\ui\\d.1A", "d.png", "snd\\ui\\"}, {"\\", "", "Root"}, {"\\a\\", "a", "\\"},
        {"\\a\\\\", "", "\\a\\"}, {"\\a\\\\b.1A", "b.png", "\\a\\\\"}, {"dir\\", "dir", "Root"},
        {"dir\\.20", ".txt", "dir\\"}, {"a\\", "a", "Root"}, {"a\\x.1A", "x.png", "a\\"},
        {"a\\x.20", "x.txt", "a\\"}, {"A\\", "A", "Root"}, {"A\\x.1A", "x.png", "A\\"}};
    for (const auto& a : added) AddItemNodes(tree, a[0], kRootKey, a[1], a[2]);
    ASSERT_EQ(tree.Size(), nodes.size() + 1);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const TreeNode& node = tree.Node(static_cast<NodeId>(i + 1));
        const bool folder = nodes[i][0].back() == '\\';
        EXPECT_EQ((std::vector<std::string>{node.key, node.text, tree.Node(node.parent).key}), nodes[i]);
        EXPECT_EQ(std::pair(node.image, node.expandedImage), folder ? std::pair(2, 4) : std::pair(6, 0)) << node.key;
    }
    // A folder node without children in the way reaches the caller as the tree control's error.
    tree.AddChild(root, "empty\\", "empty", kImageFolder, kImageFolderOpen);
    EXPECT_THAT([&] { AddItemNodes(tree, "empty\\logo", kRootKey, "1A", "logo.png"); },
                ::testing::Throws<VbError>(::testing::Property(&VbError::number, 35602)));
    EXPECT_THROW(AddItemNodes(tree, "logo", kRootKey, "1A", "logo.png"), EntryNodeRefused);  // a repeated entry key
}

// Thousands of nodes, past the first block of nodes and several growths of the
// key index; then local changes: removals (which close the index's probe chains
// behind each removed key), renames and refusals.
TEST(TreeEditTest, RemovedAndRenamedNodesLeaveEveryOtherKeyFound) {
    EntryTree tree;
    tree.AddRoot(kRootKey, "p", kImageArchive);
    for (int i = 0; i < 6000; ++i) AddItemNodes(tree, "f" + std::to_string(i % 37) + "\\e" + std::to_string(i), kRootKey, "1", "e");
    for (int i = 0; i < 6000; i += 3) tree.RemoveSubtree(tree.Find("f" + std::to_string(i % 37) + "\\e" + std::to_string(i) + ".1"));
    EXPECT_FALSE(RenameFolderNodes(tree, tree.Find("f1\\"), "f2"));  // would merge with f2\ .
    ASSERT_TRUE(RenameFolderNodes(tree, tree.Find("f3\\"), "新"));
    for (int i = 0; i < 6000; ++i) {
        const std::string folder = i % 37 == 3 ? "新" : "f" + std::to_string(i % 37);
        const NodeId node = tree.Find(folder + "\\e" + std::to_string(i) + ".1");
        ASSERT_EQ(node == kNoNode, i % 3 == 0) << i;
        if (node == kNoNode) continue;
        EXPECT_EQ(tree.Node(tree.Node(node).parent).key, folder + "\\");
        EXPECT_EQ(tree.Node(tree.Node(node).parent).children.at(tree.RowOf(node)), node);
    }
    EXPECT_THROW(AddItemNodes(tree, "f4\\e4", kRootKey, "1", "e"), EntryNodeRefused);
    EXPECT_EQ(tree.Find("f3\\"), kNoNode);
    EXPECT_EQ(tree.Node(tree.Find("新\\")).text, "新");
}

}  // namespace
}  // namespace tessarin
