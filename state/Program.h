#pragma once
// Everything one run of the program holds: the window it talks through, its
// files by number, the type table, the open archive, the tree and the last
// deflated replacement data.
#include "core/ArcState.h"
#include "state/MainWindow.h"
#include "core/platform/BinaryFile.h"
#include "tree/EntryTree.h"
#include "core/ExtTypes.h"

namespace tessarin {

struct Program {
    explicit Program(IMainWindow& window) : ui(window) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    IMainWindow& ui;
    FileTable files;
    ExtTypeTable ExtTypes;
    ArcState arc;
    EntryTree tree;
    // Set once EndProgram has been asked for: commands stop at once.
    bool ending = false;

    // True while the archive's file is open: after a failed open the tree may
    // still show the entries read, but their data can no longer be reached.
    bool ArchiveIsOpen() const { return arc.ArcFileNum != 0 && files.IsOpen(arc.ArcFileNum); }

    // Ends the program at once: every file is closed, nothing else is written,
    // and the commands that are still running stop.
    void EndProgram() {
        ending = true;
        files.CloseAll();
        ui.EndProgram();
    }

    // The tree's selected node, or nullptr when none of its nodes is selected.
    const TreeNode* SelectedNode() const {
        const NodeId id = ui.TreeSelected();
        return id >= 0 && static_cast<std::size_t>(id) < tree.Size() ? &tree.Node(id) : nullptr;
    }
};

}  // namespace tessarin
