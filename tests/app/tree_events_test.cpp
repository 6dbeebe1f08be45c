#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramHarness.h"
#include "app/TreeEvents.h"

namespace tessarin {
namespace {

using testing::FakeWindow;
using Log = std::vector<std::string>;

// An open archive with one entry: root, folder ui\ and entry ui\logo.1A; node[3] is "no node".
struct TreeEventsTest : ::testing::Test {
    testing::ProgramHarness h;
    FakeWindow& window = h.window;
    Program& program = h.program;
    NodeId node[4] = {kNoNode, kNoNode, kNoNode, kNoNode};
    enum { kRoot, kFolder, kEntry, kNone };

    void SetUp() override {
        testing::ArcPlan plan;
        plan.records = {testing::Entry("ui\\logo", 0x1A, "x")};
        h.OpenArchive(plan);
        node[kRoot] = program.tree.Find(kRootKey);
        node[kFolder] = program.tree.Find("ui\\");
        node[kEntry] = program.tree.Find("ui\\logo.1A");
        ASSERT_NE(node[kEntry], kNoNode);
    }
};

// 导出 also takes a folder, and the root while another node is selected with it.
TEST_F(TreeEventsTest, NodeClickSwitchesTheEntryCommands) {
    for (const int clicked : {kEntry, kFolder, kEntry, kRoot, kNone}) {
        const std::string v = clicked == kEntry ? "true" : "false", e = clicked != kRoot ? "true" : "false";
        if (clicked == kNone) window.selected = node[kRoot], window.alsoSelected = {node[kEntry]};  // root and an entry
        window.ClearLog();
        NodeClick(program, node[clicked == kNone ? kRoot : clicked]);
        EXPECT_EQ(window.log, (Log{"SetMenuEnabled | nexport | " + e, "SetMenuEnabled | nimport | " + v,
                                   "SetMenuEnabled | nproperty | " + v, "SetButtonEnabled | 5 | " + e,
                                   "SetButtonEnabled | 6 | " + v, "SetButtonEnabled | 8 | " + v}));
    }
}

TEST_F(TreeEventsTest, RightClickShowsTheMenuOnlyOnTheSelectedEntry) {
    const struct {
        int button, selected, under;
        bool menu;
    } cases[] = {{2, kEntry, kEntry, true},  {1, kEntry, kEntry, false},  {2, kFolder, kEntry, false},
                 {2, kFolder, kFolder, false}, {2, kRoot, kRoot, false}, {2, kEntry, kNone, false},
                 {2, kNone, kNone, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);  // the row
        window.selected = node[c.selected];
        window.ClearLog();
        TreeMouseUp(program, c.button, 0, node[c.under]);
        EXPECT_EQ(window.log, c.menu ? Log{"PopupTreeMenu"} : Log{});
        EXPECT_EQ(window.selected, node[c.selected]);
    }
}

TEST_F(TreeEventsTest, MenuChoiceRunsItsCommandForTheMainWindow) {
    const std::string owner = std::to_string(FakeWindow::kMainHandle);
    const std::pair<TreeMenuChoice, std::string> cases[] = {
        {TreeMenuChoice::ExpFile, "BrowseForFolder | " + owner + " | 选保存文件的目录 |  | 64"},
        {TreeMenuChoice::RepalceFile, "ShowOpenDialog | " + owner + " | 所有文件 *.*|*.* | 替换logo.png:"},
        {TreeMenuChoice::FProperty, "Showinfo | logo.png"},
        {TreeMenuChoice::None, ""},
    };
    for (const auto& [choice, firstCall] : cases) {  // the command's first call (pickers cancel)
        window.selected = node[kEntry];
        window.menuAnswers = {choice};
        window.ClearLog();
        TreeMouseUp(program, 2, 0, node[kEntry]);
        ASSERT_EQ(window.log.size(), firstCall.empty() ? 1u : 2u) << firstCall;
        EXPECT_EQ(window.log[0], "PopupTreeMenu");
        if (!firstCall.empty()) { EXPECT_EQ(window.log[1].substr(0, firstCall.size()), firstCall); }
    }
}

}  // namespace
}  // namespace tessarin
