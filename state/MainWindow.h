#pragma once
// The main window as the commands see it: caption, panels, bars, tree, enabled
// states, pickers and the event pump, besides what every operation reports
// (OperationEvents). The Qt window implements it in ui/, a recording fake in
// the tests; the command-line companion has no window (see Program).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "state/OperationEvents.h"
#include "tree/EntryTree.h"

namespace tessarin {

// Identifies the window that owns a dialog (the main window or frmInfo).
using WindowHandle = std::uint32_t;

// Folder picker flag: the resizable "new" dialog style.
inline constexpr std::int32_t BIF_NEWDIALOGSTYLE = 64;

// What the user chose from the tree's context menu tvwmenu.
enum class TreeMenuChoice { None, ExpFile, RepalceFile, FProperty };

// The six texts of the properties dialog, in Showinfo's argument order.
struct InfoTexts {
    std::string filename;
    std::string FiletypeHex;
    std::string Filetype;
    std::string Filepath;
    std::string FileOFSET;
    std::string Filesize;
};

class IMainWindow : public OperationEvents {
public:
    // The main window's own handle.
    virtual WindowHandle Handle() const = 0;

    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;

    // Status bar panels 1..3; widths in twips.
    virtual void SetPanelText(int panel, const std::string& text) = 0;
    // A panel's text as last set ("" where the window shows no panels).
    virtual std::string PanelText(int) const { return {}; }
    virtual int PanelWidth(int panel) const = 0;

    // bar 1: ProgressBar1 (reading a directory); bar 2: ProgressBar2 (export all).
    virtual void SetProgressVisible(int bar, bool visible) = 0;
    virtual void SetProgressWidth(int bar, int twips) = 0;
    virtual void SetProgressMin(int bar, int value) = 0;
    virtual void SetProgressMax(int bar, int value) = 0;
    virtual void SetProgressValue(int bar, int value) = 0;

    // The tree's nodes live in Program::tree. The commands call TreeBeginReset
    // before they change the nodes and TreeEndReset when done, before anything
    // that could let the window repaint (a message box, DoEvents).
    virtual void TreeBeginReset() = 0;
    virtual void TreeEndReset() = 0;
    virtual void TreeSelect(NodeId node) = 0;
    virtual void TreeEnsureVisible(NodeId node) = 0;
    virtual void TreeExpand(NodeId node) = 0;
    // The selected node, or kNoNode. Where several are selected: the current one.
    virtual NodeId TreeSelected() const = 0;
    // Every selected node (the current one among them), in no set order.
    virtual std::vector<NodeId> TreeSelection() const {
        const NodeId node = TreeSelected();
        return node == kNoNode ? std::vector<NodeId>{} : std::vector<NodeId>{node};
    }

    // A local change of the tree instead of a reset, so the window keeps what
    // is expanded and selected. Between TreeBeginEdit and TreeEndEdit the
    // commands change nodes, each change told: a node about to be removed with
    // everything below it (then TreeEndRemove), one node about to be appended
    // to parent's children, with anything below it (then TreeEndInsert), and
    // a node whose key or text changed, with those below it. A window that
    // shows no tree, or only knows resets, takes the whole edit as a reset.
    virtual void TreeBeginEdit() { TreeBeginReset(); }
    virtual void TreeEndEdit() { TreeEndReset(); }
    virtual void TreeBeginRemove(NodeId /*node*/) {}
    virtual void TreeEndRemove() {}
    virtual void TreeBeginInsert(NodeId /*parent*/) {}
    virtual void TreeEndInsert() {}
    virtual void TreeNodeChanged(NodeId /*node*/) {}
    // The nodes shown expanded (none where the window does not show a tree).
    virtual std::vector<NodeId> TreeExpandedNodes() const { return {}; }

    // Menu items by name ("nopen", "nclose", "nobject", "nexport", "nimport",
    // "nproperty") and toolbar buttons by 1-based index.
    virtual void SetMenuEnabled(const std::string& name, bool enabled) = 0;
    virtual void SetButtonEnabled(int index, bool enabled) = 0;

    // 1 when "不解压，直接保存未解压数据。" is ticked, 0 otherwise.
    virtual int Check1Value() const = 0;

    // Enables or disables all input to the main window.
    virtual void SetMainEnabled(bool enabled) = 0;

    // The open-file picker: filter is "description|pattern|...". Returns the chosen
    // path followed by a NUL character and filler, or "" when cancelled.
    virtual std::string ShowOpenDialog(WindowHandle owner, const std::string& filter,
                                       const std::string& title) = 0;
    // The folder picker: the chosen folder as the platform gives it, "" when cancelled.
    virtual std::string BrowseForFolder(WindowHandle owner, const std::string& prompt,
                                        const std::string& initialFolder, std::int32_t flags) = 0;

    // Shows tvwmenu at the pointer and returns the chosen item.
    virtual TreeMenuChoice PopupTreeMenu() = 0;
    // Shows frmInfo modally with these texts; returns when it has been closed.
    virtual void Showinfo(const InfoTexts& texts) = 0;
    // Shows the about box modally.
    virtual void ShowAbout() = 0;

    // Long work that can be stopped (export all, import, verify, a rewrite of
    // the archive). BeginLongWork
    // clears any earlier stop request and offers the stop control; the work
    // polls StopRequested between entries (true once the user pressed Esc or
    // the stop button, or closed the window); EndLongWork withdraws the control.
    virtual void BeginLongWork() = 0;
    virtual void EndLongWork() = 0;

    // Lets pending window events run (repaint, progress).
    virtual void DoEvents() = 0;
    // Ends the program at once, without unload handling.
    virtual void EndProgram() = 0;
};

}  // namespace tessarin
