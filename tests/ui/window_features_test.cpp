// Find, drag and drop, stopping long work, the archive's name in the caption
// and status bar, and what the window remembers between runs (the recent
// archives under 文件, each picker's last folder; the settings are in a folder
// of the test run): real widgets on the offscreen platform.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

#include "UiHarness.h"
#include "ui/treeview/EntryFilterBox.h"
#include "ui/FindDialog.h"
#include "ui/QtText.h"

namespace tessarin::testing {
namespace {

// Entries: top, a\readme, a\b\logo, a\b\c\raw; the searches run in that order
// (wrapping, case and misses are the finder's own tests).
TEST(Find, SelectsAndRevealsMatchesInDirectoryOrder) {
    OpenHarness ui;
    ui.window.Tree()->collapseAll();
    ui.window.Tree()->setFocus();
    QTest::keySequence(ui.window.Tree(), QKeySequence("Ctrl+F"));
    FindDialog* dialog = ui.window.Finder();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("查找"));
    auto* text = dialog->findChild<QLineEdit*>("FindText");
    auto* status = dialog->findChild<QLabel*>("FindStatus");
    auto* next = dialog->findChild<QPushButton*>("FindNextButton");
    struct Step { const char* typed; bool byF3; const char* selected; const char* status; };
    const Step steps[] = {
        {"A\\B", false, "a\\b\\logo.1A", "第 1 个，共 2 个"},  // ASCII letters in any case
        {nullptr, true, "a\\b\\c\\raw.99", "第 2 个，共 2 个"},
        {"\\b\\", false, "a\\b\\logo.1A", "第 1 个，共 2 个"},   // a new text starts over
        {nullptr, false, "a\\b\\c\\raw.99", "第 2 个，共 2 个"},  // the button again: the next one
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.typed ? step.typed : step.byF3 ? "F3" : "the button again");
        if (step.typed) text->setText(QString::fromUtf8(step.typed));
        if (step.byF3) QTest::keyClick(ui.window.Tree(), Qt::Key_F3);
        else next->click();
        EXPECT_EQ(ui.SelectedKey(), step.selected);
        EXPECT_EQ(status->text(), QString::fromUtf8(step.status));
        // Revealed, and the entry controls follow as after a click.
        const QModelIndex parent = ui.IndexOf(step.selected).parent();
        EXPECT_TRUE(parent.isValid() && ui.window.Tree()->isExpanded(parent));
        EXPECT_TRUE(ui.window.MenuAction("nexport")->isEnabled() && ui.window.ToolbarAction(5)->isEnabled());
    }
    // A match the filter hides: the filter is cleared and the match selected.
    ui.window.FilterBox()->setText("raw");
    text->setText("readme");
    next->click();
    EXPECT_EQ(std::pair(ui.SelectedKey(), ui.window.FilterBox()->text()),
              std::pair(std::string("a\\readme.20"), QString()));
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
    OpenHarness ui;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.key << " check1 " << row.check1);
        ui.window.findChild<QCheckBox*>("Check1")->setChecked(row.check1);
        std::unique_ptr<QMimeData> data(ui.window.DragDataFor(ui.program.tree.Find(row.key)));
        ASSERT_EQ(data == nullptr, !row.name);
        if (!row.name) continue;
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
    // question: what was asked ("": nothing); entries: how many the open archive holds.
    struct Row { const char *onto; int answer; const char *readmeAfter, *opened, *question; std::size_t entries; };
    const char* const replace = "用 new.txt 替换 a\\readme？";
    const Row rows[] = {{"a\\readme.20", 0, "new text", "pack.ARC", replace, 4},  // yes: replaced
                        {"a\\readme.20", 1, "read me", "pack.ARC", replace, 4},   // no: nothing changes
                        {"", -1, nullptr, "other.ARC", "", 1}};                   // empty space
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.onto << " answer " << row.answer);
        OpenHarness ui;
        ui.prompts->chooseAnswer = row.answer;
        const std::string dropped = row.readmeAfter ? ui.dir / "new.txt" : ui.dir / "other.ARC";
        WriteFileBytes(dropped, row.readmeAfter ? std::string("new text") : BuildArc(Archive({Entry("only", 0x20, "x")})));
        ui.window.DropFile(*row.onto ? ui.program.tree.Find(row.onto) : kNoNode, dropped);
        QTest::qWait(20);  // the drop's work runs after the drop
        // No picker opens: the dropped file answered it.
        EXPECT_EQ(std::tuple(ui.window.Caption(), ui.prompts->questions.join('|'), ui.prompts->opens,
                             ui.program.arc.ArcEntries.size()),
                  std::tuple(std::string(row.opened) + " - Tessarin", QString::fromUtf8(row.question), 0, row.entries));
        if (!row.readmeAfter) continue;
        std::unique_ptr<QMimeData> data(ui.window.DragDataFor(ui.program.tree.Find("a\\readme.20")));
        EXPECT_EQ(ReadFileBytes(data->urls().value(0).toLocalFile().toStdString()), row.readmeAfter);
    }
}

