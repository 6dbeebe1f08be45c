// The item model over the entry tree: Qt's model checks across opens and
// closes, and what each node shows.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QImage>

#include "UiHarness.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"
#include "ui/Icons.h"

namespace tessarin::testing {
namespace {

std::vector<QString> g_warnings;

void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) g_warnings.push_back(message);
}

TEST(EntryTreeModel, PassesQtsModelTesterAcrossOpenCloseAndReopen) {
    UiHarness ui;
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
    {
        QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        ArcPlan deep = SampleArchive();
        for (int i = 0; i < 40; ++i) {
            deep.records.push_back(Entry("d" + std::to_string(i % 5) + "\\e" + std::to_string(i % 3) + "\\f" +
                                             std::to_string(i),
                                         0x20, "x"));
        }
        ui.Open(deep);
        ui.window.Tree()->collapseAll();
        ui.window.Tree()->expandAll();
        ui.window.MenuAction("nclose")->trigger();
        ui.Open(SampleArchive(), "again.arc");
    }
    qInstallMessageHandler(previous);
    for (const QString& warning : g_warnings) ADD_FAILURE() << warning.toStdString();
}

QImage Picture(const QVariant& decoration) { return decoration.value<QIcon>().pixmap(16, 16).toImage(); }

QImage Expected(const char* name) {
    return RenderPicture(QStringLiteral(":/icons/%1.svg").arg(name), 16).toImage();
}

TEST(EntryTreeModel, NodesShowTheirTextAndImageAndFoldersTheirOpenImageWhenExpanded) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.window.Tree()->collapseAll();
    struct Row {
        const char* key;
        const char* text;
        const char* image;
    };
    const Row rows[] = {
        {"top.1A", "top.png", "page_red"},
        {"a\\", "a", "tree_window"},
        {"a\\b\\c\\raw.99", "raw.99", "page_red"},
    };
    for (const Row& row : rows) {
        const QModelIndex index = ui.IndexOf(row.key);
        EXPECT_EQ(index.data().toString(), row.text) << row.key;
        EXPECT_EQ(Picture(index.data(Qt::DecorationRole)), Expected(row.image)) << row.key;
    }
    EXPECT_EQ(Picture(ui.IndexOf("Root").data(Qt::DecorationRole)), Expected("tree_archive"));
    ui.window.Tree()->expand(ui.IndexOf("a\\"));
    EXPECT_EQ(Picture(ui.IndexOf("a\\").data(Qt::DecorationRole)), Expected("tree_window_grey"));
    ui.window.Tree()->collapse(ui.IndexOf("a\\"));
    EXPECT_EQ(Picture(ui.IndexOf("a\\").data(Qt::DecorationRole)), Expected("tree_window"));
}

TEST(EntryTreeModel, KeepsChildrenInDirectoryOrderAndShowsChineseNames) {
    UiHarness ui;
    ArcPlan archive;
    // 界面\图标\标志 and 说明 in code page 936; "z" before "a": no sorting.
    archive.records = {Entry("z", 0x20, "1"), Entry("\xBD\xE7\xC3\xE6\\\xCD\xBC\xB1\xEA\\\xB1\xEA\xD6\xBE", 0x1A, "2"),
                    Entry("a", 0x20, "3"), Entry("\xCB\xB5\xC3\xF7", 0x20, "4")};
    ui.Open(archive);
    const QModelIndex root = ui.window.Model()->index(0, 0);
    QStringList texts;
    for (int r = 0; r < ui.window.Model()->rowCount(root); ++r) texts << ui.window.Model()->index(r, 0, root).data().toString();
    EXPECT_EQ(texts, (QStringList{"z.txt", QString::fromUtf8("界面"), "a.txt", QString::fromUtf8("说明.txt")}));
    const QModelIndex logo = ui.window.Model()->index(0, 0, ui.window.Model()->index(0, 0, ui.window.Model()->index(1, 0, root)));
    EXPECT_EQ(logo.data().toString(), QString::fromUtf8("标志.png"));
}

}  // namespace
}  // namespace tessarin::testing
