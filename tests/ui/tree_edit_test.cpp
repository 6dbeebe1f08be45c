// Edits in the window: the tree changes in place (no reset), expanded folders
// stay expanded and collapsed ones collapsed, the selection moves to a
// neighbour or the renamed node, the folder sums follow; names are edited in
// the tree itself. Qt's model tester watches every change.
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

bool Expanded(const UiHarness& ui, const std::string& key) {
    const QModelIndex index = IndexOfKey(ui, key);
    EXPECT_TRUE(index.isValid()) << key;
    return ui.window.Tree()->isExpanded(index);
}

// SampleArchive and one more folder, opened with a\b\c\ collapsed.
void OpenSample(UiHarness& ui) {
    ArcPlan plan = SampleArchive();
    plan.records.push_back(Entry("e\\x", 0x20, "12345"));
    ui.Open(plan);
    ui.window.Tree()->collapse(IndexOfKey(ui, "a\\b\\c\\"));
}

TEST(TreeEdit, DeleteAddAndUndoKeepExpandedFoldersSortedOrNot) {
    const struct {
        const char* label;
        std::string select;
        std::function<void(UiHarness&)> edit;
        std::string selected;  // afterwards
        QString sumOfA;        // the size column of a\ .
        int resets = 0;
    } rows[] = {
        {"delete an entry", "a\\b\\logo.1A", [](UiHarness& ui) { ui.window.MenuAction("ndelete")->trigger(); },
         "a\\b\\c\\", "10"},
        {"add a file", "a\\b\\", [](UiHarness& ui) {
             WriteFileBytes(ui.dir / "new.txt", "added");
             RunCommand(ui.program, [&] { AddFilesToSelected(ui.program, {ui.dir / "new.txt"}); });
         },
         "a\\b\\new.20", "3,015"},
        {"undo builds it again with the same folders expanded", "a\\b\\logo.1A", [](UiHarness& ui) {
             ui.window.MenuAction("ndelete")->trigger();
             ui.window.MenuAction("nundo")->trigger();
         },
         "a\\b\\c\\", "3,010", 1},
    };
    for (const bool sorted : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.label) + (sorted ? " (sorted by name)" : ""));
            UiHarness ui;
            ui.program.undo.kept = true;
            QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
            OpenSample(ui);
            if (sorted) ui.window.Tree()->sortByColumn(EntryTreeModel::kNameColumn, Qt::DescendingOrder);
            ui.window.TreeSelect(ui.program.tree.Find(row.select));
            ui.prompts->chooseAnswer = 0;  // yes, delete
            QSignalSpy resets(ui.window.Model(), &QAbstractItemModel::modelReset);
            row.edit(ui);
            EXPECT_EQ(resets.count(), row.resets);
            EXPECT_EQ(ui.SelectedKey(), row.selected);
            for (const char* key : {"Root", "a\\", "a\\b\\", "e\\"}) EXPECT_TRUE(Expanded(ui, key)) << key;
            EXPECT_FALSE(Expanded(ui, "a\\b\\c\\"));
            EXPECT_EQ(IndexOfKey(ui, "a\\").siblingAtColumn(EntryTreeModel::kSizeColumn).data().toString(), row.sumOfA);
        }
    }
}

// F2 edits the selected node's name in the tree: Enter renames, Esc leaves
// the archive as it was.
TEST(TreeEdit, NamesAreEditedInPlace) {
    const struct {
        const char* label;
        std::string select;
        QString typed;
        Qt::Key key;
        std::string selected;  // afterwards, with the archive changed unless it is select
    } rows[] = {
        {"an entry renamed", "a\\readme.20", "notes.png", Qt::Key_Return, "a\\notes.1A"},
        {"a folder renamed", "a\\b\\", "新", Qt::Key_Enter, "a\\新\\"},
        {"Esc cancels", "a\\readme.20", "notes.png", Qt::Key_Escape, "a\\readme.20"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        UiHarness ui;
        OpenSample(ui);
        const std::string before = ReadFileBytes(ui.dir / "pack.ARC");
        const QString startText = QString::fromStdString(ui.program.tree.Node(ui.program.tree.Find(row.select)).text);
        ui.window.TreeSelect(ui.program.tree.Find(row.select));
        ui.window.Tree()->setFocus();
        QTest::keyClick(ui.window.Tree(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), startText);
        editor->setText(row.typed);  // typed (QTest types ASCII only)
        QTest::keyClick(editor, row.key);
        const bool renamed = row.selected != row.select;
        if (renamed) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return ui.program.tree.Find(row.selected) != kNoNode; }, 2000));
        } else {
            QTest::qWait(50);
        }
        EXPECT_EQ(ReadFileBytes(ui.dir / "pack.ARC") != before, renamed);
        EXPECT_EQ(ui.SelectedKey(), row.selected);
        EXPECT_TRUE(Expanded(ui, "a\\"));
        EXPECT_TRUE(ui.prompts->messages.isEmpty()) << ui.prompts->messages.join('|').toStdString();
    }
}

}  // namespace
}  // namespace tessarin::testing
