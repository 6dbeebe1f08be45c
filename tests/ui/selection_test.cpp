// Several nodes selected with Ctrl and Shift: the current node still drives
// the entry controls, panel 1 counts the selection, and files dropped onto a
// folder node are added there.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTest>

#include "UiHarness.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"

namespace tessarin::testing {
namespace {

// Entries: top.1A (8 bytes), a\readme.20 (7), a\b\logo.1A (3000), a\b\c\raw.99 (3).
TEST(Selection, CtrlAndShiftSelectSeveralWhileTheCurrentNodeDrivesTheControls) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.window.Tree()->expandAll();
    const auto centre = [&](const char* key) {
        return ui.window.Tree()->visualRect(ui.window.Model()->IndexOf(ui.program.tree.Find(key))).center();
    };
    // how: ' ' click, 'c' Ctrl+click, 's' Shift+click, 'r' right click, 'u' Shift+Up.
    const struct { char how; const char *key, *current; std::size_t n; const char* panel; } steps[] = {
        {' ', "top.1A", "top.1A", 1, "已选择 1 个对象，共 8 字节"},
        {'c', "a\\readme.20", "a\\readme.20", 2, "已选择 2 个对象，共 15 字节"},
        {'c', "a\\", "a\\", 3, "已选择 4 个对象，共 3,018 字节"},  // readme counted once, with its folder
        {'r', "top.1A", "a\\", 3, "已选择 4 个对象，共 3,018 字节"},
        {' ', "a\\b\\logo.1A", "a\\b\\logo.1A", 1, "已选择 1 个对象，共 3,000 字节"},
        {'s', "a\\b\\c\\raw.99", "a\\b\\c\\raw.99", 3, "已选择 2 个对象，共 3,003 字节"},
        {'u', nullptr, "a\\b\\c\\", 2, "已选择 2 个对象，共 3,003 字节"},
        {'c', "a\\b\\c\\", "a\\b\\logo.1A", 1, "已选择 1 个对象，共 3,000 字节"},  // taken out again
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << &step - steps);
        const Qt::KeyboardModifiers keys = step.how == 'c' ? Qt::ControlModifier
                                           : step.how == 's' || step.how == 'u' ? Qt::ShiftModifier
                                                                                : Qt::NoModifier;
        if (step.how == 'u') QTest::keyClick(ui.window.Tree(), Qt::Key_Up, keys);
        else QTest::mouseClick(ui.window.Tree()->viewport(), step.how == 'r' ? Qt::RightButton : Qt::LeftButton, keys,
                               centre(step.key));
        EXPECT_EQ(ui.SelectedKey(), step.current);
        EXPECT_EQ(ui.window.TreeSelection().size(), step.n);
        EXPECT_EQ(ui.window.Panel(1)->text(), QString::fromUtf8(step.panel));
        EXPECT_EQ(ui.window.MenuAction("nproperty")->isEnabled() && ui.window.ToolbarAction(6)->isEnabled(),
                  IsEntryKey(step.current));
        EXPECT_TRUE(ui.window.MenuAction("nexport")->isEnabled());
    }
    EXPECT_EQ(ui.prompts->popups, 0);  // the right click was not on the current node

    // Files dropped onto a folder are added there.
    for (const char* name : {"one.7", "two.8"}) WriteFileBytes(ui.dir / name, name);
    ui.window.DropFiles(ui.program.tree.Find("a\\b\\"), {ui.dir / "one.7", ui.dir / "two.8"});
    QTest::qWait(20);  // the drop's work runs after the drop
    EXPECT_EQ(ui.program.arc.ArcEntries.size(), 6u);
    EXPECT_TRUE(ui.program.tree.Find("a\\b\\one.7") != kNoNode && ui.program.tree.Find("a\\b\\two.8") != kNoNode);
}

}  // namespace
}  // namespace tessarin::testing