// The window opens one local file from outside; the tree takes local files, never its own drags.
TEST(DragAndDrop, OnlyLocalFilesCount) {
    const QUrl local = QUrl::fromLocalFile("/tmp/a.arc"), web("https://example.org/a.arc");
    const struct { const char* label; QList<QUrl> urls; bool accepted; qsizetype files; } rows[] = {
        {"a local file", {local}, true, 1}, {"two local files", {local, QUrl::fromLocalFile("/tmp/b.arc")}, false, 2},
        {"a local file and a web address", {local, web}, false, 0}, {"a web address", {web}, false, 0},
        {"nothing", {}, false, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        QMimeData data;
        data.setUrls(row.urls);
        EXPECT_EQ(std::pair(!EntryTreeView::DroppedFile(&data).isEmpty(), EntryTreeView::DroppedFiles(&data).size()),
                  std::pair(row.accepted, row.files));
    }
}

TEST(LongWork, StopButtonAndEscStopItAndTheBarStaysReadable) {
    enum How { Button, Esc, CloseBox };
    for (const How how : {Button, Esc, CloseBox}) {
        SCOPED_TRACE(how == Button ? "stop button" : how == Esc ? "Esc" : "close box");
        OpenHarness ui;
        QPushButton* stop = ui.window.StopButton();
        EXPECT_FALSE(stop->isVisible());
        ui.window.BeginLongWork();
        ui.window.SetProgressVisible(2, true);
        ui.window.SetMainEnabled(false);
        // Values come faster than the bar is redrawn; the last one is shown soon after.
        for (int value : {100, 3, 40}) ui.window.SetProgressValue(2, value);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.window.ProgressBar(2)->value() == 40; }, 1000));
        // Only the bar and the stop button (shown, and clicked below) stay enabled: the bar is drawn as usual.
        EXPECT_EQ(std::tuple(stop->isVisible(), ui.window.ProgressBar(2)->isEnabled(), ui.window.Tree()->isEnabled(),
                             ui.window.menuBar()->isEnabled(), ui.window.StopRequested()),
                  std::tuple(true, true, false, false, false));
        if (how == Button) QTest::mouseClick(stop, Qt::LeftButton);
        if (how == Esc) QTest::keyClick(&ui.window, Qt::Key_Escape);
        if (how == CloseBox) ui.window.close();
        EXPECT_EQ(std::tuple(ui.window.StopRequested(), ui.ended, ui.program.ending),
                  std::tuple(true, how == CloseBox ? 1 : 0, how == CloseBox));
        // Once the window is closing nothing more is asked or shown.
        if (how == CloseBox) {
            EXPECT_EQ(ui.window.AskAfterFailure("x", "y"), FailureChoice::Stop);
            ui.window.MsgBox("done", MsgIcon::Information, "t");
            EXPECT_TRUE(ui.prompts->messages.isEmpty());
        }
        ui.window.SetMainEnabled(true);
        ui.window.EndLongWork();
        EXPECT_EQ(std::pair(stop->isVisible(), ui.window.Tree()->isEnabled()), std::pair(false, true));
    }
}

// The caption shows the name as it stands ("[*]" is not Qt's modified marker);
// panel 2 elides it, with the full path as tooltip.
TEST(StatusBar, ArchiveNameInTheCaptionAndElidedWithTheFullPathAsTooltip) {
    if (!kDesignFontMetrics) GTEST_SKIP() << "a Windows file name holds no '*', and the elision needs the design's metrics";
    UiHarness ui;
    const std::string name = std::string(60, 'n') + "[*].ARC";
    ui.Open(SampleArchive(), name);
    EXPECT_EQ(ui.window.windowHandle()->title().toStdString(), name + " - Tessarin");
    const QLabel* panel = ui.window.Panel(2);
    EXPECT_TRUE(panel->text().startsWith("ARC File: ") && panel->text().contains(QChar(0x2026)))
        << panel->text().toStdString() << " " << panel->width();
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->width());
    EXPECT_EQ(panel->toolTip().toStdString(), ui.dir / name);
    ui.window.MenuAction("nclose")->trigger();
    EXPECT_EQ(panel->text() + panel->toolTip(), "");
}

// A fresh settings file for each test (the settings folder is the run's).
void ForgetEverything() { QSettings(QSettings::defaultFormat(), QSettings::UserScope, "Tessarin", "Tessarin").clear(); }

QStringList RecentItems(const UiHarness& ui) {
    QStringList texts;
    for (QAction* item : ui.window.findChild<QMenu*>("nrecent")->actions())
        if (item->objectName().startsWith("nrecent")) texts << item->text();
    return texts;
}

QString Item(int n, const std::string& path) { return QStringLiteral("&%1 ").arg(n) + PathToQString(Native(path)); }

// Writes bytes (an archive of one entry by default) to ui.dir/name and opens it
// with the open command, the archive open so far closed first.
void OpenNamed(UiHarness& ui, const std::string& name, std::string bytes = "") {
    WriteFileBytes(ui.dir / name, bytes.empty() ? BuildArc(Archive({Entry("only", 0x20, name)})) : bytes);
    if (ui.window.MenuAction("nclose")->isEnabled()) ui.window.MenuAction("nclose")->trigger();
    ui.window.OpenAtStart(ui.dir / name);
}

