// Local changes of a built tree: what is left equals a tree built from the
// changed entries (node for node, key for key), and every key is found.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tree/TreeBuilder.h"
#include "tree/TreeEdit.h"

namespace tessarin {
namespace {

// Entries as "full name.HEX".
EntryTree Build(const std::vector<std::string>& keys) {
    EntryTree tree;
    tree.AddRoot(kRootKey, "p", kImageArchive);
    for (const std::string& key : keys) {
        const std::size_t dot = key.rfind('.');
        const std::string name = key.substr(0, dot);
        AddItemNodes(tree, name, kRootKey, key.substr(dot + 1), name.substr(name.rfind('\\') + 1));
    }
    return tree;
}

// Every live node as "key < parent's key : text", sorted; fails the test when
// a key does not find its node or a row its place.
std::vector<std::string> Shape(const EntryTree& tree) {
    std::vector<std::string> shape;
    for (std::size_t i = 0; i < tree.Size(); ++i) {
        const NodeId id = static_cast<NodeId>(i);
        if (!tree.Alive(id)) {
            EXPECT_EQ(tree.RowOf(id), -1);
            continue;
        }
        const TreeNode& node = tree.Node(id);
        EXPECT_EQ(tree.Find(node.key), id) << node.key;
        const std::string parent = node.parent == kNoNode ? "" : tree.Node(node.parent).key;
        if (node.parent != kNoNode) {
            EXPECT_EQ(tree.Node(node.parent).children.at(tree.RowOf(id)), id) << node.key;
        }
        shape.push_back(node.key + " < " + parent + " : " + node.text);
    }
    std::sort(shape.begin(), shape.end());
    return shape;
}

const std::vector<std::string> kEntries = {"top.1A", "a\\readme.20", "a\\b\\logo.1A", "a\\b\\c\\raw.99",
                                           "a\\b\\c\\more.99", "d\\one.1"};

TEST(TreeEditTest, LocalChangesLeaveTheTreeABuildOfTheChangedEntriesWouldGive) {
    const struct {
        const char* label;
        std::function<bool(EntryTree&)> change;
        std::vector<std::string> after;  // the entries afterwards
        std::vector<std::string> gone;   // keys no longer found
    } rows[] = {
        {"an entry beside others", [](EntryTree& t) { t.RemoveSubtree(RemovalTop(t, t.Find("a\\b\\c\\raw.99"))); return true; },
         {"top.1A", "a\\readme.20", "a\\b\\logo.1A", "a\\b\\c\\more.99", "d\\one.1"}, {"a\\b\\c\\raw.99"}},
        {"the last entry of folders goes with them",
         [](EntryTree& t) { t.RemoveSubtree(RemovalTop(t, t.Find("d\\one.1"))); return true; },
         {"top.1A", "a\\readme.20", "a\\b\\logo.1A", "a\\b\\c\\raw.99", "a\\b\\c\\more.99"}, {"d\\", "d\\one.1"}},
        {"a folder with all below it", [](EntryTree& t) { t.RemoveSubtree(t.Find("a\\b\\")); return true; },
         {"top.1A", "a\\readme.20", "d\\one.1"}, {"a\\b\\", "a\\b\\c\\", "a\\b\\logo.1A", "a\\b\\c\\raw.99"}},
        {"a folder renamed", [](EntryTree& t) { return RenameFolderNodes(t, t.Find("a\\b\\"), "新"); },
         {"top.1A", "a\\readme.20", "a\\新\\logo.1A", "a\\新\\c\\raw.99", "a\\新\\c\\more.99", "d\\one.1"},
         {"a\\b\\", "a\\b\\c\\raw.99"}},
        {"an entry rekeyed in its folder",
         [](EntryTree& t) { t.Rekey(t.Find("a\\readme.20"), "a\\notes.1A", "notes"); return true; },
         {"top.1A", "a\\notes.1A", "a\\b\\logo.1A", "a\\b\\c\\raw.99", "a\\b\\c\\more.99", "d\\one.1"},
         {"a\\readme.20"}},
        {"entries added where their folders are, or with new folders",
         [](EntryTree& t) {
             for (const char* name : {"a\\b\\new", "x\\y\\deep", "a\\b\\c\\z\\far"}) {
                 const NodeId parent = InsertionParent(t, name);
                 const std::size_t before = t.Node(parent).children.size();
                 AddItemNodes(t, name, kRootKey, "7", std::string(name).substr(std::string(name).rfind('\\') + 1));
                 if (t.Node(parent).children.size() != before + 1) return false;  // not where it was told
             }
             return true;
         },
         {"top.1A", "a\\readme.20", "a\\b\\logo.1A", "a\\b\\c\\raw.99", "a\\b\\c\\more.99", "d\\one.1",
          "a\\b\\new.7", "x\\y\\deep.7", "a\\b\\c\\z\\far.7"},
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EntryTree tree = Build(kEntries);
        ASSERT_TRUE(row.change(tree));
        EXPECT_EQ(Shape(tree), Shape(Build(row.after)));
        for (const std::string& key : row.gone) EXPECT_EQ(tree.Find(key), kNoNode) << key;
    }
}

TEST(TreeEditTest, RefusedChangesLeaveTheTreeAsItWas) {
    EntryTree tree = Build({"a\\b\\x.1", "a\\c\\y.1", "a\\c\\b.1"});
    const std::vector<std::string> before = Shape(tree);
    EXPECT_FALSE(RenameFolderNodes(tree, tree.Find("a\\b\\"), "c"));  // would merge with a\c\ .
    EXPECT_THROW(tree.Rekey(tree.Find("a\\b\\x.1"), "a\\c\\y.1", "y"), DuplicateNodeKey);
    EXPECT_THROW(tree.RemoveSubtree(tree.Root()), std::out_of_range);
    EXPECT_EQ(Shape(tree), before);
}

TEST(TreeEditTest, NeighbourIsTheNextSiblingElseThePreviousElseTheParent) {
    const EntryTree tree = Build({"f\\a.1", "f\\b.1", "f\\c.1", "g\\only.1"});
    const std::pair<const char*, const char*> cases[] = {
        {"f\\a.1", "f\\b.1"}, {"f\\c.1", "f\\b.1"}, {"g\\only.1", "g\\"}, {"g\\", "f\\"}, {"Root", "Root"}};
    for (const auto& [node, neighbour] : cases) EXPECT_EQ(NeighbourKey(tree, tree.Find(node)), neighbour) << node;
}

// Removals from a large key index (its probe chains closed up behind each
// removed key) and re-adds: every key still finds its node.
TEST(TreeEditTest, ThousandsOfRemovalsAndReaddsKeepEveryKeyFound) {
    std::vector<std::string> keys;
    for (int i = 0; i < 6000; ++i) keys.push_back("f" + std::to_string(i % 37) + "\\e" + std::to_string(i) + ".1");
    EntryTree tree = Build(keys);
    std::vector<std::string> left;
    for (int i = 0; i < 6000; ++i) {
        if (i % 3 == 0) {
            tree.RemoveSubtree(tree.Find(keys[i]));
        } else {
            left.push_back(keys[i]);
        }
    }
    for (int i = 0; i < 6000; i += 6) {
        AddItemNodes(tree, keys[i].substr(0, keys[i].size() - 2), kRootKey, "1", "again");
        left.push_back(keys[i]);
    }
    std::vector<std::string> shape = Shape(tree);
    for (std::string& line : shape) line = line.substr(0, line.find(" : "));
    std::vector<std::string> expected = Shape(Build(left));
    for (std::string& line : expected) line = line.substr(0, line.find(" : "));
    EXPECT_EQ(shape, expected);
}

}  // namespace
}  // namespace tessarin
