#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ArcState.h"
#include "support/FakeWindow.h"
#include "tree/TreeBuilder.h"
#include "tree/TreeEvents.h"

namespace tessarin {
namespace {

using testing::FakeWindow;

// Root, folder ui\ and entry ui\logo.1A with its record.
struct SmallTree : ::testing::Test {
    FakeWindow window;
    Program program{window};
    NodeId root = kNoNode, folder = kNoNode, entry = kNoNode;

    void SetUp() override {
        root = program.tree.AddRoot(kRootKey, "/data/pack.ARC", kImageArchive);
        AddItem(program, "ui\\logo", kRootKey, "png", "1A", "logo.png");
        AddArcEntry(program.arc.ArcEntries, "logo.png", "ui\\", "ui\\logo", "png", 10, 20, 96, "1A");
        folder = program.tree.Find("ui\\");
        entry = program.tree.Find("ui\\logo.1A");
    }
};

std::vector<std::string> EntryCommandsLog(bool enabled) {
    const std::string v = enabled ? "true" : "false";
    return {"SetMenuEnabled | nexport | " + v,   "SetMenuEnabled | nimport | " + v,
            "SetMenuEnabled | nproperty | " + v, "SetButtonEnabled | 5 | " + v,
            "SetButtonEnabled | 6 | " + v,       "SetButtonEnabled | 8 | " + v};
}

TEST_F(SmallTree, NodeClickSwitchesTheEntryCommands) {
    const struct {
        NodeId SmallTree::*node;
        bool enabled;
    } clicks[] = {{&SmallTree::entry, true}, {&SmallTree::folder, false}, {&SmallTree::entry, true},
                  {&SmallTree::root, false}};
    for (const auto& click : clicks) {
        window.ClearLog();
        NodeClick(program, this->*click.node);
        EXPECT_EQ(window.log, EntryCommandsLog(click.enabled));
        EXPECT_EQ(window.buttonEnabled[5], click.enabled);
    }
}

TEST_F(SmallTree, RightClickShowsTheMenuOnlyOnTheSelectedEntry) {
    const struct {
        const char* name;
        int button;
        NodeId SmallTree::*selected;  // nullptr: nothing selected
        NodeId SmallTree::*under;     // nullptr: empty space
        bool menu;
    } cases[] = {
        {"right on selected entry", 2, &SmallTree::entry, &SmallTree::entry, true},
        {"left on selected entry", 1, &SmallTree::entry, &SmallTree::entry, false},
        {"right on unselected entry", 2, &SmallTree::folder, &SmallTree::entry, false},
        {"right on selected folder", 2, &SmallTree::folder, &SmallTree::folder, false},
        {"right on selected root", 2, &SmallTree::root, &SmallTree::root, false},
        {"right on empty space, entry selected", 2, &SmallTree::entry, nullptr, false},
        {"right on empty space, nothing selected", 2, nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window.selected = c.selected ? this->*c.selected : kNoNode;
        const NodeId before = window.selected;
        window.ClearLog();
        TreeMouseUp(program, c.button, 0, c.under ? this->*c.under : kNoNode);
        EXPECT_EQ(window.log, c.menu ? std::vector<std::string>{"PopupTreeMenu"} : std::vector<std::string>{});
        EXPECT_EQ(window.selected, before);
    }
}

TEST_F(SmallTree, MenuChoiceRunsItsCommandForTheMainWindow) {
    const std::string owner = std::to_string(FakeWindow::kMainHandle);
    const struct {
        TreeMenuChoice choice;
        std::string firstCall;  // the command's first window call (pickers cancel)
    } cases[] = {
        {TreeMenuChoice::ExpFile, "BrowseForFolder | " + owner + " | 选保存文件的目录 |  | 64"},
        {TreeMenuChoice::RepalceFile, "ShowOpenDialog | " + owner + " | 所有文件 *.*|*.* | 替换logo.png:"},
        {TreeMenuChoice::FProperty, "Showinfo | logo.png"},
    };
    for (const auto& c : cases) {
        window.selected = entry;
        window.menuAnswers = {c.choice};
        window.ClearLog();
        TreeMouseUp(program, 2, 0, entry);
        ASSERT_GE(window.log.size(), 2u);
        EXPECT_EQ(window.log[0], "PopupTreeMenu");
        EXPECT_EQ(window.log[1].substr(0, c.firstCall.size()), c.firstCall);
    }
    window.menuAnswers = {TreeMenuChoice::None};
    window.ClearLog();
    TreeMouseUp(program, 2, 0, entry);
    EXPECT_EQ(window.log, std::vector<std::string>{"PopupTreeMenu"});
}

}  // namespace
}  // namespace tessarin
