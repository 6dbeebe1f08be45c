// The main window: its state at start, its layout on resize, its shortcuts,
// clicks in the tree, ending the program and the item model.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QWindow>
#include <tuple>

#include "UiHarness.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"

namespace tessarin::testing {
namespace {

TEST(MainWindow, StartsWithTheDesignedMenusToolbarCheck1PanelsAndProgressBars) {
    UiHarness ui;
    const std::tuple<const char*, const char*, const char*, bool> items[] = {  // name, caption, shortcut, enabled
        {"nfile", "文件(&F)", "", true},           {"nopen", "打开(&O)", "Ctrl+O", true},
        {"nclose", "关闭(&C)", "Ctrl+B", false},   {"nexit", "退出(&E)", "", true},
        {"nobject", "对象(&O)", "", false},        {"nalle", "导出全部(&A)", "Ctrl+A", true},
        {"nexport", "导出(&E)", "Ctrl+E", false},  {"nimport", "替换(&I)", "Ctrl+I", false},
        {"nproperty", "属性(&P)", "Ctrl+P", false}, {"nhelp", "帮助(&H)", "", true},
        {"nabout", "关于Tessarin(&A)...", "", true}};
    for (const auto& [name, caption, shortcut, enabled] : items) {
        SCOPED_TRACE(name);
        const QAction* action = ui.window.MenuAction(name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(caption));
        EXPECT_EQ(action->shortcut(), QKeySequence(shortcut));
        EXPECT_EQ(action->isEnabled(), enabled);
    }
    for (const auto& [menu, names] : {std::pair{"nfile", "nopen nclose a1 nexit"},
                                      {"nobject", "nalle a3 nexport nimport a4 nproperty"}, {"nhelp", "nabout"}}) {
        QStringList shown;
        for (const QAction* action : ui.window.MenuAction(menu)->menu()->actions()) shown << action->objectName();
        EXPECT_EQ(shown.join(' '), names);
    }

    const char* tooltips[] = {"打开", "关闭", nullptr, "导出全部", "导出", "替换", nullptr, "属性"};  // null: separator
    for (int index = 1; index <= 8; ++index) {
        SCOPED_TRACE(index);
        const QAction* button = ui.window.ToolbarAction(index);
        const char* tooltip = tooltips[index - 1];
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->isSeparator(), tooltip == nullptr);
        if (!tooltip) continue;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(tooltip));
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->isEnabled(), index == 1);
    }
    EXPECT_EQ(ui.window.ToolbarAction(9), nullptr);

    const auto* check = ui.window.findChild<QCheckBox*>("Check1");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->parentWidget()->objectName(), "tbToolBar");
    EXPECT_EQ(check->text(), QString::fromUtf8("不解压，直接保存未解压数据。"));
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(ui.window.Check1Value(), 0);

    const std::pair<const char*, int> panels[] = {{"就绪", 5835}, {"", 1875}, {"", 1440}};  // text, twips
    for (int panel = 1; panel <= 3; ++panel) {
        EXPECT_EQ(ui.window.Panel(panel)->text(), QString::fromUtf8(panels[panel - 1].first)) << panel;
        EXPECT_EQ(ui.window.PanelWidth(panel), panels[panel - 1].second) << panel;
    }
    for (int bar : {1, 2}) {
        EXPECT_FALSE(ui.window.ProgressBar(bar)->isVisible());
        EXPECT_EQ(ui.window.ProgressBar(bar)->minimum(), 0);
        EXPECT_EQ(ui.window.ProgressBar(bar)->maximum(), 100);
    }
    EXPECT_EQ(ui.window.windowTitle(), "Tessarin");
    EXPECT_FALSE(ui.window.windowIcon().isNull());
    EXPECT_EQ(ui.window.ClientArea()->size(), QSize(632, 426));
}

