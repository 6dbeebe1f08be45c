// What the window remembers between runs: the recent archives under 文件 and
// each picker's last folder, with the settings in a folder of the test run.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTest>

#include "UiHarness.h"
#include "core/platform/FileSystem.h"
#include "ui/QtText.h"
#include "ui/RecentArchives.h"

namespace tessarin::testing {
namespace {

QString SettingsFile() { return QSettings(QSettings::UserScope, "Tessarin", "Tessarin").fileName(); }

// A fresh settings file for each test (the settings folder is the run's).
void ForgetEverything() {
    QSettings(QSettings::UserScope, "Tessarin", "Tessarin").clear();
}

QStringList RecentItems(const UiHarness& ui) {
    QStringList texts;
    for (QAction* item : ui.window.findChild<QMenu*>("nrecent")->actions())
        if (item->objectName().startsWith("nrecent")) texts << item->text();
    return texts;
}

QString Item(int n, const std::string& path) { return QStringLiteral("&%1 ").arg(n) + PathToQString(path); }

// Writes bytes (an archive of one entry by default) to ui.dir/name and opens it
// with the open command, the archive open so far closed first.
void OpenNamed(UiHarness& ui, const std::string& name, std::string bytes = "") {
    ArcPlan plan;
    plan.records = {Entry("only", 0x20, name)};
    WriteFileBytes(ui.dir / name, bytes.empty() ? BuildArc(plan) : bytes);
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
    EXPECT_EQ(ui.program.arc.OpenArcPath, ui.dir / "6.ARC");
    EXPECT_EQ(ui.prompts->opens, 0);
    EXPECT_EQ(RecentItems(ui).value(0), Item(1, ui.dir / "6.ARC"));

    // A file gone since: taken off the list, with a message, and nothing else changes.
    DeleteFile(ui.dir / "3.ARC");
    ui.window.findChild<QAction*>("nrecent3")->trigger();  // 3.ARC
    QTest::qWait(20);
    EXPECT_EQ(ui.program.arc.OpenArcPath, ui.dir / "6.ARC");
    ASSERT_EQ(ui.prompts->messages.size(), 2);  // the bad archive's, then this one
    EXPECT_EQ(ui.prompts->messages.last(),
              QString::fromUtf8("档案文件不存在，已从最近打开的档案中移除：\n") + PathToQString(ui.dir / "3.ARC"));
    EXPECT_FALSE(RecentItems(ui).join("|").contains("3.ARC"));
    EXPECT_EQ(RecentItems(ui).size(), 4);

    // The next run finds the same list.
    UiHarness next;
    EXPECT_EQ(RecentItems(next), RecentItems(ui));
}

// Answers the pickers with given paths and records where each one started.
struct PickerPrompts : ScriptedPrompts {
    QString file, folder;
    QStringList fileStarts, folderStarts;
    QString OpenFile(const OpenFileRequest& r) override { fileStarts << r.initialFolder; return file; }
    QString Folder(const FolderRequest& r) override { folderStarts << r.initialFolder; return folder; }
};

TEST(RecentArchives, EachPickerStartsWhereItWasLastUsed) {
    ForgetEverything();
    UiHarness ui;
    auto owned = std::make_unique<PickerPrompts>();
    PickerPrompts* prompts = owned.get();
    ui.window.SetPrompts(std::move(owned));
    CreateDirectories(ui.dir / "arcs");
    CreateDirectories(ui.dir / "out");
    ArcPlan plan = SampleArchive();
    WriteFileBytes(ui.dir / "arcs/a.ARC", BuildArc(plan));

    prompts->file = PathToQString(ui.dir / "arcs/a.ARC");
    ui.window.MenuAction("nopen")->trigger();
    ASSERT_EQ(ui.program.arc.OpenArcPath, ui.dir / "arcs/a.ARC");
    prompts->folder = PathToQString(ui.dir / "out");
    ui.window.MenuAction("nalle")->trigger();
    ui.window.MenuAction("nalle")->trigger();
    ui.window.MenuAction("nclose")->trigger();
    prompts->file.clear();
    ui.window.MenuAction("nopen")->trigger();  // cancelled
    EXPECT_EQ(prompts->fileStarts, (QStringList{"", PathToQString(ui.dir / "arcs")}));
    EXPECT_EQ(prompts->folderStarts, (QStringList{"", PathToQString(ui.dir / "out")}));
}

// Unwritable even for root: a plain file where the settings' folder would be.
TEST(RecentArchives, CorruptOrUnwritableSettingsChangeNothing) {
    const QString file = SettingsFile();
    const QString folder = QFileInfo(file).absolutePath();
    const struct { const char* label; bool blocked; QByteArray content; } rows[] = {
        {"corrupt", false, QByteArray("\x00\xff[recent\narchives=@Variant(\x01\x02\n\n[[[", 34)},
        {"unwritable", true, QByteArray()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ForgetEverything();
        QDir(folder).removeRecursively();
        QFile f(row.blocked ? folder : file);
        if (!row.blocked) QDir().mkpath(folder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(row.content);
        f.close();
        {
            UiHarness ui;
            OpenNamed(ui, "x.ARC");
            EXPECT_EQ(ui.program.arc.OpenArcPath, ui.dir / "x.ARC");
            EXPECT_TRUE(ui.prompts->messages.isEmpty()) << ui.prompts->messages.join("\n").toStdString();
            EXPECT_EQ(RecentItems(ui).value(0), Item(1, ui.dir / "x.ARC"));
        }
        QFile::remove(folder);
    }
}

}  // namespace
}  // namespace tessarin::testing
