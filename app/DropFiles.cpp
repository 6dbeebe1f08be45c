#include "app/DropFiles.h"

namespace tessarin {

DropAction DropActionFor(const Program& program, NodeId node, std::size_t fileCount) {
    if (fileCount == 0) return DropAction::None;
    const bool onNode = node >= 0 && static_cast<std::size_t>(node) < program.tree.Size();
    if (onNode && program.ArchiveIsOpen()) {
        const bool ontoEntry = IsEntryKey(program.tree.Node(node).key);
        return ontoEntry && fileCount == 1 ? DropAction::ReplaceEntry : DropAction::AddToFolder;
    }
    return fileCount == 1 ? DropAction::OpenArchive : DropAction::None;
}

}  // namespace tessarin
