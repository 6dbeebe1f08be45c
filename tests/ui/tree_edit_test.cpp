// Edits in the window change the tree in place (Qt's model tester watching):
// expanded folders stay expanded, collapsed ones collapsed, the selection
// moves on and the folder sums follow; names are edited in the tree itself.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "UiHarness.h"
#include "app/Commands.h"
#include "app/EditCommands.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"

namespace tessarin::testing {
namespace {

QModelIndex IndexOfKey(const UiHarness& ui, const std::string& key) {
    return ui.window.Model()->IndexOf(ui.program.tree.Find(key));
}

TEST(TreeEdit, DeleteAddAndUndoKeepExpandedFoldersSortedOrNot) {
    const struct {
        const char* label;
        std::string select;
        std::function<void(UiHarness&)> edit;
        std::string selected;  // afterwards
        QString sumOfA;        // the size column of a\ .
        int resets;
    } rows[] = {
        {"delete", "a\\b\\logo.1A", [](UiHarness& ui) { ui.window.MenuAction("ndelete")->trigger(); }, "a\\b\\c\\", "10", 0},
        {"add", "a\\b\\", [](UiHarness& ui) { RunCommand(ui.program, [&] { AddFilesToSelected(ui.program, {ui.dir / "n.txt"}); }); },
         "a\\b\\n.20", "3,015", 0},
        {"undo", "a\\b\\logo.1A", [](UiHarness& ui) { ui.window.MenuAction("ndelete")->trigger(); ui.window.MenuAction("nundo")->trigger(); },
         "a\\b\\c\\", "3,010", 1},
    };
    for (const bool sorted : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.label) + (sorted ? " (sorted)" : ""));
            UiHarness ui;
            ui.program.undo.kept = true;
            QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
            ui.Open(SampleArchive());
            WriteFileBytes(ui.dir / "n.txt", "added");
            ui.window.Tree()->collapse(IndexOfKey(ui, "a\\b\\c\\"));
            if (sorted) ui.window.Tree()->sortByColumn(EntryTreeModel::kNameColumn, Qt::DescendingOrder);
            ui.window.TreeSelect(ui.program.tree.Find(row.select));
            ui.prompts->chooseAnswer = 0;  // yes, delete
            QSignalSpy resets(ui.window.Model(), &QAbstractItemModel::modelReset);
            row.edit(ui);
            EXPECT_EQ(resets.count(), row.resets);
            EXPECT_EQ(ui.SelectedKey(), row.selected);
            for (const char* key : {"Root", "a\\", "a\\b\\"}) EXPECT_TRUE(ui.window.Tree()->isExpanded(IndexOfKey(ui, key)));
            EXPECT_FALSE(ui.window.Tree()->isExpanded(IndexOfKey(ui, "a\\b\\c\\")));
            EXPECT_EQ(IndexOfKey(ui, "a\\").siblingAtColumn(EntryTreeModel::kSizeColumn).data().toString(), row.sumOfA);
        }
    }
}

// F2 edits the selected node's name in the tree: Enter renames, Esc does not.
TEST(TreeEdit, NamesAreEditedInPlace) {
    const struct {
        std::string select;
        QString typed;
        Qt::Key key;
        std::string selected;  // afterwards, the archive changed unless it is select
    } rows[] = {{"a\\readme.20", "notes.png", Qt::Key_Return, "a\\notes.1A"},
                {"a\\b\\", "新", Qt::Key_Enter, "a\\新\\"},
                {"a\\readme.20", "notes.png", Qt::Key_Escape, "a\\readme.20"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.selected);
        UiHarness ui;
        ui.Open(SampleArchive());
        const std::string before = ReadFileBytes(ui.dir / "pack.ARC");
        const TreeNode& node = ui.program.tree.Node(ui.program.tree.Find(row.select));
        ui.window.TreeSelect(ui.program.tree.Find(row.select));
        QTest::keyClick(ui.window.Tree(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text().toStdString(), node.text);
        editor->setText(row.typed);  // typed (QTest types ASCII only)
        QTest::keyClick(editor, row.key);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.program.tree.Find(row.selected) != kNoNode; }, 2000));
        QTest::qWait(20);
        EXPECT_EQ(ReadFileBytes(ui.dir / "pack.ARC") != before, row.selected != row.select);
        EXPECT_EQ(ui.SelectedKey(), row.selected);
        EXPECT_TRUE(ui.window.Tree()->isExpanded(IndexOfKey(ui, "a\\")));
    }
}

}  // namespace
}  // namespace tessarin::testing
