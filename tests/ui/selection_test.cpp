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
    QWidget* viewport = ui.window.Tree()->viewport();
    const auto centre = [&](const char* key) {
        return ui.window.Tree()->visualRect(ui.window.Model()->IndexOf(ui.program.tree.Find(key))).center();
    };
    enum How { Click, CtrlClick, ShiftClick, ShiftUp, RightClick };
    const struct {
        How how;
        const char* key;
        const char* current;
        std::size_t selected;
        const char* panel;
    } steps[] = {
        {Click, "top.1A", "top.1A", 1, "已选择 1 个对象，共 8 字节"},
        {CtrlClick, "a\\readme.20", "a\\readme.20", 2, "已选择 2 个对象，共 15 字节"},
        {CtrlClick, "a\\", "a\\", 3, "已选择 4 个对象，共 3,018 字节"},  // readme counts with its folder
        {RightClick, "top.1A", "a\\", 3, "已选择 4 个对象，共 3,018 字节"},
        {Click, "a\\b\\logo.1A", "a\\b\\logo.1A", 1, "已选择 1 个对象，共 3,000 字节"},
        {ShiftClick, "a\\b\\c\\raw.99", "a\\b\\c\\raw.99", 3, "已选择 2 个对象，共 3,003 字节"},
        {ShiftUp, nullptr, "a\\b\\c\\", 2, "已选择 2 个对象，共 3,003 字节"},
        {CtrlClick, "a\\b\\c\\", "a\\b\\logo.1A", 1, "已选择 1 个对象，共 3,000 字节"},  // taken out again
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << step.how << " " << (step.key ? step.key : "up"));
        if (step.how == ShiftUp) QTest::keyClick(ui.window.Tree(), Qt::Key_Up, Qt::ShiftModifier);
        else if (step.how == RightClick) QTest::mouseClick(viewport, Qt::RightButton, {}, centre(step.key));
        else QTest::mouseClick(viewport, Qt::LeftButton, step.how == CtrlClick ? Qt::ControlModifier
                                                          : step.how == ShiftClick ? Qt::ShiftModifier
                                                                                   : Qt::NoModifier, centre(step.key));
        EXPECT_EQ(ui.SelectedKey(), step.current);
        EXPECT_EQ(ui.window.TreeSelection().size(), step.selected);
        EXPECT_EQ(ui.window.Panel(1)->text(), QString::fromUtf8(step.panel));
        const bool entry = IsEntryKey(step.current);
        EXPECT_EQ(ui.window.MenuAction("nproperty")->isEnabled(), entry);
        EXPECT_EQ(ui.window.ToolbarAction(6)->isEnabled(), entry);
        EXPECT_TRUE(ui.window.MenuAction("nexport")->isEnabled());
    }
    EXPECT_EQ(ui.prompts->popups, 0);  // the right click was not on the current node
}

TEST(Selection, FilesDroppedOntoAFolderAreAddedThere) {
    UiHarness ui;
    ui.Open(SampleArchive());
    WriteFileBytes(ui.dir / "one.7", "one");
    WriteFileBytes(ui.dir / "two.8", "two");
    ui.window.DropFiles(ui.program.tree.Find("a\\b\\"), {ui.dir / "one.7", ui.dir / "two.8"});
    QTest::qWait(20);  // the drop's work runs after the drop
    EXPECT_EQ(ui.program.arc.ArcEntries.size(), 6u);
    EXPECT_NE(ui.program.tree.Find("a\\b\\one.7"), kNoNode);
    EXPECT_NE(ui.program.tree.Find("a\\b\\two.8"), kNoNode);
    EXPECT_EQ(ui.window.Caption(), "pack.ARC - Tessarin");
}

}  // namespace
}  // namespace tessarin::testing
