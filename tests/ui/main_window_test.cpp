// The main window's design state, its shortcuts and its layout on resize.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include "UiHarness.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"

namespace tessarin::testing {
namespace {

TEST(MainWindow, MenusStartWithTheirCaptionsShortcutsAndEnabledStates) {
    UiHarness ui;
    struct Row {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        bool enabled;
    };
    const Row rows[] = {
        {"nfile", "文件(&F)", {}, true},
        {"nopen", "打开(&O)", QKeySequence("Ctrl+O"), true},
        {"nclose", "关闭(&C)", QKeySequence("Ctrl+B"), false},
        {"nexit", "退出(&E)", {}, true},
        {"nobject", "对象(&O)", {}, false},
        {"nalle", "导出全部(&A)", QKeySequence("Ctrl+A"), true},
        {"nexport", "导出(&E)", QKeySequence("Ctrl+E"), false},
        {"nimport", "替换(&I)", QKeySequence("Ctrl+I"), false},
        {"nproperty", "属性(&P)", QKeySequence("Ctrl+P"), false},
        {"nhelp", "帮助(&H)", {}, true},
        {"nabout", "关于Tessarin(&A)...", {}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QAction* action = ui.window.MenuAction(row.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(action->shortcut(), row.shortcut);
        EXPECT_EQ(action->isEnabled(), row.enabled);
    }
    // Items in their menus, separators a1, a3, a4 where the design has them.
    const std::pair<const char*, QStringList> menus[] = {
        {"nfile", {"nopen", "nclose", "a1", "nexit"}},
        {"nobject", {"nalle", "a3", "nexport", "nimport", "a4", "nproperty"}},
        {"nhelp", {"nabout"}},
    };
    for (const auto& [menu, items] : menus) {
        QStringList names;
        for (const QAction* action : ui.window.MenuAction(menu)->menu()->actions()) names << action->objectName();
        EXPECT_EQ(names, items) << menu;
    }
}

TEST(MainWindow, ToolbarCheckBoxPanelsAndProgressBarsStartAsDesigned) {
    UiHarness ui;
    struct Button {
        int index;
        const char* tooltip;  // nullptr: separator
        bool enabled;
    };
    const Button buttons[] = {{1, "打开", true},     {2, "关闭", false}, {3, nullptr, false}, {4, "导出全部", false},
                              {5, "导出", false},    {6, "替换", false}, {7, nullptr, false}, {8, "属性", false}};
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.index);
        const QAction* action = ui.window.ToolbarAction(b.index);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->isSeparator(), b.tooltip == nullptr);
        if (!b.tooltip) continue;
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(b.tooltip));
        EXPECT_FALSE(action->icon().isNull());
        EXPECT_EQ(action->isEnabled(), b.enabled);
    }
    EXPECT_EQ(ui.window.ToolbarAction(9), nullptr);
    EXPECT_EQ(ui.window.findChild<QToolBar*>("tbToolBar")->toolButtonStyle(), Qt::ToolButtonIconOnly);

    const auto* check = ui.window.findChild<QCheckBox*>("Check1");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->parentWidget()->objectName(), "tbToolBar");
    EXPECT_EQ(check->text(), QString::fromUtf8("不解压，直接保存未解压数据。"));
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(ui.window.Check1Value(), 0);

    EXPECT_EQ(ui.window.Panel(1)->text(), QString::fromUtf8("就绪"));
    EXPECT_EQ(ui.window.Panel(2)->text(), "");
    EXPECT_EQ(ui.window.Panel(3)->text(), "");
    EXPECT_EQ(ui.window.PanelWidth(1), 5835);
    EXPECT_EQ(ui.window.PanelWidth(2), 1875);
    EXPECT_EQ(ui.window.PanelWidth(3), 1440);
    for (int bar : {1, 2}) {
        EXPECT_FALSE(ui.window.ProgressBar(bar)->isVisible());
        EXPECT_EQ(ui.window.ProgressBar(bar)->minimum(), 0);
        EXPECT_EQ(ui.window.ProgressBar(bar)->maximum(), 100);
    }

    EXPECT_EQ(ui.window.windowTitle(), "Tessarin");
    EXPECT_EQ(ui.window.ClientArea()->size(), QSize(632, 426));
    EXPECT_FALSE(ui.window.windowIcon().isNull());
    EXPECT_EQ(ui.window.objectName(), "frmMain");
    for (const char* name : {"tbToolBar", "Check1", "sbStatusBar", "TreeView1", "ProgressBar1", "ProgressBar2"}) {
        EXPECT_NE(ui.window.findChild<QWidget*>(name), nullptr) << name;
    }
    EXPECT_EQ(ui.window.Model()->rowCount(), 0);
}

