// Local changes of a built tree leave what a build from the changed entries
// gives (node for node), every key finding its node and its row.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tree/TreeBuilder.h"
#include "tree/TreeEdit.h"

namespace tessarin {
namespace {

EntryTree Build(const std::vector<std::string>& fullNames) {
    EntryTree tree;
    tree.AddRoot(kRootKey, "p", kImageArchive);
    for (const std::string& name : fullNames) AddItemNodes(tree, name, kRootKey, "1", name.substr(name.rfind('\\') + 1));
    return tree;
}

// Every live node as "key < parent's key", sorted; checks its key and row.
std::vector<std::string> Shape(const EntryTree& tree) {
    std::vector<std::string> shape;
    for (NodeId id = 0; static_cast<std::size_t>(id) < tree.Size(); ++id) {
        if (!tree.Alive(id)) continue;
        const TreeNode& node = tree.Node(id);
        EXPECT_EQ(tree.Find(node.key), id) << node.key;
        const bool top = node.parent == kNoNode;
        EXPECT_EQ(top ? id : tree.Node(node.parent).children.at(tree.RowOf(id)), id) << node.key;
        shape.push_back(node.key + " < " + (top ? "" : tree.Node(node.parent).key));
    }
    std::sort(shape.begin(), shape.end());
    return shape;
}

TEST(TreeEditTest, LocalChangesLeaveWhatABuildOfTheChangedEntriesGives) {
    const std::vector<std::string> entries = {"top", "a\\readme", "a\\b\\logo", "a\\b\\c\\raw", "d\\one"};
    const struct {
        const char* label;
        std::function<bool(EntryTree&)> change;
        std::vector<std::string> after;
    } rows[] = {
        {"an entry, its emptied folders with it",
         [](EntryTree& t) { t.RemoveSubtree(RemovalTop(t, t.Find("a\\b\\c\\raw.1"))); return true; },
         {"top", "a\\readme", "a\\b\\logo", "d\\one"}},
        {"a folder renamed", [](EntryTree& t) { return RenameFolderNodes(t, t.Find("a\\b\\"), "新"); },
         {"top", "a\\readme", "a\\新\\logo", "a\\新\\c\\raw", "d\\one"}},
        {"a folder's name taken by its sibling", [](EntryTree& t) { return !RenameFolderNodes(t, t.Find("a\\"), "d"); },
         {"top", "a\\readme", "a\\b\\logo", "a\\b\\c\\raw", "d\\one"}},
        {"entries added under the parents told", [](EntryTree& t) {
             for (const std::string name : {"a\\b\\new", "x\\y\\deep", "a\\b\\c\\z\\far"}) {
                 const NodeId parent = InsertionParent(t, name);
                 const std::size_t before = t.Node(parent).children.size();
                 AddItemNodes(t, name, kRootKey, "1", "n");
                 if (t.Node(parent).children.size() != before + 1) return false;
             }
             return true;
         },
         {"top", "a\\readme", "a\\b\\logo", "a\\b\\c\\raw", "d\\one", "a\\b\\new", "x\\y\\deep", "a\\b\\c\\z\\far"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EntryTree tree = Build(entries);
        ASSERT_TRUE(row.change(tree));
        EXPECT_EQ(Shape(tree), Shape(Build(row.after)));
    }
}

// Removals from a large key index, which closes its probe chains behind each.
TEST(TreeEditTest, ThousandsOfRemovalsKeepEveryOtherKeyFound) {
    std::vector<std::string> names, left;
    for (int i = 0; i < 6000; ++i) names.push_back("f" + std::to_string(i % 37) + "\\e" + std::to_string(i));
    EntryTree tree = Build(names);
    for (int i = 0; i < 6000; ++i) {
        if (i % 3 == 0) tree.RemoveSubtree(tree.Find(names[i] + ".1"));
        else left.push_back(names[i]);
    }
    EXPECT_EQ(Shape(tree), Shape(Build(left)));
    EXPECT_EQ(tree.Find(names[0] + ".1"), kNoNode);
}

}  // namespace
}  // namespace tessarin
