// Clicks in the tree: the left click switches the six per-entry controls, the
// right click opens tvwmenu only on the selected entry and never selects.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include "UiHarness.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"
#include "ui/frmInfo.h"

namespace tessarin::testing {
namespace {

bool SixControlsEnabled(const UiHarness& ui, bool expected) {
    bool all = true;
    for (const char* item : {"nexport", "nimport", "nproperty"}) all &= ui.Enabled(item) == expected;
    for (int button : {5, 6, 8}) all &= ui.ButtonEnabled(button) == expected;
    return all;
}

TEST(TreeEvents, LeftClickOnAnEntryEnablesTheEntryCommandsAndOnAFolderOrTheRootDisablesThem) {
    UiHarness ui;
    ui.Open(SampleArchive());
    struct Step {
        const char* key;
        bool enabled;
    };
    const Step steps[] = {{"a\\b\\logo.1A", true}, {"a\\b\\", false}, {"top.1A", true},
                          {"Root", false},         {"a\\b\\c\\raw.99", true}, {"a\\", false}};
    for (const Step& step : steps) {
        ui.Click(Qt::LeftButton, step.key);
        EXPECT_EQ(ui.SelectedKey(), step.key);
        EXPECT_TRUE(SixControlsEnabled(ui, step.enabled)) << step.key;
    }
}

TEST(TreeEvents, RightClickOpensTheMenuOnlyOnTheSelectedEntryAndNeverChangesTheSelection) {
    struct Row {
        const char* leftClicked;   // selected first ("" : keep the root selected by the open)
        const char* rightClicked;  // "" : empty space below the last row
        bool menu;
    };
    const Row rows[] = {
        {"top.1A", "top.1A", true},
        {"a\\b\\logo.1A", "a\\b\\logo.1A", true},
        {"top.1A", "a\\readme.20", false},  // another entry: not selected, no menu
        {"a\\b\\", "a\\b\\", false},        // the selected folder
        {"Root", "Root", false},            // the selected root
        {"top.1A", "", false},              // empty space
        {"", "top.1A", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.leftClicked << " / " << row.rightClicked);
        UiHarness ui;
        ui.Open(SampleArchive());
        if (*row.leftClicked) ui.Click(Qt::LeftButton, row.leftClicked);
        const std::string selected = ui.SelectedKey();
        const QModelIndex current = ui.window.Tree()->currentIndex();
        const QPoint pos = *row.rightClicked ? ui.CenterOf(row.rightClicked)
                                             : QPoint(10, ui.window.Tree()->viewport()->height() - 3);
        ui.Click(Qt::RightButton, pos);
        EXPECT_EQ(ui.prompts->popups, row.menu ? 1 : 0);
        EXPECT_EQ(ui.SelectedKey(), selected);
        EXPECT_EQ(ui.window.Tree()->currentIndex(), current);
    }
}

TEST(TreeEvents, TheChosenContextItemRunsItsCommandForTheSelectedEntry) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.Click(Qt::LeftButton, "a\\b\\logo.1A");
    std::vector<std::string> shown;
    ui.prompts->onExec = [&](QDialog& dialog) {
        if (auto* info = qobject_cast<frmInfo*>(&dialog)) shown.push_back(info->Field(1)->text().toStdString());
    };
    ui.prompts->popupChoices = {"fproperty", "expfile", "repalcefile", ""};
    for (int i = 0; i < 4; ++i) ui.Click(Qt::RightButton, "a\\b\\logo.1A");
    EXPECT_EQ(ui.prompts->popups, 4);
    EXPECT_EQ(shown, std::vector<std::string>{"logo.png"});
    ASSERT_EQ(ui.prompts->folderRequests.size(), 1u);  // expfile asked for a folder
    EXPECT_EQ(ui.prompts->folderRequests[0].owner, &ui.window);
    ASSERT_EQ(ui.prompts->openRequests.size(), 1u);  // repalcefile asked for a source
    EXPECT_EQ(ui.prompts->openRequests[0].owner, &ui.window);
    EXPECT_EQ(ui.SelectedKey(), "a\\b\\logo.1A");
}

TEST(TreeEvents, KeyboardMovesKeepTheEntryCommandsInStepWithTheSelection) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.Click(Qt::LeftButton, "top.1A");
    ASSERT_TRUE(SixControlsEnabled(ui, true));
    ui.window.Tree()->setFocus();
    QTest::keyClick(ui.window.Tree(), Qt::Key_Down);  // from top.1A to the folder "a"
    EXPECT_EQ(ui.SelectedKey(), "a\\");
    EXPECT_TRUE(SixControlsEnabled(ui, false));
    QTest::keyClick(ui.window.Tree(), Qt::Key_Down);  // -> a\readme.20
    EXPECT_EQ(ui.SelectedKey(), "a\\readme.20");
    EXPECT_TRUE(SixControlsEnabled(ui, true));
}

TEST(TreeEvents, ClosingTheArchiveAfterAnEntryWasClickedDisablesEverythingAgain) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.Click(Qt::LeftButton, "top.1A");
    ui.window.MenuAction("nclose")->trigger();
    EXPECT_TRUE(SixControlsEnabled(ui, false));
    EXPECT_EQ(ui.SelectedKey(), "");
    ui.Open(SampleArchive(), "second.arc");
    EXPECT_TRUE(SixControlsEnabled(ui, false));
    EXPECT_EQ(ui.SelectedKey(), "Root");
}

}  // namespace
}  // namespace tessarin::testing