// The tree fills the space between the docked toolbar and status bar,
// ProgressBar1 lies one pixel above the bottom edge as wide as panel 1,
// ProgressBar2 is centred. Very small sizes must not fail.
TEST(MainWindow, ResizeKeepsTheLayoutRules) {
    UiHarness ui;
    QWidget* client = ui.window.ClientArea();
    const QWidget* toolbar = ui.window.findChild<QWidget*>("tbToolBar");
    const QWidget* status = ui.window.findChild<QWidget*>("sbStatusBar");
    const int menuHeight = ui.window.height() - client->height();
    for (const QSize size : {QSize(1000, 700), QSize(400, 300), QSize(200, 80), QSize(60, 30), QSize(1, 1),
                             QSize(632, 426)}) {
        ui.window.resize(size.width(), size.height() + menuHeight);
        QApplication::processEvents();
        const int W = client->width(), H = client->height(), S = status->height();
        SCOPED_TRACE(::testing::Message() << "client " << W << "x" << H);
        EXPECT_EQ(toolbar->geometry(), QRect(0, 0, W, 24));
        EXPECT_EQ(status->geometry(), QRect(0, H - S, W, S));
        EXPECT_EQ(ui.window.Tree()->geometry(), QRect(0, 24, W, std::max(0, H - 24 - S)));
        EXPECT_EQ(ui.window.PanelWidth(1), 15 * std::max(96, W - 243));
        EXPECT_EQ(ui.window.ProgressBar(1)->geometry(), QRect(0, H - 14 - 1, ui.window.PanelWidth(1) / 15, 14));
        const QRect bar2 = ui.window.ProgressBar(2)->geometry();
        EXPECT_EQ(bar2.size(), QSize(406, 21));
        EXPECT_NEAR(bar2.center().x() + 0.5, W / 2.0, 1.0);
        EXPECT_NEAR(bar2.center().y() + 0.5, H / 2.0, 1.0);
    }
}

TEST(MainWindow, ShortcutsReachTheirCommandsOnlyWhileEnabledEvenWithFocusInTheTree) {
    enum Setup { Start, ArchiveOpen, EntryClicked };
    // What the command asks for shows that the key reached it; none: closing resets the caption.
    struct Row {
        const char* key;
        Setup setup;
        int ScriptedPrompts::*asked;
        bool reached;
    };
    constexpr auto opens = &ScriptedPrompts::opens, folders = &ScriptedPrompts::folders,
                   dialogs = &ScriptedPrompts::dialogs;
    const Row rows[] = {
        {"Ctrl+O", Start, opens, true},           {"Ctrl+O", ArchiveOpen, opens, false},
        {"Ctrl+B", Start, nullptr, false},        {"Ctrl+B", ArchiveOpen, nullptr, true},
        {"Ctrl+A", Start, folders, false},  // nalle enabled, its menu not
        {"Ctrl+A", ArchiveOpen, folders, true},   {"Ctrl+E", ArchiveOpen, folders, false},
        {"Ctrl+E", EntryClicked, folders, true},  {"Ctrl+I", ArchiveOpen, opens, false},
        {"Ctrl+I", EntryClicked, opens, true},    {"Ctrl+P", ArchiveOpen, dialogs, false},
        {"Ctrl+P", EntryClicked, dialogs, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.key << " setup " << row.setup);
        UiHarness ui;
        if (row.setup != Start) ui.Open(SampleArchive());
        if (row.setup == EntryClicked) ui.Click(Qt::LeftButton, "a\\readme.20");
        ui.window.Tree()->setFocus();
        const std::string selected = ui.SelectedKey();
        ui.window.SetCaption("before");
        QTest::keySequence(ui.window.Tree(), QKeySequence(row.key));
        EXPECT_EQ(row.asked ? ui.prompts->*row.asked == 1 : ui.window.Caption() == "Tessarin", row.reached);
        // The tree never takes the key for itself (select-all, search).
        if (row.asked || !row.reached) {
            EXPECT_EQ(ui.SelectedKey(), selected);
        }
    }
}

void ExpectEntryControls(const UiHarness& ui, bool enabled) {
    for (const char* item : {"nexport", "nimport", "nproperty"}) {
        EXPECT_EQ(ui.window.MenuAction(item)->isEnabled(), enabled) << item;
    }
    for (int button : {5, 6, 8}) EXPECT_EQ(ui.window.ToolbarAction(button)->isEnabled(), enabled) << button;
}

