#pragma once
// The main window: menus, toolbar with Check1, tree, status bar and progress
// bars, laid out in a client area below the menu bar exactly as the window's
// design places them. It implements IMainWindow, the one interface through
// which every command talks to the user.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/EntryDrag.h"
#include "app/Find.h"
#include "state/MainWindow.h"
#include "state/Program.h"
#include "ui/RecentArchives.h"

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTimer;
class QSizeGrip;
class QStatusBar;
class QToolBar;

namespace tessarin {

class EntryFilterBox;
class EntryTreeModel;
class EntryTreeView;
class PreviewWindow;
class FindDialog;
class ModalPrompts;

class frmMain : public QMainWindow, public IMainWindow {
    Q_OBJECT
public:
    static constexpr WindowHandle kMainHandle = 1;
    // Client area at start: 9480 x 6390 twips.
    static constexpr int kClientWidth = 632;
    static constexpr int kClientHeight = 426;
    // The width the window opens with: wide enough for the tree's columns.
    static constexpr int kOpenClientWidth = 820;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The run's state; the program is built on this window, then attached.
    void Attach(Program& program);
    // The load handler: reads the type table from the program's folder.
    void Load();
    // Opens an archive at start exactly as if it had been chosen in the open dialog.
    void OpenAtStart(const std::string& path);

    // Seams: where modal interactions go, and what ending the program does.
    void SetPrompts(std::unique_ptr<ModalPrompts> prompts);
    void SetEndAction(std::function<void()> endAction) { endAction_ = std::move(endAction); }

    // Owner handles for the dialogs of the commands (the main window, frmInfo).
    WindowHandle RegisterOwner(QWidget* widget);
    void UnregisterOwner(WindowHandle handle);
    QWidget* OwnerWidget(WindowHandle handle);

    // Controls, for the commands' wiring and for tests.
    QAction* MenuAction(const std::string& name) const;  // "nobject" etc. give the menu's action
    QAction* ToolbarAction(int index) const;             // 1-based, separators included
    EntryTreeView* Tree() const { return TreeView1; }
    EntryTreeModel* Model() const { return model_; }
    QMenu* TreeMenu() const { return tvwmenu; }
    QWidget* ClientArea() const { return client_; }
    QLabel* Panel(int panel) const;
    QProgressBar* ProgressBar(int bar) const;
    QPushButton* StopButton() const { return stopButton_; }
    FindDialog* Finder() const { return findDialog_; }  // nullptr until first opened
    EntryFilterBox* FilterBox() const { return filterBox_; }
    PreviewWindow* Preview() const { return preview_; }  // nullptr until first opened

    // The preview of the selected entry: opened (open) or only followed while
    // it is open. Its reading stops before any command runs.
    void PreviewSelected(bool open);
    void StopPreviewReading();

    // Drag and drop: the data of an entry dragged out of the tree (the file is
    // exported when the target asks for it), and files dropped from outside
    // onto node (kNoNode: empty space). The drop's work runs once the drop
    // itself has finished.
    QMimeData* DragDataFor(NodeId node);
    void DropFiles(NodeId node, const std::vector<std::string>& paths);
    void DropFile(NodeId node, const std::string& path) { DropFiles(node, {path}); }

