#include "ui/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QShortcut>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/Commands.h"
#include "app/TreeEvents.h"
#include "ui/treeview/EntryFilterBox.h"
#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"
#include "ui/Icons.h"
#include "ui/ModalPrompts.h"
#include "ui/Twips.h"

namespace tessarin {

namespace {

struct MenuItemDesign {
    const char* name;
    const char* caption;  // "-" for a separator
    QKeySequence shortcut;
    bool enabled;
};

struct ToolButtonDesign {
    int image;  // 1-based in imlToolbarIcons, 0 for a separator
    const char* tooltip;
    bool enabled;
};

const ToolButtonDesign kToolButtons[] = {
    {1, "打开", true}, {2, "关闭", false}, {0, "", false}, {3, "导出全部", false},
    {4, "导出", false}, {5, "替换", false}, {0, "", false}, {6, "属性", false},
};

}  // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), prompts_(std::make_unique<QtModalPrompts>()) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromUtf8(caption_));
    setWindowIcon(WindowIcon());

    // The client area: everything below the menu bar, laid out by LayoutClient.
    client_ = new QWidget(this);
    client_->setObjectName("ClientArea");
    setCentralWidget(client_);
    client_->installEventFilter(this);

    // Creation order of the design: progress bars first, tree last, so the
    // progress bars are raised above the tree and the status bar afterwards.
    CreateProgressBars();
    CreateToolbar();
    CreateStatusBar();
    CreateTree();
    CreateMenus();
    ProgressBar1->raise();
    ProgressBar2->raise();
    stopButton_->raise();
    // The keys belong to the tree from the start (not to Check1, the only
    // other control that takes focus).
    TreeView1->setFocus();

    // Ctrl+L: the filter box.
    auto* filterKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    filterKey->setContext(Qt::WindowShortcut);
    connect(filterKey, &QShortcut::activated, filterBox_, &EntryFilterBox::Activate);

    // Esc stops long work, as the stop button does.
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setContext(Qt::WindowShortcut);
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, &frmMain::RequestStop);
    barTimer_ = new QTimer(this);
    barTimer_->setSingleShot(true);
    barTimer_->setInterval(33);
    connect(barTimer_, &QTimer::timeout, this, &frmMain::ShowHeldBackProgress);
    // An archive file dropped on the window is opened.
    setAcceptDrops(true);

    // However the program comes to quit, the files dragged out and the
    // previous version of the archive go with it. Logging out of the desktop
    // ends the program as the close box does (every change is already written).
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        dragFolder_.RemoveAll();
        if (program_ && !program_->ending) program_->EndProgram();
    });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { close(); });

    // Runs once the program has closed its files.
    endAction_ = [this] {
        // The preview's workers are done before anything goes.
        StopPreviewReading();
        dragFolder_.RemoveAll();
        for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
        QCoreApplication::exit(0);
    };

    resize(kOpenClientWidth, kClientHeight + menuBar()->sizeHint().height());
    LayoutClient();
    CenterOnScreen();
}

frmMain::~frmMain() = default;

void frmMain::CreateProgressBars() {
    ProgressBar2 = new QProgressBar(client_);
    ProgressBar2->setObjectName("ProgressBar2");
    ProgressBar2->setGeometry(TwipsToPixels(1695), TwipsToPixels(2910), TwipsToPixels(6090), TwipsToPixels(315));
    ProgressBar1 = new QProgressBar(client_);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(0, TwipsToPixels(5250), TwipsToPixels(4965), TwipsToPixels(210));
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->hide();
    }
    // Beside ProgressBar2 while long work that can be stopped runs.
    stopButton_ = new QPushButton(QStringLiteral("停止"), client_);
    stopButton_->setObjectName("StopButton");
    stopButton_->setToolTip(QStringLiteral("停止 (Esc)"));
    stopButton_->setFocusPolicy(Qt::NoFocus);
    stopButton_->hide();
    connect(stopButton_, &QPushButton::clicked, this, &frmMain::RequestStop);
}

