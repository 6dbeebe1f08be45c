// The tree's columns, sorting, filter and selection totals: real widgets on
// the offscreen platform, with Qt's model tester watching the model.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QTest>

#include "UiHarness.h"
#include "ui/EntryFilterBox.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"

namespace tessarin::testing {
namespace {

// Every shown node's key, depth first in the shown order.
QStringList ShownKeys(const UiHarness& ui, const QModelIndex& parent = {}) {
    QStringList keys;
    const EntryTreeModel* model = ui.window.Model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        keys << QString::fromStdString(ui.program.tree.Node(EntryTreeModel::NodeOf(index)).key);
        keys << ShownKeys(ui, index);
    }
    return keys;
}

QString Cells(const UiHarness& ui, const std::string& key) {
    const QModelIndex first = ui.window.Model()->IndexOf(ui.program.tree.Find(key));
    QStringList cells;
    for (int column = 1; column < EntryTreeModel::kColumnCount; ++column) {
        cells << first.siblingAtColumn(column).data().toString();
    }
    return cells.join('|');
}

TEST(EntryDetails, ColumnsShowTheRecordAndFoldersTheirSums) {
    UiHarness ui;
    QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ui.Open(SampleArchive());
    // Size as shown, stored size, ratio; then type and offset for an entry, nothing for a folder.
    const auto sums = [](const char* size, qsizetype stored, double plain) {
        return size + ("|" + QString::number(stored) + "|" + QString::number(100.0 * stored / plain, 'f', 1) + "%|");
    };
    const auto entry = [&](const char* key, const char* size, const std::string& plain, const char* type) {
        return sums(size, Deflate(plain).size(), plain.size()) + type + "|" +
               QString::number(FindEntryByKey(ui.program.arc.ArcEntries, key)->ArcFileOFSET);
    };
    const qsizetype foldersStored = Deflate("read me").size() + Deflate(std::string(3000, 'x')).size() + Deflate("raw").size();
    const qsizetype allStored = foldersStored + Deflate("top data").size();
    const struct { const char* key; QString cells; } rows[] = {
        {"top.1A", entry("top.1A", "8", "top data", "png|1A")},
        {"a\\b\\logo.1A", entry("a\\b\\logo.1A", "3,000", std::string(3000, 'x'), "png|1A")},
        {"a\\b\\c\\raw.99", entry("a\\b\\c\\raw.99", "3", "raw", "99|99")},
        {"a\\", sums("3,010", foldersStored, 3010) + "||"},
        {"Root", sums("3,018", allStored, 3018) + "||"},
    };
    for (const auto& row : rows) EXPECT_EQ(Cells(ui, row.key), row.cells) << row.key;
    // The headers, and the window wide enough for every column.
    QStringList headers;
    for (int column = 0; column < EntryTreeModel::kColumnCount; ++column) {
        headers << ui.window.Model()->headerData(column, Qt::Horizontal).toString();
    }
    EXPECT_EQ(headers.join('|'), QString::fromUtf8("名称|大小|压缩后|比率|类型|类型代码|偏移"));
    EXPECT_GE(ui.window.Tree()->viewport()->width(), ui.window.Tree()->header()->length());
}

TEST(EntryDetails, HeaderSortsWithinEachFolderFoldersFirstAndKeepsWidthsAndOrderAcrossOpens) {
    UiHarness ui;
    QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ArcPlan plan = SampleArchive();
    plan.records.push_back(Entry("a\\big", 0x20, std::string(5000, 'y')));
    plan.records.push_back(Entry("a\\Alpha", 0x1A, "zz"));
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
    ui.window.TreeSelect(ui.program.tree.Find("a\\b\\logo.1A"));
    ui.window.Tree()->sortByColumn(1, Qt::DescendingOrder);
    EXPECT_EQ(ui.SelectedKey(), "a\\b\\logo.1A");
    EXPECT_TRUE(ui.window.Tree()->isExpanded(ui.window.Model()->IndexOf(ui.program.tree.Find("a\\b\\"))));

    ui.window.Tree()->header()->resizeSection(2, 123);
    ui.window.MenuAction("nclose")->trigger();
    ui.Open(plan, "again.ARC");
    EXPECT_EQ(ui.window.Tree()->header()->sectionSize(2), 123);
    EXPECT_EQ(ui.window.Tree()->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(ShownKeys(ui).join(' ').toStdString(),
              "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99 a\\b\\logo.1A a\\big.20 a\\readme.20 a\\Alpha.1A top.1A");
}

TEST(EntryDetails, FilterKeepsMatchesWithTheirFoldersAndEscRestoresTheTree) {
    UiHarness ui;
    QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ui.Open(SampleArchive());
    EntryFilterBox* box = ui.window.FilterBox();
    const QModelIndex b = ui.window.Model()->IndexOf(ui.program.tree.Find("a\\b\\"));
    ui.window.Tree()->collapse(b);
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
        if (*row.text && std::string(row.keys) != "Root") {
            EXPECT_TRUE(ui.window.Tree()->isExpanded(ui.window.Model()->IndexOf(ui.program.tree.Find("a\\b\\"))));
        }
    }
    // Typing in the tree starts the filter, Esc clears it and closes what was closed.
    ui.window.Tree()->setFocus();
    QTest::keyClicks(ui.window.Tree(), "raw");
    EXPECT_EQ(box->text(), "raw");
    EXPECT_EQ(ShownKeys(ui).join(' ').toStdString(), "Root a\\ a\\b\\ a\\b\\c\\ a\\b\\c\\raw.99");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_FALSE(ui.window.Tree()->isExpanded(ui.window.Model()->IndexOf(ui.program.tree.Find("a\\b\\"))));
    EXPECT_TRUE(ui.window.Tree()->isExpanded(ui.window.Model()->IndexOf(ui.program.tree.Find("a\\"))));
    EXPECT_TRUE(ui.window.Tree()->hasFocus());
    QTest::keySequence(ui.window.Tree(), QKeySequence("Ctrl+L"));
    EXPECT_TRUE(box->hasFocus());
}

TEST(EntryDetails, PanelOneCountsTheSelectedEntriesAndTheirSize) {
    UiHarness ui;
    ui.Open(SampleArchive());
    const struct { const char* key; const char* panel; } rows[] = {
        {"a\\", "已选择 3 个对象，共 3,010 字节"},
        {"a\\b\\logo.1A", "已选择 1 个对象，共 3,000 字节"},
        {"Root", "发现 4 个对象"},
    };
    for (const auto& row : rows) {
        ui.window.TreeSelect(ui.program.tree.Find(row.key));
        EXPECT_EQ(ui.window.Panel(1)->text(), QString::fromUtf8(row.panel)) << row.key;
    }
}

}  // namespace
}  // namespace tessarin::testing
