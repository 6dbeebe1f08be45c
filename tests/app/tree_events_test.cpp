#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/WindowHarness.h"
#include "app/TreeEvents.h"

namespace tessarin {
namespace {

using testing::FakeWindow;
using Log = std::vector<std::string>;

// An open archive with one entry: root, folder ui\ and entry ui\logo.1A; node[3] is "no node".
struct TreeEventsTest : ::testing::Test {
    testing::WindowHarness h;
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
        SCOPED_TRACE(clicked == kNone ? "the root with an entry" : program.tree.Node(node[clicked]).key);
        const std::string v = clicked == kEntry ? "true" : "false", e = clicked != kRoot ? "true" : "false";
        if (clicked == kNone) window.selected = node[kRoot], window.alsoSelected = {node[kEntry]};  // root and an entry
        window.ClearLog();
        NodeClick(program, node[clicked == kNone ? kRoot : clicked]);
        EXPECT_EQ(window.log, (Log{"SetMenuEnabled | nexport | " + e, "SetMenuEnabled | nimport | " + v,
                                   "SetMenuEnabled | nproperty | " + v, "SetButtonEnabled | 5 | " + e,
                                   "SetButtonEnabled | 6 | " + v, "SetButtonEnabled | 8 | " + v}));
    }
}

// A right click on the selected entry or folder shows the menu, whose choice
// runs its command for the main window; another button or node, or the root,
// shows nothing.
TEST_F(TreeEventsTest, RightClickOnTheSelectedEntryOrFolderRunsTheMenuChoice) {
    const std::string owner = std::to_string(FakeWindow::kMainHandle);
    const auto none = TreeMenuChoice::None, exportFile = TreeMenuChoice::ExpFile;
    const struct {
        int button, selected, under;
        TreeMenuChoice choice;
        Log calls;  // the command's first call cut to the expected one's length (pickers cancel)
    } cases[] = {
        {2, kEntry, kEntry, exportFile, {"PopupTreeMenu", "BrowseForFolder | " + owner + " | 选保存文件的目录 |  | 64"}},
        {2, kEntry, kEntry, TreeMenuChoice::RepalceFile,
         {"PopupTreeMenu", "ShowOpenDialog | " + owner + " | 所有文件 *.*|*.* | 替换logo.png:"}},
        {2, kEntry, kEntry, TreeMenuChoice::FProperty, {"PopupTreeMenu", "Showinfo | logo.png"}},
        {2, kEntry, kEntry, none, {"PopupTreeMenu"}},
        {1, kEntry, kEntry, exportFile, {}},  {2, kFolder, kEntry, exportFile, {}},
        {2, kFolder, kFolder, exportFile, {"PopupTreeMenu", "BrowseForFolder | " + owner + " | 选保存文件的目录 |  | 64"}},
        {2, kRoot, kRoot, exportFile, {}}, {2, kEntry, kNone, exportFile, {}}, {2, kNone, kNone, exportFile, {}},
    };
    for (const auto& c : cases) {
        const auto name = [&](int n) { return n == kNone ? std::string("no node") : program.tree.Node(node[n]).key; };
        SCOPED_TRACE("button " + std::to_string(c.button) + " on " + name(c.under) + ", " + name(c.selected) +
                     " selected, menu choice " + std::to_string(static_cast<int>(c.choice)));
        window.selected = node[c.selected];
        window.menuAnswers = {c.choice};
        window.ClearLog();
        TreeMouseUp(program, c.button, 0, node[c.under]);
        Log calls = window.log;
        for (std::size_t i = 0; i < calls.size() && i < c.calls.size(); ++i)
            calls[i].resize(std::min(calls[i].size(), c.calls[i].size()));
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(window.selected, node[c.selected]);
    }
}

}  // namespace
}  // namespace tessarin