TEST(RecentArchives, LastFiveMostRecentFirstOpenedLikeThePicker) {
    ForgetEverything();
    UiHarness ui;
    EXPECT_TRUE(RecentItems(ui).isEmpty());
    for (const char* name : {"1.ARC", "2.ARC", "3.ARC", "4.ARC", "5.ARC", "6.ARC", "3.ARC"}) OpenNamed(ui, name);
    EXPECT_EQ(RecentItems(ui), (QStringList{Item(1, ui.dir / "3.ARC"), Item(2, ui.dir / "6.ARC"), Item(3, ui.dir / "5.ARC"),
                                            Item(4, ui.dir / "4.ARC"), Item(5, ui.dir / "2.ARC")}));
    // A failed open is not listed.
    OpenNamed(ui, "bad.ARC", "not an archive");
    EXPECT_EQ(RecentItems(ui).value(0), Item(1, ui.dir / "3.ARC"));

    // Choosing an item opens it in place of the open archive, as the picker's answer would.
    OpenNamed(ui, "1.ARC");
    ui.window.findChild<QAction*>("nrecent3")->trigger();  // 6.ARC
    QTest::qWait(20);
    EXPECT_EQ(std::pair(ui.program.arc.OpenArcPath, ui.prompts->opens), std::pair(ui.dir / "6.ARC", 0));
    EXPECT_EQ(RecentItems(ui).value(0), Item(1, ui.dir / "6.ARC"));

    // A file gone since: taken off the list, with a message, and nothing else changes.
    DeleteFile(ui.dir / "3.ARC");
    ui.window.findChild<QAction*>("nrecent3")->trigger();  // 3.ARC
    QTest::qWait(20);
    EXPECT_EQ(ui.program.arc.OpenArcPath, ui.dir / "6.ARC");
    ASSERT_EQ(ui.prompts->messages.size(), 2);  // the bad archive's, then this one
    EXPECT_EQ(ui.prompts->messages.last(),
              QString::fromUtf8("档案文件不存在，已从最近打开的档案中移除：\n") + PathToQString(ui.dir / "3.ARC"));  // as it was opened
    EXPECT_EQ(RecentItems(ui), (QStringList{Item(1, ui.dir / "6.ARC"), Item(2, ui.dir / "1.ARC"), Item(3, ui.dir / "5.ARC"),
                                            Item(4, ui.dir / "4.ARC")}));

    // The next run finds the same list.
    UiHarness next;
    EXPECT_EQ(RecentItems(next), RecentItems(ui));
}

TEST(RecentArchives, EachPickerStartsWhereItWasLastUsed) {
    ForgetEverything();
    UiHarness ui;
    for (const char* folder : {"arcs", "out"}) CreateDirectories(ui.dir / folder);
    WriteFileBytes(ui.dir / "arcs/a.ARC", BuildArc(SampleArchive()));

    ui.prompts->file = PathToQString(ui.dir / "arcs/a.ARC");
    ui.window.MenuAction("nopen")->trigger();
    ASSERT_EQ(ui.program.arc.OpenArcPath, ui.dir / "arcs/a.ARC");
    ui.prompts->folder = PathToQString(ui.dir / "out");
    ui.window.MenuAction("nalle")->trigger();
    ui.window.MenuAction("nalle")->trigger();
    ui.window.MenuAction("nclose")->trigger();
    ui.prompts->file.clear();
    ui.window.MenuAction("nopen")->trigger();  // cancelled
    EXPECT_EQ(ui.prompts->fileStarts, (QStringList{"", PathToQString(Native(ui.dir / "arcs"))}));
    EXPECT_EQ(ui.prompts->folderStarts, (QStringList{"", PathToQString(ui.dir / "out")}));
}

// Unwritable even for root: a plain file where the settings' folder would be.
TEST(RecentArchives, CorruptOrUnwritableSettingsChangeNothing) {
    const QString file = QSettings(QSettings::UserScope, "Tessarin", "Tessarin").fileName();
    const QString folder = QFileInfo(file).absolutePath();
    const struct { const char* label; bool blocked; QByteArray content; } rows[] = {
        {"corrupt", false, QByteArray("\x00\xff[recent\narchives=@Variant(\x01\x02\n\n[[[", 34)},
        {"unwritable", true, QByteArray()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ForgetEverything();
        QDir(folder).removeRecursively();
        if (!row.blocked) QDir().mkpath(folder);
        WriteFileBytes((row.blocked ? folder : file).toStdString(), row.content.toStdString());
        {
            UiHarness ui;
            OpenNamed(ui, "x.ARC");
            EXPECT_EQ(std::tuple(ui.program.arc.OpenArcPath, ui.prompts->messages, RecentItems(ui)),
                      std::tuple(ui.dir / "x.ARC", QStringList(), QStringList{Item(1, ui.dir / "x.ARC")}));
        }
        QFile::remove(folder);
    }
}

}  // namespace
}  // namespace tessarin::testing
