// The main window: its state at start, its layout on resize, its shortcuts,
// clicks, keys and drags in the tree (several nodes selected with Ctrl and
// Shift too), its context menu, and the item model.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>

#include "UiHarness.h"

namespace tessarin::testing {
namespace {

using P = ScriptedPrompts;

// "caption shortcut", " -" when disabled; "|" a separator.
QString Describe(const QAction* action) {
    if (action->isSeparator()) return "|";
    QString text = action->text();
    if (!action->shortcut().isEmpty()) text += ' ' + action->shortcut().toString();
    return action->isEnabled() ? text : text + " -";
}

// The designed menus, toolbar, Check1, panels and hidden progress bars; Exit ends the program.
TEST(MainWindow, StartsWithTheDesignedMenusToolbarCheck1PanelsAndProgressBars) {
    UiHarness ui;
    for (const auto& [menu, items] :
         {std::pair{"nfile", "文件(&F), 打开(&O) Ctrl+O, 关闭(&C) Ctrl+B -, 新建档案(&N)… Ctrl+N, 撤销(&U) Ctrl+Z -, 比较档案(&C)…, 最近打开的档案(&R), |, 退出(&E)"},
          {"nobject", "对象(&O) -, 导出全部(&A) Ctrl+A, |, 导出(&E) Ctrl+E -, 替换(&I) Ctrl+I -, |, 属性(&P) Ctrl+P -, 预览(&V), |, "
                      "添加文件(&W)… Ins, 删除(&L) Del, 重命名(&M) F2, |, 导入目录(&D)… -, 合并补丁档案(&G)…, 检查档案(&T), |, 查找(&F)… Ctrl+F, 查找下一个(&N) F3"},
          {"nhelp", "帮助(&H), 关于Tessarin(&A)..."}}) {
        QStringList shown{Describe(ui.window.MenuAction(menu))};
        for (const QAction* action : ui.window.MenuAction(menu)->menu()->actions()) shown << Describe(action);
        EXPECT_EQ(shown.join(", "), QString::fromUtf8(items));
    }
    QStringList buttons;
    for (int index = 1; index <= 8; ++index) {
        const QAction* button = ui.window.ToolbarAction(index);
        ASSERT_NE(button, nullptr) << index;
        EXPECT_TRUE(button->isSeparator() || !button->icon().isNull()) << index;
        buttons << (button->isSeparator() ? "|" : button->toolTip() + (button->isEnabled() ? "" : " -"));
    }
    EXPECT_EQ(buttons.join(", "), QString::fromUtf8("打开, 关闭 -, |, 导出全部 -, 导出 -, 替换 -, |, 属性 -"));
    EXPECT_EQ(ui.window.ToolbarAction(9), nullptr);

    const auto* check = ui.window.findChild<QCheckBox*>("Check1");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(std::tuple(check->parentWidget()->objectName(), check->text(), ui.window.Check1Value()),
              std::tuple(QString("tbToolBar"), QString::fromUtf8("不解压，直接保存未解压数据。"), 0));

    QStringList panels;  // text and width in twips
    for (int panel = 1; panel <= 3; ++panel)
        panels << ui.window.Panel(panel)->text() + ' ' + QString::number(ui.window.PanelWidth(panel));
    EXPECT_EQ(panels.join(", "), QString::fromUtf8("就绪 8655,  1875,  1440"));
    EXPECT_EQ(std::tuple(ui.window.ProgressBar(1)->isVisible() || ui.window.ProgressBar(2)->isVisible(),
                         ui.window.windowTitle(), ui.window.windowIcon().isNull(), ui.window.ClientArea()->size()),
              std::tuple(false, QString("Tessarin"), false, QSize(frmMain::kOpenClientWidth, 426)));

    ui.window.MenuAction("nexit")->trigger();
    EXPECT_EQ(std::pair(ui.ended, ui.program.ending), std::pair(1, true));
}

TEST(MainWindow, ResizeKeepsTheLayoutRules) {
    UiHarness ui;
    QWidget* client = ui.window.ClientArea();
    const QWidget* toolbar = ui.window.findChild<QWidget*>("tbToolBar");
    const QWidget* status = ui.window.findChild<QWidget*>("sbStatusBar");
    const int menuHeight = ui.window.height() - client->height();
    // Wide; panel 1 at its minimum; too small even for the tree.
    for (const QSize size : {QSize(1000, 700), QSize(200, 80), QSize(1, 1)}) {
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
    enum Setup { Start, Opened, Clicked };  // Clicked: an entry left-clicked
    // What the command asks for shows that the key reached it; none: closing resets the caption.
    struct Row { const char* key; int ScriptedPrompts::*asked; Setup disabledIn, enabledIn; };
    // At start nalle is enabled but its menu is not.
    const Row rows[] = {{"Ctrl+O", &P::opens, Opened, Start},   {"Ctrl+B", nullptr, Start, Opened},
                        {"Ctrl+A", &P::folders, Start, Opened}, {"Ctrl+E", &P::folders, Opened, Clicked},
                        {"Ctrl+I", &P::opens, Opened, Clicked}, {"Ctrl+P", &P::dialogs, Opened, Clicked}};
    for (const Row& row : rows) {
        for (const bool enabled : {false, true}) {
            const Setup setup = enabled ? row.enabledIn : row.disabledIn;
            SCOPED_TRACE(::testing::Message() << row.key << " setup " << setup);
            UiHarness ui;
            if (setup != Start) ui.Open();
            if (setup == Clicked) ui.Click(Qt::LeftButton, "a\\readme.20");
            ui.window.Tree()->setFocus();
            const std::string selected = ui.SelectedKey();
            ui.window.SetCaption("before");
            QTest::keySequence(ui.window.Tree(), QKeySequence(row.key));
            EXPECT_EQ(row.asked ? ui.prompts->*row.asked == 1 : ui.window.Caption() == "Tessarin", enabled);
            // The tree never takes the key for itself (select-all, search); closing empties it.
            EXPECT_EQ(ui.SelectedKey(), !row.asked && enabled ? "" : selected);
        }
    }
}

// Clicks, arrow keys and a left drag select as a click would, Ctrl and Shift
// several nodes: the current node drives the entry controls (an entry enables
// them, a folder or the root disables them; 导出 stays for a folder) and panel
// 1 counts the selection. The tree has the focus after an open, so the first
// arrow key moves on from the root.
// Entries: top.1A (8 bytes), a\readme.20 (7), a\b\logo.1A (3000), a\b\c\raw.99 (3).
TEST(TreeEvents, ClicksKeysAndDragsSelectAndSwitchTheEntryControls) {
    OpenHarness ui;
    EXPECT_EQ(ui.SelectedKey(), "Root");
    QApplication::processEvents();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QWidget* viewport = ui.window.Tree()->viewport();
    // Down: from the step before; Press: the left button goes down; Drag: moved there from the press and released;
    // Right: a right click; ShiftUp: Shift+Up from the step before. n: the nodes selected (0: not checked).
    enum How { Click, Down, Press, Drag, Ctrl, Shift, Right, ShiftUp };
    const struct { How how; const char *key, *current; std::size_t n; const char* panel; } steps[] = {
        {Down, "top.1A", "top.1A", 1, nullptr},  {Click, "a\\b\\logo.1A", "a\\b\\logo.1A", 1, nullptr},
        {Click, "Root", "Root", 1, "发现 4 个对象"}, {Click, "top.1A", "top.1A", 1, "已选择 1 个对象，共 8 字节"},
        {Down, "a\\", "a\\", 1, "已选择 3 个对象，共 3,010 字节"}, {Down, "a\\readme.20", "a\\readme.20", 1, nullptr},
        {Press, "a\\b\\", "a\\b\\", 1, nullptr}, {Drag, "a\\b\\logo.1A", "a\\b\\logo.1A", 0, nullptr},
        {Click, "a\\b\\", "a\\b\\", 1, nullptr},
        {Click, "top.1A", "top.1A", 1, "已选择 1 个对象，共 8 字节"},
        {Ctrl, "a\\readme.20", "a\\readme.20", 2, "已选择 2 个对象，共 15 字节"},
        {Ctrl, "a\\", "a\\", 3, "已选择 4 个对象，共 3,018 字节"},  // readme counted once, with its folder
        {Right, "top.1A", "a\\", 3, "已选择 4 个对象，共 3,018 字节"},  // not the current node: no menu either
        {Click, "a\\b\\logo.1A", "a\\b\\logo.1A", 1, "已选择 1 个对象，共 3,000 字节"},
        {Shift, "a\\b\\c\\raw.99", "a\\b\\c\\raw.99", 3, "已选择 2 个对象，共 3,003 字节"},
        {ShiftUp, nullptr, "a\\b\\c\\", 2, "已选择 2 个对象，共 3,003 字节"},
        {Ctrl, "a\\b\\c\\", "a\\b\\logo.1A", 1, "已选择 1 个对象，共 3,000 字节"},  // taken out again
        {Ctrl, "Root", "Root", 2, nullptr},  // the root with an entry: 导出 takes them
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << "step " << &step - steps << " to " << (step.key ? step.key : "Shift+Up"));
        const Qt::KeyboardModifiers keys = step.how == Ctrl ? Qt::ControlModifier
                                           : step.how == Shift || step.how == ShiftUp ? Qt::ShiftModifier
                                                                                      : Qt::NoModifier;
        if (step.how == Down) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // where a key press goes
        if (step.how == ShiftUp) QTest::keyClick(ui.window.Tree(), Qt::Key_Up, keys);
        if (step.how == Press) QTest::mousePress(viewport, Qt::LeftButton, {}, ui.Centre(step.key));
        if (step.how == Drag) QTest::mouseMove(viewport, ui.Centre(step.key));
        if (step.how == Drag) QTest::mouseRelease(viewport, Qt::LeftButton, {}, ui.Centre(step.key));
        if (step.how == Click || step.how == Ctrl || step.how == Shift || step.how == Right)
            QTest::mouseClick(viewport, step.how == Right ? Qt::RightButton : Qt::LeftButton, keys, ui.Centre(step.key));
        EXPECT_EQ(ui.SelectedKey(), step.current);
        EXPECT_EQ(step.n ? ui.window.TreeSelection().size() : 0, step.n);
        EXPECT_EQ(step.panel ? ui.window.Panel(1)->text() : QString(), QString::fromUtf8(step.panel));
        const bool entry = IsEntryKey(step.current);
        EXPECT_EQ(ui.window.MenuAction("nexport")->isEnabled() && ui.window.ToolbarAction(5)->isEnabled(),
                  std::string(step.current) != "Root" || step.n > 1);  // 导出 also takes a folder
        for (const char* item : {"nimport", "nproperty"}) EXPECT_EQ(ui.window.MenuAction(item)->isEnabled(), entry) << item;
        for (int button : {6, 8}) EXPECT_EQ(ui.window.ToolbarAction(button)->isEnabled(), entry) << button;
    }
    EXPECT_EQ(ui.prompts->popups, 0);

    // Files dropped onto a folder are added there.
    for (const char* name : {"one.7", "two.8"}) WriteFileBytes(ui.dir / name, name);
    ui.window.DropFiles(ui.program.tree.Find("a\\b\\"), {ui.dir / "one.7", ui.dir / "two.8"});
    QTest::qWait(20);  // the drop's work runs after the drop
    EXPECT_EQ(ui.program.arc.ArcEntries.size(), 6u);
    EXPECT_TRUE(ui.program.tree.Find("a\\b\\one.7") != kNoNode && ui.program.tree.Find("a\\b\\two.8") != kNoNode);
}

// A right click on the selected entry or folder, Shift+F10 or the Menu key
// opens the context menu; nothing else does (the root has none), and none of
// them changes the selection. An item chosen runs its command on the selection
// once the right click has been handled: what it asked of the user, or the
// tree after it, shows that it ran.
TEST(TreeEvents, ContextMenuOpensOnlyForTheSelectedEntryOrFolderAndNeverChangesTheSelection) {
    const QKeySequence shiftF10(Qt::SHIFT | Qt::Key_F10), menuKey(Qt::Key_Menu);
    // rightClicked "": empty space below the rows; nullptr: the key is pressed
    // instead. item: the one chosen ("": dismissed); asked: what it asks for.
    struct Row {
        const char *selected, *rightClicked; QKeySequence key; int popups; const char* item = ""; int P::*asked = nullptr;
    };
    const Row rows[] = {{"top.1A", "top.1A", {}, 1},         {"top.1A", "a\\readme.20", {}, 0},
                        {"a\\b\\", "a\\b\\", {}, 1},         {"top.1A", "", {}, 0},
                        {"top.1A", nullptr, shiftF10, 1},    {"top.1A", nullptr, menuKey, 1},
                        {"a\\", nullptr, menuKey, 1},        {"Root", nullptr, shiftF10, 0},
                        {"Root", "Root", {}, 0},
                        {"top.1A", "top.1A", {}, 1, "expfile", &P::folders},
                        {"top.1A", "top.1A", {}, 1, "repalcefile", &P::opens},
                        {"top.1A", "top.1A", {}, 1, "fproperty", &P::dialogs},
                        {"a\\b\\", "a\\b\\", {}, 1, "expfile", &P::folders},
                        {"a\\b\\", "a\\b\\", {}, 1, "ndelete"},
                        {"a\\b\\", "a\\b\\", {}, 1, "nrename"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.selected) + " selected, then " +
                     (row.rightClicked ? "a right click on \"" + std::string(row.rightClicked) + "\""
                                       : row.key.toString().toStdString()) +
                     ", " + (*row.item ? row.item : "dismissed"));
        OpenHarness ui;
        ui.Click(Qt::LeftButton, row.selected);
        const QModelIndex current = ui.window.Tree()->currentIndex();
        ui.prompts->popupChoice = row.item;
        ui.prompts->chooseAnswer = 0;  // yes, delete
        if (row.rightClicked) ui.Click(Qt::RightButton, row.rightClicked);
        else QTest::keySequence(ui.window.Tree(), row.key);
        EXPECT_EQ(ui.prompts->popups, row.popups);
        QTest::qWait(20);  // the item's command runs once the right click has been handled
        const bool deleting = std::string(row.item) == "ndelete", renaming = std::string(row.item) == "nrename";
        const int asked = ui.prompts->opens + ui.prompts->folders + ui.prompts->dialogs, expected = row.asked ? 1 : 0;
        EXPECT_EQ(std::tuple(row.asked ? ui.prompts->*row.asked : 0, asked, ui.program.tree.Find(row.selected) == kNoNode),
                  std::tuple(expected, expected, deleting));
        EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr, renaming);
        EXPECT_TRUE(deleting || (ui.SelectedKey() == row.selected && ui.window.Tree()->currentIndex() == current))
            << ui.SelectedKey();
    }
}

void FailOnWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) ADD_FAILURE() << message.toStdString();
}

// The harness's model tester stops the run on a fault; any other Qt warning fails the test.
TEST(EntryTreeModel, PassesQtsModelTesterAcrossOpenCloseAndReopen) {
    UiHarness ui;
    const QtMessageHandler previous = qInstallMessageHandler(FailOnWarning);
    ArcPlan deep = SampleArchive();
    for (int i = 0; i < 40; ++i)  // 5 folders of 3 sub-folders
        deep.records.push_back(Entry(QString("d%1\\e%2\\f%3").arg(i % 5).arg(i % 3).arg(i).toStdString(), 0x20, "x"));
    ui.Open(deep);
    ui.window.Tree()->collapseAll();
    ui.window.Tree()->expandAll();
    ui.window.MenuAction("nclose")->trigger();
    ui.Open(SampleArchive(), "again.arc");
    qInstallMessageHandler(previous);
}

}  // namespace
}  // namespace tessarin::testing