void frmMain::CreateToolbar() {
    tbToolBar = new QToolBar(client_);
    tbToolBar->setObjectName("tbToolBar");
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(16, 16));
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tbToolBar->setGeometry(0, 0, kClientWidth, TwipsToPixels(360));

    const std::vector<QIcon> images = ToolbarImages();
    int index = 0;
    for (const ToolButtonDesign& design : kToolButtons) {
        ++index;
        QAction* action = nullptr;
        if (design.image == 0) {
            action = tbToolBar->addSeparator();
        } else {
            action = tbToolBar->addAction(images[static_cast<std::size_t>(design.image - 1)], QString());
            action->setToolTip(QString::fromUtf8(design.tooltip));
            action->setEnabled(design.enabled);
            connect(action, &QAction::triggered, this, [this, index] { OnToolbar(index); });
        }
        // Keys "Open" and "Close" of the first two images name their buttons.
        action->setObjectName(index == 1 ? "Open" : index == 2 ? "Close" : QStringLiteral("Button%1").arg(index));
        toolbarActions_.push_back(action);
    }

    Check1 = new QCheckBox(QString::fromUtf8("不解压，直接保存未解压数据。"), tbToolBar);
    Check1->setObjectName("Check1");
    Check1->setChecked(false);
    Check1->setFocusPolicy(Qt::TabFocus);
}

void frmMain::CreateStatusBar() {
    sbStatusBar = new QStatusBar(client_);
    sbStatusBar->setObjectName("sbStatusBar");
    // The panels are placed by LayoutClient, so their widths follow the
    // design's rules exactly rather than the status bar's own layout.
    sbStatusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(sbStatusBar);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);  // archive names are never markup
        label->setIndent(3);
        panels_[i] = label;
    }
    panel1Text_ = QString::fromUtf8("就绪");
    panels_[0]->setText(panel1Text_);
    grip_ = new QSizeGrip(sbStatusBar);
    grip_->setObjectName("SizeGrip");
}

void frmMain::CreateTree() {
    TreeView1 = new EntryTreeView(client_);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setGeometry(0, TwipsToPixels(360), TwipsToPixels(8205), TwipsToPixels(4755));
    // The filter box sits in the toolbar, right of Check1, above the tree.
    filterBox_ = new EntryFilterBox(TreeView1, tbToolBar);
    connect(TreeView1, &EntryTreeView::filterTyped, filterBox_, &EntryFilterBox::TypeFromTree);
}

void frmMain::CreateMenus() {
    struct MenuDesign {
        const char* name;
        const char* caption;
        bool enabled;
        std::vector<MenuItemDesign> items;
    };
    const MenuDesign menus[] = {
        {"nfile", "文件(&F)", true,
         {{"nopen", "打开(&O)", QKeySequence(Qt::CTRL | Qt::Key_O), true},
          {"nclose", "关闭(&C)", QKeySequence(Qt::CTRL | Qt::Key_B), false},
          {"nnew", "新建档案(&N)…", QKeySequence(Qt::CTRL | Qt::Key_N), true},
          {"nundo", "撤销(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z), false},
          {"ncompare", "比较档案(&C)…", {}, true},
          {"a1", "-", {}, true},
          {"nexit", "退出(&E)", {}, true}}},
        {"nobject", "对象(&O)", false,
         {{"nalle", "导出全部(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), true},
          {"a3", "-", {}, true},
          {"nexport", "导出(&E)", QKeySequence(Qt::CTRL | Qt::Key_E), false},
          {"nimport", "替换(&I)", QKeySequence(Qt::CTRL | Qt::Key_I), false},
          {"a4", "-", {}, true},
          {"nproperty", "属性(&P)", QKeySequence(Qt::CTRL | Qt::Key_P), false},
          {"npreview", "预览(&V)", {}, true},
          {"a5", "-", {}, true},
          {"naddfile", "添加文件(&W)…", QKeySequence(Qt::Key_Insert), true},
          {"ndelete", "删除(&L)", QKeySequence(Qt::Key_Delete), true},
          {"nrename", "重命名(&M)", QKeySequence(Qt::Key_F2), true},
          {"a7", "-", {}, true},
          {"nimportdir", "导入目录(&D)…", {}, false},
          {"nmerge", "合并补丁档案(&G)…", {}, true},
          {"nverify", "检查档案(&T)", {}, true},
          {"a6", "-", {}, true},
          {"nfind", "查找(&F)…", QKeySequence(Qt::CTRL | Qt::Key_F), true},
          {"nfindnext", "查找下一个(&N)", QKeySequence(Qt::Key_F3), true}}},
        {"nhelp", "帮助(&H)", true, {{"nabout", "关于Tessarin(&A)...", {}, true}}},
    };
    QList<QKeySequence> shortcuts;
    for (const MenuDesign& design : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(design.caption));
        menu->setObjectName(design.name);
        menu->menuAction()->setObjectName(design.name);
        menu->menuAction()->setEnabled(design.enabled);
        menuActions_[design.name] = menu->menuAction();
        for (const MenuItemDesign& item : design.items) {
            QAction* action = std::string_view(item.caption) == "-"
                                  ? menu->addSeparator()
                                  : menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(item.name);
            if (action->isSeparator()) continue;
            action->setShortcut(item.shortcut);
            if (!item.shortcut.isEmpty()) shortcuts.append(item.shortcut);
            action->setEnabled(item.enabled);
            // The shortcuts belong to the whole window, the tree included.
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action);
            const std::string name = item.name;
            connect(action, &QAction::triggered, this, [this, name] { OnMenu(name); });
            menuActions_[name] = action;
            menuOf_[name] = design.name;
        }
    }
    QMenu* fileMenu = findChild<QMenu*>("nfile");
    // The recent archives go just before the separator above 退出.
    QAction* beforeExit = nullptr;
    for (QAction* action : fileMenu->actions()) {
        if (action->isSeparator()) {
            beforeExit = action;
            break;
        }
    }
    recent_.AttachMenu(fileMenu, beforeExit, [this](const QString& path) { OpenRecent(path); });
    // The tree leaves the menu shortcuts to the window (it would take Ctrl+A itself).
    shortcuts.append(QKeySequence(Qt::CTRL | Qt::Key_L));
    TreeView1->SetWindowShortcuts(shortcuts);
    CreateTreeMenu();
}

