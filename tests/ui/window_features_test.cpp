// Find, drag and drop, stopping long work, and the archive's name in the
// caption and status bar: real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "UiHarness.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"
#include "ui/EntryFilterBox.h"
#include "ui/FindDialog.h"

namespace tessarin::testing {
namespace {

// Entries: top, a\readme, a\b\logo, a\b\c\raw; the searches run in that order.
TEST(Find, SelectsAndRevealsMatchesInDirectoryOrderAndWraps) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.window.Tree()->collapseAll();
    ui.window.Tree()->setFocus();
    QTest::keySequence(ui.window.Tree(), QKeySequence("Ctrl+F"));
    FindDialog* dialog = ui.window.Finder();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("查找"));
    auto* text = dialog->findChild<QLineEdit*>("FindText");
    auto* status = dialog->findChild<QLabel*>("FindStatus");
    struct Step { const char* typed; bool byF3; const char* selected; const char* status; };
    const Step steps[] = {
        {"A\\B", false, "a\\b\\logo.1A", "第 1 个，共 2 个"},  // ASCII letters in any case
        {nullptr, true, "a\\b\\c\\raw.99", "第 2 个，共 2 个"},
        {nullptr, true, "a\\b\\logo.1A", "第 1 个，共 2 个"},      // wraps
        {"\\b\\", false, "a\\b\\logo.1A", "第 1 个，共 2 个"},   // a new text starts over
        {nullptr, false, "a\\b\\c\\raw.99", "第 2 个，共 2 个"},  // the button again: the next one
        {"nothing", false, "a\\b\\c\\raw.99", "找不到“nothing”。"},  // the selection stays
        {"TOP", false, "top.1A", "第 1 个，共 1 个"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.selected);
        if (step.typed) text->setText(QString::fromUtf8(step.typed));
        if (step.byF3) {
            QTest::keyClick(ui.window.Tree(), Qt::Key_F3);
        } else {
            dialog->findChild<QPushButton*>("FindNextButton")->click();
        }
        EXPECT_EQ(ui.SelectedKey(), step.selected);
        EXPECT_EQ(status->text(), QString::fromUtf8(step.status));
        // Revealed, and the entry controls follow as after a click.
        const QModelIndex index = ui.window.Model()->IndexOf(ui.program.tree.Find(step.selected));
        EXPECT_TRUE(index.parent().isValid() && ui.window.Tree()->isExpanded(index.parent()));
        EXPECT_TRUE(ui.window.MenuAction("nexport")->isEnabled() && ui.window.ToolbarAction(5)->isEnabled());
    }
    // A match the filter hides: the filter is cleared and the match selected.
    ui.window.FilterBox()->setText("raw");
    text->setText("readme");
    dialog->findChild<QPushButton*>("FindNextButton")->click();
    EXPECT_EQ(ui.SelectedKey(), "a\\readme.20");
    EXPECT_TRUE(ui.window.FilterBox()->text().isEmpty());
}

// The file a drag offers, exported when the target asks: inflated, or stored
// with Check1 ticked, under the node's text; folders and the root are not dragged.
TEST(DragAndDrop, AnEntryDraggedOutOffersItsExportedFile) {
    struct Row { const char* key; bool check1; const char* name; std::string content; };
    const Row rows[] = {{"a\\readme.20", false, "readme.txt", "read me"},
                        {"a\\readme.20", true, "readme.txt", Deflate("read me")},
                        {"a\\b\\c\\raw.99", false, "raw.99", "raw"},
                        {"a\\b\\", false, nullptr, ""},
                        {"Root", false, nullptr, ""}};
    UiHarness ui;
    ui.Open(SampleArchive());
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.key << " check1 " << row.check1);
        ui.window.findChild<QCheckBox*>("Check1")->setChecked(row.check1);
        std::unique_ptr<QMimeData> data(ui.window.DragDataFor(ui.program.tree.Find(row.key)));
        if (!row.name) {
            EXPECT_EQ(data, nullptr);
            continue;
        }
        ASSERT_NE(data, nullptr);
        const QList<QUrl> urls = data->urls();
        ASSERT_EQ(urls.size(), 1);
        EXPECT_EQ(urls[0].fileName(), row.name);
        EXPECT_EQ(ReadFileBytes(urls[0].toLocalFile().toStdString()), row.content);
        EXPECT_EQ(data->data("text/uri-list"), urls[0].toEncoded() + "\r\n");  // the same file, exported once
    }
}

