#pragma once
// Drag and drop with the file manager: an entry dragged out of the tree is
// exported into a private temporary folder, from which the file manager takes
// it; a file dropped onto an entry replaces that entry's data.
#include <string>

#include "state/Program.h"

namespace tessarin {

class DragExportFolder {
public:
    DragExportFolder() = default;
    DragExportFolder(const DragExportFolder&) = delete;
    DragExportFolder& operator=(const DragExportFolder&) = delete;
    ~DragExportFolder() { RemoveAll(); }

    // Exports the entry of node (inflated, or the stored bytes when Check1 is
    // ticked) into a new folder of its own under the node's text, with the
    // export command's name rules. The file's path, or "" when nothing was
    // written (the reason has been shown).
    std::string Export(Program& program, NodeId node);
    // Removes every exported file and the folder itself.
    void RemoveAll();

private:
    std::string base_;  // created on first use
    int next_ = 0;
};

// Dropping the file at path onto node: for an entry node of an open archive,
// asks "用 FILE 替换 ENTRY？", selects the entry as a click would and replaces
// it as the replace command does. The window answers the replace command's
// file picker with path. True when the entry was replaced.
bool ReplaceEntryWithDroppedFile(Program& program, NodeId node, const std::string& path);

}  // namespace tessarin