    // IMainWindow
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;
    WindowHandle Handle() const override { return kMainHandle; }
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override;
    void SetPanelText(int panel, const std::string& text) override;
    std::string PanelText(int panel) const override;
    int PanelWidth(int panel) const override;
    void SetProgressVisible(int bar, bool visible) override;
    void SetProgressWidth(int bar, int twips) override;
    void SetProgressMin(int bar, int value) override;
    void SetProgressMax(int bar, int value) override;
    void SetProgressValue(int bar, int value) override;
    void TreeBeginReset() override;
    void TreeEndReset() override;
    void TreeSelect(NodeId node) override;
    void TreeEnsureVisible(NodeId node) override;
    void TreeExpand(NodeId node) override;
    NodeId TreeSelected() const override;
    std::vector<NodeId> TreeSelection() const override;
    void TreeBeginEdit() override;
    void TreeEndEdit() override;
    void TreeBeginRemove(NodeId node) override;
    void TreeEndRemove() override;
    void TreeBeginInsert(NodeId parent) override;
    void TreeEndInsert() override;
    void TreeNodeChanged(NodeId node) override;
    std::vector<NodeId> TreeExpandedNodes() const override;
    void SetMenuEnabled(const std::string& name, bool enabled) override;
    void SetButtonEnabled(int index, bool enabled) override;
    int Check1Value() const override;
    void SetMainEnabled(bool enabled) override;
    std::string ShowOpenDialog(WindowHandle owner, const std::string& filter, const std::string& title) override;
    std::string BrowseForFolder(WindowHandle owner, const std::string& prompt, const std::string& initialFolder,
                                std::int32_t flags) override;
    TreeMenuChoice PopupTreeMenu() override;
    void Showinfo(const InfoTexts& texts) override;
    void ShowAbout() override;
    void BeginLongWork() override;
    bool StopRequested() const override { return stopRequested_; }
    void EndLongWork() override;
    FailureChoice AskAfterFailure(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    void ShowReport(const std::string& title, const std::string& summary,
                    const std::vector<std::string>& lines) override;
    void DoEvents() override;
    void EndProgram() override;
    // Asks running long work to stop after the entry in hand.
    void RequestStop() { stopRequested_ = true; }
    bool LongWorkRunning() const { return longWork_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Esc that nothing else took (the tree, Check1): clears the filter while it is set.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    // tvwmenu, the context menu of an entry or folder (after CreateMenus: it
    // shows the 对象 menu's captions).
    void CreateTreeMenu();
    void CreateToolbar();
    void CreateStatusBar();
    void CreateTree();
    void CreateProgressBars();
    void CenterOnScreen();
    // The resize layout of the client area.
    void LayoutClient();
    int StatusBarHeight() const;
    int PanelPixels(int panel) const;

    void OnMenu(const std::string& name);
    // 添加文件 (a multi-file picker) and 重命名 (the name edited in place in
    // the tree) on the selected node.
    void EditSelected(const std::string& name);
    // A name edited in place was committed: the node with key is renamed to
    // text, once the editor has closed.
    void RenameEdited(const std::string& key, const std::string& text);
    // 新建档案: a folder, then where to save; the new archive is then opened.
    void NewArchive();
    // Where the new archive goes: a name not yet taken (".arc" added when it
    // has no extension), or "" when cancelled.
    std::string AskNewArchivePath();
    void OnToolbar(int index);
    QWidget* DialogParent();
    // Ctrl+F and F3: the find dialog and the next match.
    void ShowFindDialog();
    void FindFromDialog(const QString& text);
    void FindNext();
    // Shift+F10 or the Menu key: the context menu at the selected node.
    void ContextMenuFromKeyboard();
    // The user's changes of the selection (mouse drags included) update the
    // entry controls as a click does.
    void SelectionChangedByUser();
    // Runs the drop of files once the drag and drop has ended.
    void RunDrop(NodeId node, const std::vector<std::string>& paths);
    // True once the program is ending: no more dialogs.
    bool Ending() const { return program_ && program_->ending; }
    void ShowPanel2Text();
    void ShowHeldBackProgress();
    // Opening a file outside the open dialog (a drop, a recent archive): the
    // open archive is closed, then the open command runs with path as its answer.
    void OpenInPlaceOfCurrent(const std::string& path);
    void OpenRecent(const QString& path);
    // After a command: an archive newly open goes first in the recent list.
    void NoteOpenedArchive();
    // Panel 1 while a folder or entries are selected: how many entries and their size.
    void ShowSelectionTotals();
    // The size columns widened to their largest value (an archive has opened).
    void FitSizeColumns();

    Program* program_ = nullptr;
    std::unique_ptr<ModalPrompts> prompts_;
    std::function<void()> endAction_;
    std::string caption_ = kProgramTitle;
    // The open dialog's next answer: the archive named at start or dropped,
    // or the file dropped onto an entry.
    std::optional<std::string> startAnswer_;
    RecentArchives recent_;
    std::string notedArchive_;  // the open archive last put in the recent list
    bool longWork_ = false;
    bool stopRequested_ = false;
    bool mainEnabled_ = true;
    // Where the context menu opens when asked for from the keyboard.
    std::optional<QPoint> popupAt_;
    std::string panel2Text_;
    QString panel1Text_;  // the text the commands gave panel 1
    EntryFilterBox* filterBox_ = nullptr;
    PreviewWindow* preview_ = nullptr;
    EntryFinder finder_;
    DragExportFolder dragFolder_;
    FindDialog* findDialog_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QShortcut* escape_ = nullptr;
    // ProgressBar1 repaints at most this often while a directory is read.
    qint64 barShownAt_[3] = {0, 0, 0};
    int barValue_[3] = {0, 0, 0};
    QTimer* barTimer_ = nullptr;

    QWidget* client_ = nullptr;
    QToolBar* tbToolBar = nullptr;
    QCheckBox* Check1 = nullptr;
    QStatusBar* sbStatusBar = nullptr;
    QLabel* panels_[3] = {};
    QSizeGrip* grip_ = nullptr;
    EntryTreeView* TreeView1 = nullptr;
    EntryTreeModel* model_ = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QMenu* tvwmenu = nullptr;
    std::map<std::string, QAction*> menuActions_;
    std::map<std::string, std::string> menuOf_;  // item -> the menu that holds it
    std::vector<QAction*> toolbarActions_;  // index - 1

    // Asked for while the tree was being reset; applied when the reset ends.
    NodeId pendingSelect_ = kNoNode;
    // The current node the last change of the selection was handled for.
    NodeId handledCurrent_ = kNoNode;
    NodeId pendingVisible_ = kNoNode;
    std::vector<NodeId> pendingExpands_;

    std::map<WindowHandle, QPointer<QWidget>> owners_;
    WindowHandle nextHandle_ = kMainHandle + 1;
};

}  // namespace tessarin
