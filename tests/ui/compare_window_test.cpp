// 文件 → 比较档案: the differences in their own window, filtered by kind and
// copied as text; a row of the open archive selects its entry in the tree.
#include "ui/ArchiveCompareWindow.h"
#include "ui/UiHarness.h"

namespace tessarin::testing {
namespace {

TEST(CompareWindow, ListsFiltersCopiesAndSelectsInTheTree) {
    OpenHarness ui;
    ArcPlan other = SampleArchive();
    other.records.erase(other.records.begin() + 1);                  // a\readme.20 removed
    other.records[0] = Entry("top", 0x1A, "another top");            // changed
    other.records.push_back(Entry("new", 0x20, "only in the other"));  // added
    WriteFileBytes(ui.dir / "other.arc", BuildArc(other));
    ui.prompts->file = QString::fromStdString(ui.dir / "other.arc");
    ASSERT_TRUE(ui.window.MenuAction("ncompare")->isEnabled());
    ui.window.MenuAction("ncompare")->trigger();
    auto* window = ui.window.findChild<ArchiveCompareWindow*>("frmCompare");
    ASSERT_NE(window, nullptr) << ui.prompts->messages.join("\n").toStdString();
    EXPECT_EQ(window->RowsText().count('\n'), 3);
    window->SetFilter(1 + static_cast<int>(EntryChange::Added));
    EXPECT_TRUE(window->RowsText().startsWith("new.20\t添加\t\t17") && window->RowsText().count('\n') == 1)
        << window->RowsText().toStdString();
    window->SetFilter(0);
    ui.Select("a\\b\\logo.1A");
    window->SelectRow(1);  // new.20: not in the open archive, the tree stays
    EXPECT_EQ(ui.SelectedKey(), "a\\b\\logo.1A");
    window->SelectRow(0);
    EXPECT_EQ(ui.SelectedKey(), "top.1A");
    EXPECT_TRUE(window->RowsText().startsWith("top.1A\t修改\t"));
}

}  // namespace
}  // namespace tessarin::testing