void frmMain::CreateTreeMenu() {
    tvwmenu = new QMenu(QStringLiteral("tvwmenu"), this);
    tvwmenu->setObjectName("tvwmenu");
    tvwmenu->addAction(QString::fromUtf8("导出文件"))->setObjectName("expfile");
    tvwmenu->addAction(QString::fromUtf8("替换文件"))->setObjectName("repalcefile");
    tvwmenu->addSeparator()->setObjectName("a1");
    tvwmenu->addAction(QString::fromUtf8("属性"))->setObjectName("fproperty");
    // The 对象 menu's commands on the node, with their keys as a reminder.
    tvwmenu->addSeparator()->setObjectName("a2");
    const std::pair<const char*, QKeySequence> edits[] = {{"npreview", QKeySequence(Qt::Key_Space)},
                                                          {"naddfile", QKeySequence(Qt::Key_Insert)},
                                                          {"ndelete", QKeySequence(Qt::Key_Delete)},
                                                          {"nrename", QKeySequence(Qt::Key_F2)}};
    for (const auto& [name, key] : edits) {
        tvwmenu->addAction(MenuAction(name)->text() + QLatin1Char('\t') + key.toString(QKeySequence::NativeText))
            ->setObjectName(name);
    }
}

void frmMain::CenterOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(width() / 2, height() / 2));
}

QAction* frmMain::MenuAction(const std::string& name) const {
    const auto it = menuActions_.find(name);
    return it == menuActions_.end() ? nullptr : it->second;
}

QAction* frmMain::ToolbarAction(int index) const {
    if (index < 1 || static_cast<std::size_t>(index) > toolbarActions_.size()) return nullptr;
    return toolbarActions_[static_cast<std::size_t>(index - 1)];
}

QLabel* frmMain::Panel(int panel) const { return panel >= 1 && panel <= 3 ? panels_[panel - 1] : nullptr; }

QProgressBar* frmMain::ProgressBar(int bar) const {
    return bar == 1 ? ProgressBar1 : bar == 2 ? ProgressBar2 : nullptr;
}

void frmMain::SetPrompts(std::unique_ptr<ModalPrompts> prompts) {
    if (prompts) prompts_ = std::move(prompts);
}

WindowHandle frmMain::RegisterOwner(QWidget* widget) {
    const WindowHandle handle = nextHandle_++;
    owners_[handle] = widget;
    return handle;
}

void frmMain::UnregisterOwner(WindowHandle handle) { owners_.erase(handle); }

QWidget* frmMain::OwnerWidget(WindowHandle handle) {
    const auto it = owners_.find(handle);
    if (it != owners_.end() && it->second) return it->second;
    return this;  // the main window, and any handle that is not (or no longer) known
}

}  // namespace tessarin
