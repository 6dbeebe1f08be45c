#pragma once
// Everything one run of the program holds: the window it talks through (or,
// without a window, the events its operations report to), its files by number, the type table, the open archive, the tree and the last
// deflated replacement data.
#include <memory>

#include "core/ArcState.h"
#include "state/MainWindow.h"
#include "core/platform/BinaryFile.h"
#include "tree/EntryTree.h"
#include "core/ExtTypes.h"

namespace tessarin {

class LongWork;

// The archive as it was before the window's last change, kept beside it under
// its undo name and held open (locked) under fileNum, so no sweep takes it.
struct UndoCopy {
    bool kept = false;         // only the window keeps one; the companion does not
    std::int16_t fileNum = 0;  // 0 when there is nothing to undo
    std::string path;
    std::string what;  // the change, as the status bar names it
    bool offered = false;  // whether the window's 撤销 is enabled now

    // Nothing to undo any more (whether one is kept and offered stays).
    void Forget() {
        fileNum = 0;
        path.clear();
        what.clear();
    }
};

struct Program {
    explicit Program(IMainWindow& window) : ui(window) {}
    // A run without a window: what the operations report goes to events.
    explicit Program(OperationEvents& events);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

private:
    std::unique_ptr<IMainWindow> headless_;  // the window of a run without one; before ui

public:
    IMainWindow& ui;
    FileTable files;
    ExtTypeTable ExtTypes;
    ArcState arc;
    EntryTree tree;
    UndoCopy undo;
    // Set once EndProgram has been asked for: commands stop at once.
    bool ending = false;
    // Commands running now (nested when one starts from another's event pump).
    int runningCommands = 0;
    // The long work that shows its progress on bar 2 now, or null (a rewrite
    // inside it tells its bytes to it and leaves the bar to it).
    LongWork* longWork = nullptr;

    // True while the archive's file is open: after a failed open the tree may
    // still show the entries read, but their data can no longer be reached.
    bool ArchiveIsOpen() const { return arc.ArcFileNum != 0 && files.IsOpen(arc.ArcFileNum); }

    // Ends the program: nothing else is written and running commands stop.
    // The files go once no command runs any more, never under one that may
    // still read them (long work's reader threads included).
    void EndProgram() {
        ending = true;
        if (runningCommands == 0) FinishEnding();
    }

    // Closes every file and the window, once.
    void FinishEnding() {
        if (ended_) return;
        ended_ = true;
        files.CloseAll();
        ui.EndProgram();
    }

    // The tree's selected node, or nullptr when none of its nodes is selected.
    const TreeNode* SelectedNode() const {
        const NodeId id = ui.TreeSelected();
        return id >= 0 && static_cast<std::size_t>(id) < tree.Size() ? &tree.Node(id) : nullptr;
    }

private:
    bool ended_ = false;
};

// Marks a command as running for its lifetime; the outermost one to unwind
// after EndProgram closes the files and the window.
class RunningCommand {
public:
    explicit RunningCommand(Program& program) : program_(program) { ++program_.runningCommands; }
    ~RunningCommand() {
        if (--program_.runningCommands == 0 && program_.ending) program_.FinishEnding();
    }
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

private:
    Program& program_;
};

}  // namespace tessarin
