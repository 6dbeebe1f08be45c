#include "app/TreeUpdate.h"

#include <algorithm>

#include "app/TreeEvents.h"
#include "core/ArcState.h"
#include "tree/TreeBuilder.h"
#include "tree/TreeEdit.h"

namespace tessarin {

namespace {

// A local change, told to the window as one edit however it ends.
class TreeEdit {
public:
    explicit TreeEdit(IMainWindow& ui) : ui_(ui) { ui_.TreeBeginEdit(); }
    ~TreeEdit() { ui_.TreeEndEdit(); }
    TreeEdit(const TreeEdit&) = delete;
    TreeEdit& operator=(const TreeEdit&) = delete;

private:
    IMainWindow& ui_;
};

void ShowEntryCount(Program& program) {
    program.ui.SetPanelText(1, "发现 " + std::to_string(program.arc.ArcEntries.size()) + " 个对象");
}

}  // namespace

std::vector<std::string> ExpandedKeys(const Program& program) {
    std::vector<std::string> keys;
    for (const NodeId node : program.ui.TreeExpandedNodes())
        if (program.tree.Alive(node)) keys.push_back(program.tree.Node(node).key);
    return keys;
}

void RebuildTree(Program& program, const std::vector<std::string>& expandedKeys) {
    IMainWindow& ui = program.ui;
    ui.TreeBeginReset();
    program.tree.Clear();
    const NodeId root = program.tree.AddRoot(kRootKey, program.arc.OpenArcPath, kImageArchive);
    for (const ARCFileCls& entry : program.arc.ArcEntries) {
        try {
            AddItemNodes(program.tree, FullNameOfKey(entry.ArcFileKey), kRootKey, entry.ArcFileTypeHex,
                         entry.ArcFileName);
        } catch (...) {
            // The edits refuse keys already there; a node the tree refuses is left out.
        }
    }
    ui.TreeEndReset();
    ui.TreeExpand(root);
    for (const std::string& key : expandedKeys) {
        const NodeId node = program.tree.Find(key);
        if (node != kNoNode && node != root) ui.TreeExpand(node);
    }
    ShowEntryCount(program);
}

void SelectInTree(Program& program, std::string key) {
    const NodeId root = program.tree.Root();
    NodeId node = program.tree.Find(key);
    while (node == kNoNode && !key.empty()) {
        // The parent folder: the key up to the "\" before its last part.
        const std::string trimmed = key.back() == '\\' ? key.substr(0, key.size() - 1) : key;
        const auto slash = trimmed.rfind('\\');
        key = slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
        node = key.empty() ? root : program.tree.Find(key);
    }
    if (node == kNoNode) node = root;
    program.ui.TreeSelect(node);
    program.ui.TreeEnsureVisible(node);
    NodeClick(program, node);
}

void RemoveFromTree(Program& program, const std::vector<NodeId>& nodes) {
    // Everything gone: the tree is the root alone, built anew at once rather
    // than taken apart row by row.
    const NodeId root = program.tree.Root();
    if (program.arc.ArcEntries.empty() || std::find(nodes.begin(), nodes.end(), root) != nodes.end()) {
        RebuildTree(program, {});
        return;
    }
    {
        const TreeEdit edit(program.ui);
        // One node after another with the folders it leaves empty; a node
        // already gone with a folder above it is passed over.
        for (const NodeId node : nodes) {
            if (!program.tree.Alive(node)) continue;
            const NodeId top = RemovalTop(program.tree, node);
            program.ui.TreeBeginRemove(top);
            program.tree.RemoveSubtree(top);
            program.ui.TreeEndRemove();
        }
    }
    ShowEntryCount(program);
}

bool RenameEntryInTree(Program& program, NodeId node, const std::string& newKey) {
    const ARCFileCls* record = FindEntryByKey(program.arc.ArcEntries, newKey);
    const std::string& oldKey = program.tree.Node(node).key;
    if (record == nullptr || FolderPathOf(FullNameOfKey(newKey)) != FolderPathOf(FullNameOfKey(oldKey))) return false;
    if (newKey != oldKey && program.tree.Find(newKey) != kNoNode) return false;
    const TreeEdit edit(program.ui);
    program.tree.Rekey(node, newKey, record->ArcFileName);
    program.ui.TreeNodeChanged(node);
    ShowEntryCount(program);
    return true;
}

bool RenameFolderInTree(Program& program, NodeId folder, const std::string& newName) {
    const TreeEdit edit(program.ui);
    if (!RenameFolderNodes(program.tree, folder, newName)) return false;
    program.ui.TreeNodeChanged(folder);
    ShowEntryCount(program);
    return true;
}

bool AddLastEntriesToTree(Program& program, std::size_t count) {
    // Thousands of rows are shown sooner by one new tree than one by one.
    constexpr std::size_t kMostAddedInPlace = 1000;
    if (count > kMostAddedInPlace) return false;
    const ArcEntryList& entries = program.arc.ArcEntries;
    bool all = true;
    {
        const TreeEdit edit(program.ui);
        for (std::size_t i = entries.size() - std::min(count, entries.size()); i < entries.size(); ++i) {
            const ARCFileCls& entry = entries[i];
            const std::string fullName = FullNameOfKey(entry.ArcFileKey);
            program.ui.TreeBeginInsert(InsertionParent(program.tree, fullName));
            try {
                AddItemNodes(program.tree, fullName, kRootKey, entry.ArcFileTypeHex, entry.ArcFileName);
            } catch (...) {
                all = false;
            }
            program.ui.TreeEndInsert();
        }
    }
    ShowEntryCount(program);
    return all;
}

}  // namespace tessarin