// A file dropped onto an entry replaces it after a yes; onto empty space it is
// opened as an archive, the open one closed first (onto a folder: see below).
TEST(DragAndDrop, DroppedFileReplacesTheEntryOrOpensAsArchive) {
    struct Row { const char* onto; int answer; const char* readmeAfter; const char* opened; };
    const Row rows[] = {{"a\\readme.20", 0, "new text", "pack.ARC"},  // yes: replaced
                        {"a\\readme.20", 1, "read me", "pack.ARC"},   // no: nothing changes
                        {"", -1, nullptr, "other.ARC"}};              // empty space
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.onto << " answer " << row.answer);
        UiHarness ui;
        ui.Open(SampleArchive());
        ui.prompts->chooseAnswer = row.answer;
        const std::string dropped = row.readmeAfter ? ui.dir / "new.txt" : ui.dir / "other.ARC";
        ArcPlan other;
        other.records = {Entry("only", 0x20, "x")};
        WriteFileBytes(dropped, row.readmeAfter ? std::string("new text") : BuildArc(other));
        ui.window.DropFile(*row.onto ? ui.program.tree.Find(row.onto) : kNoNode, dropped);
        QTest::qWait(20);  // the drop's work runs after the drop
        EXPECT_EQ(ui.window.Caption(), std::string(row.opened) + " - Tessarin");
        if (row.readmeAfter) {
            EXPECT_EQ(ui.prompts->questions, QStringList{QString::fromUtf8("用 new.txt 替换 a\\readme？")});
            EXPECT_EQ(ui.prompts->opens, 0);  // the dropped file answered the picker
            std::unique_ptr<QMimeData> data(ui.window.DragDataFor(ui.program.tree.Find("a\\readme.20")));
            EXPECT_EQ(ReadFileBytes(data->urls().value(0).toLocalFile().toStdString()), row.readmeAfter);
        } else {
            EXPECT_EQ(ui.program.arc.ArcEntries.size(), 1u);
            EXPECT_TRUE(ui.prompts->questions.isEmpty());
        }
    }
}

// The window opens one local file from outside; the tree takes local files, never its own drags.
TEST(DragAndDrop, OnlyLocalFilesCount) {
    struct Row { QList<QUrl> urls; bool accepted; qsizetype files; };
    const Row rows[] = {{{QUrl::fromLocalFile("/tmp/a.arc")}, true, 1},
                        {{QUrl::fromLocalFile("/tmp/a.arc"), QUrl::fromLocalFile("/tmp/b.arc")}, false, 2},
                        {{QUrl::fromLocalFile("/tmp/a.arc"), QUrl("https://example.org/a.arc")}, false, 0},
                        {{QUrl("https://example.org/a.arc")}, false, 0},
                        {{}, false, 0}};
    for (const Row& row : rows) {
        QMimeData data;
        data.setUrls(row.urls);
        EXPECT_EQ(!EntryTreeView::DroppedFile(&data).isEmpty(), row.accepted) << row.urls.size();
        EXPECT_EQ(EntryTreeView::DroppedFiles(&data).size(), row.files) << row.urls.size();
    }
}

TEST(LongWork, StopButtonAndEscStopItAndTheBarStaysReadable) {
    enum How { Button, Esc, CloseBox };
    for (const How how : {Button, Esc, CloseBox}) {
        SCOPED_TRACE(how);
        UiHarness ui;
        ui.Open(SampleArchive());
        QPushButton* stop = ui.window.StopButton();
        EXPECT_FALSE(stop->isVisible());
        ui.window.BeginLongWork();
        ui.window.SetProgressVisible(2, true);
        ui.window.SetMainEnabled(false);
        // Values come faster than the bar is redrawn; the last one is shown soon after.
        for (int value : {100, 3, 40}) ui.window.SetProgressValue(2, value);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.window.ProgressBar(2)->value() == 40; }, 1000));
        EXPECT_TRUE(stop->isVisible());
        // Only the bar and the stop button (clicked below) stay enabled: the bar is drawn as usual.
        EXPECT_TRUE(ui.window.ProgressBar(2)->isEnabled());
        EXPECT_FALSE(ui.window.Tree()->isEnabled());
        EXPECT_FALSE(ui.window.menuBar()->isEnabled());
        EXPECT_FALSE(ui.window.StopRequested());
        if (how == Button) QTest::mouseClick(stop, Qt::LeftButton);
        if (how == Esc) QTest::keyClick(&ui.window, Qt::Key_Escape);
        if (how == CloseBox) ui.window.close();
        EXPECT_TRUE(ui.window.StopRequested());
        EXPECT_EQ(std::pair(ui.ended, ui.program.ending), std::pair(how == CloseBox ? 1 : 0, how == CloseBox));
        // Once the window is closing nothing more is asked or shown.
        if (how == CloseBox) {
            EXPECT_EQ(ui.window.AskAfterFailure("x", "y"), FailureChoice::Stop);
            ui.window.MsgBox("done", MsgIcon::Information, "t");
            EXPECT_TRUE(ui.prompts->messages.isEmpty());
        }
        ui.window.SetMainEnabled(true);
        ui.window.EndLongWork();
        EXPECT_FALSE(stop->isVisible());
        EXPECT_TRUE(ui.window.Tree()->isEnabled());
    }
}

// The caption shows the name as it stands ("[*]" is not Qt's modified marker);
// panel 2 elides it, with the full path as tooltip.
TEST(StatusBar, ArchiveNameInTheCaptionAndElidedWithTheFullPathAsTooltip) {
    UiHarness ui;
    const std::string name = std::string(60, 'n') + "[*].ARC";
    ui.Open(SampleArchive(), name);
    EXPECT_EQ(ui.window.windowHandle()->title().toStdString(), name + " - Tessarin");
    const QLabel* panel = ui.window.Panel(2);
    EXPECT_TRUE(panel->text().startsWith("ARC File: ")) << panel->text().toStdString() << " " << panel->width();
    EXPECT_TRUE(panel->text().contains(QChar(0x2026)));
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->width());
    EXPECT_EQ(panel->toolTip().toStdString(), ui.dir / name);
    ui.window.MenuAction("nclose")->trigger();
    EXPECT_EQ(panel->text(), "");
    EXPECT_EQ(panel->toolTip(), "");
}

}  // namespace
}  // namespace tessarin::testing
