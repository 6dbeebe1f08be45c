// The tree's columns, sorting and filter, and edits that change it in place:
// real widgets on the offscreen platform, with Qt's model tester watching (UiHarness).
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>

#include "UiHarness.h"
#include "app/Commands.h"
#include "app/EditCommands.h"
#include "core/platform/Cp936.h"
#include "ui/treeview/EntryFilterBox.h"

namespace tessarin::testing {
namespace {

// Every shown node's key, depth first in the shown order.
QStringList ShownKeys(const UiHarness& ui, const QModelIndex& parent = {}) {
    QStringList keys;
    const EntryTreeModel* model = ui.window.Model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        keys << QString::fromStdString(ui.program.tree.Node(EntryTreeModel::NodeOf(index)).key) << ShownKeys(ui, index);
    }
    return keys;
}

QString Cells(const UiHarness& ui, const std::string& key) {
    QStringList cells;
    for (int column = 1; column < EntryTreeModel::kColumnCount; ++column)
        cells << ui.IndexOf(key).siblingAtColumn(column).data().toString();
    return cells.join('|');
}

// Sizes of 100 MB and more show whole: 大小 fits the root's sum, 1,000,003,018.
TEST(EntryDetails, ColumnsShowTheRecordAndFoldersTheirSumsAndFitTheLargest) {
    UiHarness ui;
    ArcPlan plan = SampleArchive();
    plan.records.push_back(Stored("big", 0x20, Deflate("b"), 1'000'000'000));
    ui.Open(plan);
    // Size as shown, stored size, ratio; then type and offset for an entry, nothing for a folder.
    const auto sums = [](const char* size, qsizetype stored, double plain) {
        return size + ("|" + QString::number(stored) + "|" + QString::number(100.0 * stored / plain, 'f', 1) + "%|");
    };
    const auto entry = [&](const char* key, const char* size, const std::string& plain, const char* type) {
        return sums(size, Deflate(plain).size(), plain.size()) + type + "|" +
               QString::number(FindEntryByKey(ui.program.arc.ArcEntries, key)->ArcFileOFSET);
    };
    const qsizetype foldersStored = Deflate("read me").size() + Deflate(std::string(3000, 'x')).size() + Deflate("raw").size();
    const qsizetype allStored = foldersStored + Deflate("top data").size() + Deflate("b").size();
    const struct { const char* key; QString cells; } rows[] = {
        {"top.1A", entry("top.1A", "8", "top data", "png|1A")},
        {"a\\b\\logo.1A", entry("a\\b\\logo.1A", "3,000", std::string(3000, 'x'), "png|1A")},
        {"a\\b\\c\\raw.99", entry("a\\b\\c\\raw.99", "3", "raw", "99|99")},
        {"a\\", sums("3,010", foldersStored, 3010) + "||"},
        {"Root", sums("1,000,003,018", allStored, 1'000'003'018) + "||"},
    };
    for (const auto& row : rows) EXPECT_EQ(Cells(ui, row.key), row.cells) << row.key;
    EXPECT_GE(ui.window.Tree()->header()->sectionSize(EntryTreeModel::kSizeColumn),
              ui.window.Tree()->fontMetrics().horizontalAdvance("1,000,003,018") + 4);
    // The headers, and the window wide enough for every column.
    QStringList headers;
    for (int column = 0; column < EntryTreeModel::kColumnCount; ++column)
        headers << ui.window.Model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers.join('|'), QString::fromUtf8("名称|大小|压缩后|比率|类型|类型代码|偏移"));
    if (kDesignFontMetrics) {
        EXPECT_GE(ui.window.Tree()->viewport()->width(), ui.window.Tree()->header()->length());
    }
}

TEST(EntryDetails, HeaderSortsWithinEachFolderFoldersFirstNamesByCodePage936AndKeepsWidthsAcrossOpens) {
    UiHarness ui;
    ArcPlan plan = SampleArchive();
    plan.records.insert(plan.records.end(), {Entry("a\\big", 0x20, std::string(5000, 'y')), Entry("a\\Alpha", 0x1A, "zz")});
    ui.Open(plan);
    const struct { int column; Qt::SortOrder order; const char* keys; } rows[] = {
        {-1, Qt::AscendingOrder, "Root top.1A a\\ a\\readme.20 a\\b\\ a\\b\\logo.1A a\\b\\c\\ a\\b\\c\\raw.99 a\\big.20 a\\Alpha.1A"},
        {0, Qt::AscendingOrder, "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99 a\\b\\logo.1A a\\Alpha.1A a\\big.20 a\\readme.20 top.1A"},
        {1, Qt::DescendingOrder, "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99 a\\b\\logo.1A a\\big.20 a\\readme.20 a\\Alpha.1A top.1A"},
        {1, Qt::AscendingOrder, "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99 a\\b\\logo.1A a\\Alpha.1A a\\readme.20 a\\big.20 top.1A"},
        {4, Qt::AscendingOrder, "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99 a\\b\\logo.1A a\\Alpha.1A a\\readme.20 a\\big.20 top.1A"},
    };
    for (const auto& row : rows) {
        ui.window.Tree()->sortByColumn(row.column, row.order);
        EXPECT_EQ(ShownKeys(ui).join(' '), QString::fromUtf8(row.keys)) << row.column;
    }
    // The selection and the open folders survive a sort.
    ui.Select("a\\b\\logo.1A");
    ui.window.Tree()->sortByColumn(1, Qt::DescendingOrder);
    EXPECT_EQ(ui.SelectedKey(), "a\\b\\logo.1A");
    EXPECT_TRUE(ui.window.Tree()->isExpanded(ui.IndexOf("a\\b\\")));

    ui.window.Tree()->header()->resizeSection(2, 123);
    ui.window.MenuAction("nclose")->trigger();
    ui.Open(plan, "again.ARC");
    EXPECT_EQ(std::pair(ui.window.Tree()->header()->sectionSize(2), ui.window.Tree()->header()->sortIndicatorSection()),
              std::pair(123, 1));
    EXPECT_EQ(ShownKeys(ui).join(' '), QString::fromUtf8(rows[2].keys));  // sorted as before
    // Sorted by name, names follow their code page 936 bytes: pinyin order for
    // simplified Chinese (界 jie before 文 wen, though U+6587 comes before U+754C).
    ui.window.MenuAction("nclose")->trigger();
    ui.Open(Archive({Entry(TextToCp936("文本"), 0x20, "w"), Entry(TextToCp936("界面"), 0x20, "j"), Entry("zz", 0x20, "z")}));
    ui.window.Tree()->sortByColumn(EntryTreeModel::kNameColumn, Qt::AscendingOrder);
    EXPECT_EQ(ShownKeys(ui).join(' '), QString::fromUtf8("Root zz.20 界面.20 文本.20"));
}

TEST(EntryDetails, FilterKeepsMatchesWithTheirFoldersAndEscClearsItAnywhere) {
    OpenHarness ui;
    EntryFilterBox* box = ui.window.FilterBox();
    ui.window.Tree()->collapse(ui.IndexOf("a\\b\\"));
    const struct { const char* text; const char* keys; } rows[] = {
        {"LOGO", "Root a\\ a\\b\\ a\\b\\logo.1A"},
        {"a\\B", "Root a\\ a\\b\\ a\\b\\logo.1A a\\b\\c\\ a\\b\\c\\raw.99"},
        {"r", "Root a\\ a\\readme.20 a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99"},
        {"1A", "Root"},  // the type code is not part of the full name
        {"zzz", "Root"},
        {"", "Root top.1A a\\ a\\readme.20 a\\b\\ a\\b\\logo.1A a\\b\\c\\ a\\b\\c\\raw.99"},
    };
    for (const auto& row : rows) {
        box->setText(QString::fromUtf8(row.text));
        EXPECT_EQ(ShownKeys(ui).join(' '), QString::fromUtf8(row.keys)) << row.text;
        EXPECT_TRUE(!*row.text || std::string(row.keys) == "Root" || ui.window.Tree()->isExpanded(ui.IndexOf("a\\b\\")));
    }
    // Typing in the tree starts the filter, Esc clears it and closes what was closed.
    ui.window.Tree()->setFocus();
    QTest::keyClicks(ui.window.Tree(), "raw");
    EXPECT_EQ(box->text(), "raw");
    EXPECT_EQ(ShownKeys(ui).join(' ').toStdString(), "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(std::tuple(box->text(), ui.window.Tree()->isExpanded(ui.IndexOf("a\\b\\")),
                         ui.window.Tree()->isExpanded(ui.IndexOf("a\\")), ui.window.Tree()->hasFocus()),
              std::tuple(QString(), false, true, true));
    QTest::keySequence(ui.window.Tree(), QKeySequence("Ctrl+L"));
    EXPECT_TRUE(box->hasFocus());
    // Esc clears it wherever the keys are while it is set and keeps the
    // selection (the one the filter hid comes back); closing the archive clears it.
    const std::pair<QWidget*, const char*> escapes[] = {{box, "a\\b\\logo.1A"}, {ui.window.Tree(), "a\\b\\logo.1A"},
                                                        {ui.window.findChild<QCheckBox*>("Check1"), "a\\b\\logo.1A"},
                                                        {ui.window.Tree(), "a\\readme.20"}};  // hidden by the filter
    for (const auto& [focus, selected] : escapes) {
        SCOPED_TRACE(focus->objectName().toStdString() + " " + selected);
        ui.Select(selected);
        box->setText("logo");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_EQ(std::pair(box->text(), ui.SelectedKey()), std::pair(QString(), std::string(selected)));
    }
    box->setText("zzz");
    ui.window.MenuAction("nclose")->trigger();
    ui.Open(SampleArchive(), "again.ARC");
    EXPECT_TRUE(box->text().isEmpty() && ui.IndexOf("a\\b\\c\\raw.99").isValid());
}

// F2 edits the selected node's name in the tree, showing it first; the key
// ends the edit (Enter renames, Esc does not).
std::function<void(UiHarness&)> RenameInPlace(const QString& typed, Qt::Key key) {
    return [=](UiHarness& ui) {
        QTest::keyClick(ui.window.Tree(), Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text().toStdString(), ui.program.tree.Node(ui.window.TreeSelected()).text);
        editor->setText(typed);  // typed (QTest types ASCII only)
        QTest::keyClick(editor, key);
        QTest::qWait(20);  // the rename runs after the editor closed
    };
}

// Edits change the tree in place: expanded folders stay expanded, collapsed
// ones collapsed, the selection moves on and the folder sums follow. Several
// selected nodes go in one edit, with the folder they leave empty. The edit's
// result is said in panel 1; panel 2 still names the archive, its path as tooltip.
TEST(TreeEdit, DeleteAddRenameAndUndoKeepExpandedFoldersSortedOrNot) {
    // selected: afterwards; sumOfA: the size column of a\ ; gone: a folder the edit removed or renamed; said: panel 1.
    const struct { const char* label; std::string select; std::function<void(UiHarness&)> edit; std::string selected;
                   QString sumOfA; int resets; std::string gone; const char* said; } rows[] = {
        {"delete", "a\\b\\logo.1A", [](UiHarness& ui) { ui.window.MenuAction("ndelete")->trigger(); }, "a\\b\\c\\", "10", 0, "", "已删除 1 个对象"},
        {"delete two", "a\\b\\logo.1A",
         [](UiHarness& ui) {
             ui.window.Tree()->selectionModel()->select(ui.IndexOf("a\\b\\c\\raw.99"),
                                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
             ui.window.MenuAction("ndelete")->trigger();
         },
         "a\\readme.20", "7", 0, "a\\b\\", "已删除 2 个对象"},
        {"add", "a\\b\\", [](UiHarness& ui) { RunCommand(ui.program, [&] { AddFilesToSelected(ui.program, {ui.dir / "n.txt"}); }); },
         "a\\b\\n.20", "3,015", 0, "", "已添加 1 个对象"},
        {"rename", "a\\readme.20", RenameInPlace("notes.png", Qt::Key_Return), "a\\notes.1A", "3,010", 0, "", "已重命名 1 个对象"},
        {"rename a folder", "a\\b\\", RenameInPlace("新", Qt::Key_Enter), "a\\新\\", "3,010", 0, "a\\b\\", "已重命名 2 个对象"},
        {"rename dismissed", "a\\readme.20", RenameInPlace("notes.png", Qt::Key_Escape), "a\\readme.20", "3,010", 0, "",
         "已选择 1 个对象，共 7 字节"},  // as it was
        {"undo", "a\\b\\logo.1A", [](UiHarness& ui) { ui.window.MenuAction("ndelete")->trigger(); ui.window.MenuAction("nundo")->trigger(); },
         "a\\b\\c\\", "3,010", 1, "", "已撤销：删除 1 个对象"},
    };
    for (const bool sorted : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.label) + (sorted ? " (sorted)" : ""));
            UiHarness ui;
            ui.program.undo.kept = true;
            ui.Open();
            WriteFileBytes(ui.dir / "n.txt", "added");
            ui.window.Tree()->collapse(ui.IndexOf("a\\b\\c\\"));
            if (sorted) ui.window.Tree()->sortByColumn(EntryTreeModel::kNameColumn, Qt::DescendingOrder);
            ui.Select(row.select);
            ui.prompts->chooseAnswer = 0;  // yes, delete
            QSignalSpy resets(ui.window.Model(), &QAbstractItemModel::modelReset);
            row.edit(ui);
            EXPECT_EQ(resets.count(), row.resets);
            EXPECT_TRUE(QTest::qWaitFor([&] { return ui.SelectedKey() == row.selected; }, 2000)) << ui.SelectedKey();
            for (const char* key : {"Root", "a\\", "a\\b\\"})
                EXPECT_TRUE(key == row.gone || ui.window.Tree()->isExpanded(ui.IndexOf(key))) << key;
            EXPECT_TRUE(row.gone.empty() || !ui.IndexOf(row.gone).isValid());
            EXPECT_FALSE(ui.window.Tree()->isExpanded(ui.IndexOf("a\\b\\c\\")));
            EXPECT_EQ(std::pair(ui.IndexOf("a\\").siblingAtColumn(EntryTreeModel::kSizeColumn).data().toString(),
                                ui.window.Panel(1)->text()), std::pair(row.sumOfA, QString::fromUtf8(row.said)));
            if (kDesignFontMetrics) {
                EXPECT_EQ(ui.window.Panel(2)->text(), "ARC File: pack.ARC");
            }
            EXPECT_EQ(ui.window.Panel(2)->toolTip().toStdString(), ui.dir / "pack.ARC");
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
