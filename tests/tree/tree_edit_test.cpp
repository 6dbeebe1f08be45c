// Local changes of a built tree: removals from a large key index (which closes
// its probe chains behind each removed key), renames and refusals.
#include <gtest/gtest.h>

#include "tree/TreeBuilder.h"
#include "tree/TreeEdit.h"

namespace tessarin {
namespace {

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
    EXPECT_EQ(tree.Find("f3\\"), kNoNode);
    EXPECT_EQ(tree.Node(tree.Find("新\\")).text, "新");
}

}  // namespace
}  // namespace tessarin
