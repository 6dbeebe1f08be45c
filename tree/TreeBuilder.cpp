#include "tree/TreeBuilder.h"

#include "core/platform/VbError.h"

namespace tessarin {

namespace {

// The tree control's classic errors, reported to the opening command.
constexpr int kKeyNotUnique = 35602;
constexpr int kElementNotFound = 35601;

// The entry's own node below parent; a refused node throws EntryNodeRefused.
void AddEntryNode(EntryTree& tree, NodeId parent, const std::string& spath, const std::string& ExtHex,
                  const std::string& filename) {
    std::string key;
    key.reserve(spath.size() + 1 + ExtHex.size());
    key.append(spath).append(".").append(ExtHex);
    if (parent == kNoNode) {
        throw EntryNodeRefused{std::move(key)};
    }
    try {
        tree.AddChild(parent, std::move(key), filename, kImageFile);
    } catch (DuplicateNodeKey& duplicate) {
        throw EntryNodeRefused{std::move(duplicate.key)};
    }
    tree.lastEntryParent = parent;
}

}  // namespace

void AddItemNodes(EntryTree& tree, const std::string& spath, const std::string& RootKey,
                  const std::string& ExtHex, const std::string& filename) {
    const std::size_t length = spath.size();
    const std::string_view path(spath);
    // Entries of one folder usually follow each other: when the last entry's
    // folder node is this entry's folder, it is the parent the walk below would
    // find (it exists and has a child), with no lookups.
    const std::size_t folderEnd = path.rfind('\\');
    const NodeId hint = tree.lastEntryParent;
    if (folderEnd != std::string_view::npos && hint != kNoNode && static_cast<std::size_t>(hint) < tree.Size() &&
        tree.Node(hint).key == path.substr(0, folderEnd + 1) && !tree.Node(hint).children.empty()) {
        AddEntryNode(tree, hint, spath, ExtHex, filename);
        return;
    }
    NodeId parent = tree.Find(RootKey);
    std::size_t nameStart = 0;  // first character of the current folder's name
    // Folder nodes are only ever added below their parent's node, so once one
    // prefix is missing the longer ones are missing too and need no lookup; the
    // tree's own duplicate check still catches anything else.
    bool lookUp = true;
    for (std::size_t i = 0; i < length; ++i) {
        if (spath[i] != '\\') {
            continue;
        }
        const std::string_view prefix = path.substr(0, i + 1);
        const std::size_t start = nameStart;
        nameStart = i + 1;
        if (lookUp) {
            // One lookup: the node is reused when it has children, as for a folder
            // that already holds something.
            const NodeId existing = tree.Find(prefix);
            if (existing != kNoNode && !tree.Node(existing).children.empty()) {
                parent = existing;
                continue;
            }
            lookUp = false;
        }
        if (parent == kNoNode) {
            throw VbError(kElementNotFound, "Element not found");
        }
        try {
            parent = tree.AddChild(parent, std::string(prefix), std::string(path.substr(start, i - start)),
                                   kImageFolder, kImageFolderOpen);
        } catch (const DuplicateNodeKey&) {
            const NodeId existing = tree.Find(prefix);
            if (tree.Node(existing).children.empty()) {
                throw VbError(kKeyNotUnique, "Key is not unique in collection");
            }
            parent = existing;
            lookUp = true;
        }
    }

    AddEntryNode(tree, parent, spath, ExtHex, filename);
}

}  // namespace tessarin
