#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"
#include "support/FakeWindow.h"
#include "tree/TreeBuilder.h"

namespace tessarin {
namespace {

using testing::FakeWindow;

struct Added {
    std::string spath;
    std::string hex;
    std::string filename;
};

// One node as the tree holds it: key, text, image, expanded image, parent's key.
struct Expected {
    std::string key;
    std::string text;
    int image;
    int expandedImage;
    std::string parentKey;
};

struct BuildCase {
    const char* name;
    std::vector<Added> entries;
    std::vector<Expected> nodes;  // after the root, in insertion order
};

class TreeBuildTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(TreeBuildTest, AddsFolderAndEntryNodesInOrder) {
    FakeWindow window;
    Program program(window);
    program.tree.AddRoot(kRootKey, "/data/pack.ARC", kImageArchive);
    for (const auto& e : GetParam().entries) {
        AddItem(program, e.spath, kRootKey, "ext", e.hex, e.filename);
    }
    const auto& expected = GetParam().nodes;
    ASSERT_EQ(program.tree.Size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TreeNode& node = program.tree.Node(static_cast<NodeId>(i + 1));
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(node.key, expected[i].key);
        EXPECT_EQ(node.text, expected[i].text);
        EXPECT_EQ(node.image, expected[i].image);
        EXPECT_EQ(node.expandedImage, expected[i].expandedImage);
        EXPECT_EQ(program.tree.Node(node.parent).key, expected[i].parentKey);
    }
    EXPECT_TRUE(window.log.empty());  // building shows nothing
}

const std::string F = "\\";

INSTANTIATE_TEST_SUITE_P(
    Paths, TreeBuildTest,
    ::testing::Values(
        BuildCase{"TopLevel", {{"logo", "1A", "logo.png"}}, {{"logo.1A", "logo.png", 6, 0, "Root"}}},
        BuildCase{"SharedFolders",
                  {{"ui\\img\\a", "1A", "a.png"}, {"ui\\img\\b", "20", "b.txt"}},
                  {{"ui\\", "ui", 2, 4, "Root"},
                   {"ui\\img\\", "img", 2, 4, "ui\\"},
                   {"ui\\img\\a.1A", "a.png", 6, 0, "ui\\img\\"},
                   {"ui\\img\\b.20", "b.txt", 6, 0, "ui\\img\\"}}},
        BuildCase{"DivergeBelowSharedPrefix",
                  {{"ui\\a", "1A", "a.png"}, {"ui\\deep\\b", "1A", "b.png"}, {"snd\\ui\\c", "1A", "c.png"}},
                  {{"ui\\", "ui", 2, 4, "Root"},
                   {"ui\\a.1A", "a.png", 6, 0, "ui\\"},
                   {"ui\\deep\\", "deep", 2, 4, "ui\\"},
                   {"ui\\deep\\b.1A", "b.png", 6, 0, "ui\\deep\\"},
                   {"snd\\", "snd", 2, 4, "Root"},
                   {"snd\\ui\\", "ui", 2, 4, "snd\\"},
                   {"snd\\ui\\c.1A", "c.png", 6, 0, "snd\\ui\\"}}},
        BuildCase{"LeadingAndDoubleBackslash",
                  {{"\\a\\\\b", "1A", "b.png"}},
                  {{"\\", "", 2, 4, "Root"},
                   {"\\a\\", "a", 2, 4, "\\"},
                   {"\\a\\\\", "", 2, 4, "\\a\\"},
                   {"\\a\\\\b.1A", "b.png", 6, 0, "\\a\\\\"}}},
        BuildCase{"TrailingBackslash",
                  {{"dir\\", "20", ".txt"}},
                  {{"dir\\", "dir", 2, 4, "Root"}, {"dir\\.20", ".txt", 6, 0, "dir\\"}}},
        BuildCase{"EmptyPath", {{"", "1A", ".png"}}, {{".1A", ".png", 6, 0, "Root"}}},
        BuildCase{"SamePathOtherCode",
                  {{"a\\x", "1A", "x.png"}, {"a\\x", "20", "x.txt"}},
                  {{"a\\", "a", 2, 4, "Root"},
                   {"a\\x.1A", "x.png", 6, 0, "a\\"},
                   {"a\\x.20", "x.txt", 6, 0, "a\\"}}},
        BuildCase{"FolderNamesDifferOnlyInCase",
                  {{"A\\x", "1A", "x.png"}, {"a\\x", "1A", "x.png"}},
                  {{"A\\", "A", 2, 4, "Root"},
                   {"A\\x.1A", "x.png", 6, 0, "A\\"},
                   {"a\\", "a", 2, 4, "Root"},
                   {"a\\x.1A", "x.png", 6, 0, "a\\"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckKeyTest, AnswersForNodesWithChildrenOnly) {
    FakeWindow window;
    Program program(window);
    program.tree.AddRoot(kRootKey, "p", kImageArchive);
    EXPECT_FALSE(CheckKey(program.tree, "Root"));  // no child yet
    AddItem(program, "ui\\logo", kRootKey, "png", "1A", "logo.png");
    const struct {
        const char* key;
        bool expected;
    } cases[] = {
        {"Root", true}, {"ui\\", true}, {"UI\\", false}, {"ui", false},
        {"ui\\logo.1A", false}, {"", false}, {"missing\\", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckKey(program.tree, c.key), c.expected) << c.key;
    }
}

TEST(AddItemFailureTest, RepeatedEntryKeyShowsMessageAndEndsProgram) {
    FakeWindow window;
    Program program(window);
    program.tree.AddRoot(kRootKey, "p", kImageArchive);
    const auto number = program.files.FreeFile();
    testing::TempDir dir;
    program.files.Open(number, dir / "a.ARC", OpenMode::CreateLocked);

    AddItem(program, "ui\\logo", kRootKey, "png", "1A", "logo.png");
    EXPECT_THROW(AddItem(program, "ui\\logo", kRootKey, "png", "1A", "other.png"), ProgramEnding);

    const std::vector<std::string> expected = {
        "MsgBox | \r\n添加信息时出错,程序将退出,详细检查扩展信息文件.\r\n\r\nPath=[ui\\logo] \r\n\r\nExt=[png] | Stop | "
        "错误信息提示",
        "EndProgram",
    };
    EXPECT_EQ(window.log, expected);
    EXPECT_TRUE(program.ending);
    EXPECT_FALSE(program.files.IsOpen(number));
    EXPECT_EQ(program.tree.Size(), 3u);  // the refused node was not added
}

TEST(AddItemFailureTest, RefusedFolderNodeReachesTheCaller) {
    FakeWindow window;
    Program program(window);
    const NodeId root = program.tree.AddRoot(kRootKey, "p", kImageArchive);
    // A folder node left without children cannot be reused, and its key is taken.
    program.tree.AddChild(root, "ui\\", "ui", kImageFolder, kImageFolderOpen);
    try {
        AddItem(program, "ui\\logo", kRootKey, "png", "1A", "logo.png");
        FAIL() << "no error";
    } catch (const VbError& error) {
        EXPECT_EQ(error.number(), 35602);
    }
    EXPECT_TRUE(window.log.empty());
    EXPECT_FALSE(program.ending);
}

}  // namespace
}  // namespace tessarin