// The layout rules: the tree fills the space between the docked toolbar and
// status bar, ProgressBar1 lies one pixel above the bottom edge as wide as
// panel 1, ProgressBar2 is centred. Very small sizes must not fail.
TEST(MainWindow, ResizeKeepsTheLayoutRules) {
    UiHarness ui;
    const QSize sizes[] = {{632, 426}, {1000, 700}, {400, 300}, {200, 80}, {60, 30}, {1, 1}, {632, 426}};
    QWidget* client = ui.window.ClientArea();
    const int menuHeight = ui.window.height() - client->height();
    for (const QSize& size : sizes) {
        ui.window.resize(size.width(), size.height() + menuHeight);
        QApplication::processEvents();
        const int W = client->width();
        const int H = client->height();
        SCOPED_TRACE(::testing::Message() << "client " << W << "x" << H);
        const QWidget* toolbar = ui.window.findChild<QWidget*>("tbToolBar");
        const QWidget* status = ui.window.findChild<QWidget*>("sbStatusBar");
        EXPECT_EQ(toolbar->geometry(), QRect(0, 0, W, 24));
        EXPECT_EQ(status->geometry(), QRect(0, H - status->height(), W, status->height()));
        EXPECT_EQ(ui.window.Tree()->geometry(), QRect(0, 24, W, std::max(0, H - 24 - status->height())));
        EXPECT_EQ(ui.window.PanelWidth(1), 15 * std::max(96, W - 243));
        const QRect bar1 = ui.window.ProgressBar(1)->geometry();
        EXPECT_EQ(bar1, QRect(0, H - 14 - 1, ui.window.PanelWidth(1) / 15, 14));
        const QRect bar2 = ui.window.ProgressBar(2)->geometry();
        EXPECT_EQ(bar2.size(), QSize(406, 21));
        EXPECT_NEAR(bar2.center().x() + 0.5, W / 2.0, 1.0);
        EXPECT_NEAR(bar2.center().y() + 0.5, H / 2.0, 1.0);
    }
    ui.window.showMinimized();
    QApplication::processEvents();
    ui.window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(ui.window.Tree()->width(), client->width());
}

// Which command a shortcut reached shows in what the command asks of the user.
enum class Effect { OpenDialog, FolderDialog, Properties, Closed };
enum class State { Start, ArchiveOpen, EntryClicked };

TEST(MainWindow, ShortcutsReachTheirCommandsOnlyWhileEnabledEvenWithFocusInTheTree) {
    struct Row {
        const char* key;
        State setup;
        Effect effect;
        bool reached;
    };
    const Row rows[] = {
        {"Ctrl+O", State::Start, Effect::OpenDialog, true},
        {"Ctrl+O", State::ArchiveOpen, Effect::OpenDialog, false},
        {"Ctrl+B", State::Start, Effect::Closed, false},
        {"Ctrl+B", State::ArchiveOpen, Effect::Closed, true},
        {"Ctrl+A", State::Start, Effect::FolderDialog, false},  // nalle enabled, its menu not
        {"Ctrl+A", State::ArchiveOpen, Effect::FolderDialog, true},
        {"Ctrl+E", State::ArchiveOpen, Effect::FolderDialog, false},
        {"Ctrl+E", State::EntryClicked, Effect::FolderDialog, true},
        {"Ctrl+I", State::ArchiveOpen, Effect::OpenDialog, false},
        {"Ctrl+I", State::EntryClicked, Effect::OpenDialog, true},
        {"Ctrl+P", State::ArchiveOpen, Effect::Properties, false},
        {"Ctrl+P", State::EntryClicked, Effect::Properties, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.key << " setup " << int(row.setup));
        UiHarness ui;
        if (row.setup != State::Start) ui.Open(SampleArchive());
        if (row.setup == State::EntryClicked) ui.Click(Qt::LeftButton, "a\\readme.20");
        ui.window.Tree()->setFocus();
        const std::string selectedBefore = ui.SelectedKey();
        const std::size_t opens = ui.prompts->openRequests.size();
        const std::size_t folders = ui.prompts->folderRequests.size();
        const std::size_t dialogs = ui.prompts->dialogs.size();
        ui.window.SetCaption("before");

        const QKeySequence key(row.key);
        QTest::keySequence(ui.window.Tree(), key);

        bool reached = false;
        switch (row.effect) {
        case Effect::OpenDialog: reached = ui.prompts->openRequests.size() > opens; break;
        case Effect::FolderDialog: reached = ui.prompts->folderRequests.size() > folders; break;
        case Effect::Properties: reached = ui.prompts->dialogs.size() > dialogs; break;
        case Effect::Closed: reached = ui.window.Caption() == "Tessarin"; break;
        }
        EXPECT_EQ(reached, row.reached);
        // The tree never takes the key for itself (select-all, search).
        if (row.effect != Effect::Closed || !row.reached) {
            EXPECT_EQ(ui.SelectedKey(), selectedBefore);
        }
    }
}

TEST(MainWindow, ToolbarButtonsRouteByIndexLikeTheirMenuItems) {
    UiHarness ui;
    ui.Open(SampleArchive());
    ui.Click(Qt::LeftButton, "top.1A");
    ui.window.ToolbarAction(8)->trigger();
    ASSERT_EQ(ui.prompts->dialogs.size(), 1u);
    EXPECT_EQ(ui.prompts->dialogs[0], "frmInfo");
    ui.window.ToolbarAction(4)->trigger();
    EXPECT_EQ(ui.prompts->folderRequests.size(), 1u);
    ui.window.ToolbarAction(3)->trigger();  // a separator does nothing
    ui.window.ToolbarAction(2)->trigger();
    EXPECT_EQ(ui.window.Caption(), "Tessarin");
    EXPECT_TRUE(ui.ButtonEnabled(1));
    for (int index : {2, 4, 5, 6, 8}) EXPECT_FALSE(ui.ButtonEnabled(index)) << index;
    EXPECT_EQ(ui.window.Model()->rowCount(), 0);
}

