#include <gtest/gtest.h>

#include "tree/EntryTree.h"

namespace tessarin {
namespace {

TEST(EntryTreeTest, FindsNodesAndTheirRows) {
    EntryTree tree;
    const NodeId root = tree.AddRoot(kRootKey, "p", kImageArchive);
    const NodeId a = tree.AddChild(root, "a\\", "a", kImageFolder, kImageFolderOpen);
    const NodeId b = tree.AddChild(root, "b.1A", "b.png", kImageFile);
    const NodeId c = tree.AddChild(a, "a\\c.1A", "c.png", kImageFile);

    EXPECT_EQ(tree.Find("Root"), root);
    EXPECT_EQ(tree.Find("a\\c.1A"), c);
    EXPECT_EQ(tree.Find("A\\"), kNoNode);
    EXPECT_EQ(tree.RowOf(root), 0);
    EXPECT_EQ(tree.RowOf(a), 0);
    EXPECT_EQ(tree.RowOf(b), 1);
    EXPECT_EQ(tree.RowOf(c), 0);
    EXPECT_EQ(tree.Node(root).children, (std::vector<NodeId>{a, b}));

    // A repeated key is refused and leaves the tree as it was.
    EXPECT_THROW(tree.AddChild(a, "b.1A", "x", kImageFile), DuplicateNodeKey);
    EXPECT_EQ(tree.Size(), 4u);
    EXPECT_EQ(tree.Node(a).children.size(), 1u);

    tree.Clear();
    EXPECT_TRUE(tree.Empty());
    EXPECT_EQ(tree.Find("Root"), kNoNode);
    EXPECT_EQ(tree.AddRoot(kRootKey, "q", kImageArchive), 0);
}

TEST(EntryTreeTest, TellsEntryKeysFromFolderAndRootKeys) {
    const struct {
        const char* key;
        bool entry;
    } cases[] = {
        {"Root", false}, {"ui\\", false}, {"\\", false}, {"ui\\logo.1A", true},
        {".1A", true},   {"root", true},  {"Root\\", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsEntryKey(c.key), c.entry) << c.key;
    }
}

}  // namespace
}  // namespace tessarin