TEST(TreeEvents, SelectingAnEntryEnablesTheEntryControlsAndAFolderOrTheRootDisablesThem) {
    UiHarness ui;
    ui.Open(SampleArchive(), "pack[*].ARC");
    // "[*]" in a name is shown as it stands, not read as Qt's modified marker.
    EXPECT_EQ(ui.window.windowHandle()->title(), "pack[*].ARC - Tessarin");
    struct Step {
        const char* key;
        bool enabled;
        bool byDownKey = false;  // reached with the Down key from the step before
    };
    const Step steps[] = {{"a\\b\\logo.1A", true},   {"a\\b\\", false}, {"Root", false},
                          {"a\\b\\c\\raw.99", true}, {"a\\", false},    {"top.1A", true},
                          {"a\\", false, true},      {"a\\readme.20", true, true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.key);
        if (step.byDownKey) {
            ui.window.Tree()->setFocus();
            QTest::keyClick(ui.window.Tree(), Qt::Key_Down);
        } else {
            ui.Click(Qt::LeftButton, step.key);
        }
        EXPECT_EQ(ui.SelectedKey(), step.key);
        ExpectEntryControls(ui, step.enabled);
    }
}

TEST(TreeEvents, RightClickOpensTheMenuOnlyOnTheSelectedEntryAndNeverChangesTheSelection) {
    struct Row {
        const char* leftClicked;   // "": keep the root selected by the open
        const char* rightClicked;  // "": empty space below the last row
        bool menu;
    };
    const Row rows[] = {
        {"top.1A", "top.1A", true},        {"a\\b\\logo.1A", "a\\b\\logo.1A", true},
        {"top.1A", "a\\readme.20", false}, {"a\\b\\", "a\\b\\", false},
        {"Root", "Root", false},           {"top.1A", "", false},
        {"", "top.1A", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.leftClicked << " / " << row.rightClicked);
        UiHarness ui;
        ui.Open(SampleArchive());
        if (*row.leftClicked) ui.Click(Qt::LeftButton, row.leftClicked);
        const std::string selected = ui.SelectedKey();
        const QModelIndex current = ui.window.Tree()->currentIndex();
        ui.Click(Qt::RightButton, *row.rightClicked ? ui.CenterOf(row.rightClicked)
                                                    : QPoint(10, ui.window.Tree()->viewport()->height() - 3));
        EXPECT_EQ(ui.prompts->popups, row.menu ? 1 : 0);
        EXPECT_EQ(ui.SelectedKey(), selected);
        EXPECT_EQ(ui.window.Tree()->currentIndex(), current);
    }
}

TEST(MainWindow, ExitAndTheCloseBoxEndTheProgram) {
    UiHarness byMenu, byCloseBox;
    byMenu.window.MenuAction("nexit")->trigger();
    byCloseBox.window.close();
    for (const UiHarness* ui : {&byMenu, &byCloseBox}) {
        EXPECT_EQ(ui->ended, 1);
        EXPECT_TRUE(ui->program.ending);
    }
}

void FailOnWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) ADD_FAILURE() << message.toStdString();
}

TEST(EntryTreeModel, PassesQtsModelTesterAcrossOpenCloseAndReopen) {
    UiHarness ui;
    const QtMessageHandler previous = qInstallMessageHandler(FailOnWarning);
    {
        QAbstractItemModelTester tester(ui.window.Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        ArcPlan deep = SampleArchive();
        for (int i = 0; i < 40; ++i) {  // 5 folders of 3 sub-folders
            const std::string folders = "d" + std::to_string(i % 5) + "\\e" + std::to_string(i % 3) + "\\";
            deep.records.push_back(Entry(folders + "f" + std::to_string(i), 0x20, "x"));
        }
        ui.Open(deep);
        ui.window.Tree()->collapseAll();
        ui.window.Tree()->expandAll();
        ui.window.MenuAction("nclose")->trigger();
        ui.Open(SampleArchive(), "again.arc");
    }
    qInstallMessageHandler(previous);
}

}  // namespace
}  // namespace tessarin::testing