TEST(MainWindow, OpeningFromTheCommandLineShowsTheArchiveWithoutAskingForIt) {
    UiHarness ui;
    const std::string path = ui.Open(SampleArchive(), "pack[*].ARC");
    EXPECT_TRUE(ui.prompts->openRequests.empty());
    EXPECT_EQ(ui.window.Caption(), "pack[*].ARC - Tessarin");
    // "[*]" in a name is shown as it stands, not read as Qt's modified marker.
    EXPECT_EQ(ui.window.windowHandle()->title(), QString("pack[*].ARC - Tessarin"));
    EXPECT_EQ(ui.window.Panel(1)->text(), QString::fromUtf8("发现 4 个对象"));
    EXPECT_EQ(ui.window.Panel(2)->text(), "ARC File: pack[*].ARC");
    EXPECT_EQ(ui.window.Panel(3)->text(), "ARC Version: 7");
    EXPECT_FALSE(ui.window.ProgressBar(1)->isVisible());
    const QModelIndex root = ui.window.Model()->index(0, 0);
    EXPECT_EQ(root.data().toString(), QString::fromStdString(path));
    EXPECT_EQ(ui.SelectedKey(), "Root");
    EXPECT_FALSE(ui.Enabled("nopen"));
    EXPECT_TRUE(ui.Enabled("nclose"));
    EXPECT_TRUE(ui.Enabled("nobject"));

    // Then Ctrl+B closes it again.
    QTest::keySequence(&ui.window, QKeySequence("Ctrl+B"));
    EXPECT_EQ(ui.window.windowHandle()->title(), QString("Tessarin"));
}

TEST(MainWindow, MessagesKeepTheirIconTitleAndLineBreaks) {
    UiHarness ui;
    ArcPlan notAnArchive;
    notAnArchive.magic = std::string("arc\0", 4);
    ui.Open(notAnArchive, "bad.ARC");
    ASSERT_EQ(ui.prompts->messages.size(), 1u);
    EXPECT_EQ(ui.prompts->messages[0].text, QString::fromUtf8("文件类型不正确"));
    EXPECT_EQ(ui.prompts->messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.prompts->messages[0].title, QString::fromUtf8("错误提示"));
    EXPECT_EQ(ui.prompts->messages[0].owner, &ui.window);

    ui.window.MsgBox("\r\nfirst\r\n\r\nsecond\rthird", MsgIcon::Stop, "Tessarin");
    EXPECT_EQ(ui.prompts->messages.back().text, "\nfirst\n\nsecond\nthird");
    EXPECT_EQ(ui.prompts->messages.back().icon, MsgIcon::Stop);
}

TEST(MainWindow, ExitAndTheCloseBoxEndTheProgram) {
    for (bool byMenu : {true, false}) {
        UiHarness ui;
        ui.Open(SampleArchive());
        if (byMenu) {
            ui.window.MenuAction("nexit")->trigger();
        } else {
            ui.window.close();
        }
        EXPECT_EQ(ui.ended, 1) << byMenu;
        EXPECT_TRUE(ui.program.ending);
    }
}

TEST(MainWindow, DisabledWindowTakesNoCommands) {
    UiHarness ui;
    ui.window.SetMainEnabled(false);
    EXPECT_FALSE(ui.window.isEnabled());
    ui.window.MenuAction("nopen")->trigger();
    EXPECT_TRUE(ui.prompts->openRequests.empty());
    ui.window.SetMainEnabled(true);
    ui.window.MenuAction("nopen")->trigger();
    EXPECT_EQ(ui.prompts->openRequests.size(), 1u);
}

TEST(MainWindow, LoadReadsTheTypeTableBesideTheProgram) {
    UiHarness ui;
    ui.program.ExtTypes.clear();
    ui.window.Load();
    EXPECT_EQ(LookupExtType(ui.program.ExtTypes, "1A"), "png");
    EXPECT_TRUE(ui.prompts->messages.empty());
}

TEST(MainWindow, EndingTheProgramHidesTheWindowAndClosesTheArchive) {
    frmMain window;
    Program program(window);
    window.SetPrompts(std::make_unique<ScriptedPrompts>());
    window.Attach(program);
    window.show();
    TempDir dir;
    WriteFileBytes(dir / "pack.ARC", BuildArc(SampleArchive()));
    window.OpenAtStart(dir / "pack.ARC");
    ASSERT_TRUE(program.files.IsOpen(program.arc.ArcFileNum));
    window.EndProgram();  // the real end action; no event loop runs here, so nothing else stops
    EXPECT_TRUE(program.ending);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(program.files.IsOpen(program.arc.ArcFileNum));
}

}  // namespace
}  // namespace tessarin::testing
