#include "app/EditCommands.h"

#include <algorithm>

#include "app/TreeEvents.h"
#include "core/ArcState.h"
#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "edit/CreateArchive.h"
#include "edit/EditEntries.h"
#include "edit/FileEntries.h"
#include "replace/UndoCopy.h"
#include "tree/TreeBuilder.h"

namespace tessarin {

namespace {

// Long work with the stop control and the window disabled, however it ends.
struct LongWork {
    IMainWindow& ui;
    explicit LongWork(IMainWindow& window) : ui(window) {
        ui.BeginLongWork();
        ui.SetMainEnabled(false);
    }
    ~LongWork() {
        ui.SetMainEnabled(true);
        ui.EndLongWork();
    }
};

// The tree built again from the records, as an open builds it; then the node
// with selectKey, or the nearest of its parents still there, is selected.
void RebuildTree(Program& program, std::string selectKey) {
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
    ui.SetPanelText(1, "发现 " + std::to_string(program.arc.ArcEntries.size()) + " 个对象");
    NodeId node = program.tree.Find(selectKey);
    while (node == kNoNode && !selectKey.empty()) {
        // The parent folder: the key up to the "\" before its last part.
        const std::string trimmed = selectKey.back() == '\\' ? selectKey.substr(0, selectKey.size() - 1) : selectKey;
        const auto slash = trimmed.rfind('\\');
        selectKey = slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
        node = selectKey.empty() ? root : program.tree.Find(selectKey);
    }
    if (node == kNoNode) node = root;
    ui.TreeSelect(node);
    ui.TreeEnsureVisible(node);
    NodeClick(program, node);
}

// The key of the node that takes the selection when node goes: the next
// sibling, else the one before, else the parent.
std::string NeighbourKey(const Program& program, NodeId node) {
    const TreeNode& n = program.tree.Node(node);
    if (n.parent == kNoNode) return kRootKey;
    const auto& siblings = program.tree.Node(n.parent).children;
    const auto at = std::find(siblings.begin(), siblings.end(), node);
    if (at != siblings.end() && at + 1 != siblings.end()) return program.tree.Node(*(at + 1)).key;
    if (at != siblings.begin()) return program.tree.Node(*(at - 1)).key;
    return program.tree.Node(n.parent).key;
}

// The archive folder a node stands for: "" for the root, a folder node's key,
// an entry's folder path.
std::string FolderOf(const Program& program, NodeId node) {
    const std::string& key = program.tree.Node(node).key;
    if (key == kRootKey) return {};
    return IsEntryKey(key) ? FolderPathOf(FullNameOfKey(key)) : key;
}

bool ArchiveReady(Program& program) {
    if (program.ArchiveIsOpen() && program.SelectedNode() != nullptr) return true;
    if (!program.ArchiveIsOpen()) program.ui.MsgBox("档案没有成功打开，无法修改。", MsgIcon::Stop, kProgramTitle);
    return false;
}

}  // namespace

std::vector<std::string> EntryKeysBelow(const Program& program, NodeId node) {
    const std::string& key = program.tree.Node(node).key;
    if (IsEntryKey(key)) return {key};
    const std::string folder = key == kRootKey ? std::string() : key;
    std::vector<std::string> keys;
    for (const ARCFileCls& entry : program.arc.ArcEntries)
        if (entry.ArcFileKey.compare(0, folder.size(), folder) == 0) keys.push_back(entry.ArcFileKey);
    return keys;
}

bool DeleteSelected(Program& program) {
    if (!ArchiveReady(program)) return false;
    const NodeId node = program.ui.TreeSelected();
    const std::vector<std::string> keys = EntryKeysBelow(program, node);
    if (keys.empty()) return false;
    if (!program.ui.AskYesNo("删除 " + std::to_string(keys.size()) + " 个对象？", kProgramTitle)) return false;
    const std::string neighbour = NeighbourKey(program, node);
    {
        LongWork work(program.ui);
        if (!DeleteEntries(program, keys)) return false;
    }
    RebuildTree(program, neighbour);
    program.ui.SetPanelText(2, "已删除 " + std::to_string(keys.size()) + " 个对象");
    return true;
}

bool RenameSelected(Program& program, const std::string& newText) {
    if (!ArchiveReady(program)) return false;
    const NodeId node = program.ui.TreeSelected();
    const std::string key = program.tree.Node(node).key;
    if (key == kRootKey) return false;
    std::vector<std::pair<std::string, std::string>> renames;
    std::string selectKey;
    if (IsEntryKey(key)) {
        // The typed name as a file name: base name and type, by a new archive's rules.
        std::string refusal;
        const auto entry = EntryOfFile(newText, program.ExtTypes, ExtTypeIndex(program.ExtTypes), refusal);
        if (!entry) {
            program.ui.MsgBox(refusal + "：" + newText, MsgIcon::Warning, kProgramTitle);
            return false;
        }
        selectKey = FolderPathOf(FullNameOfKey(key)) + entry->record.ArcFileKey;
        renames.emplace_back(key, selectKey);
    } else {
        if (newText.empty() || newText.find('\\') != std::string::npos) {
            program.ui.MsgBox("文件夹名称不能为空，也不能含有“\\”：" + newText, MsgIcon::Warning, kProgramTitle);
            return false;
        }
        const std::string parent = FolderPathOf(key.substr(0, key.size() - 1));
        selectKey = parent + newText + "\\";
        for (const std::string& old : EntryKeysBelow(program, node))
            renames.emplace_back(old, selectKey + old.substr(key.size()));
    }
    {
        LongWork work(program.ui);
        if (!RenameEntries(program, renames)) return false;
    }
    RebuildTree(program, selectKey);
    return true;
}

bool AddFilesToSelected(Program& program, const std::vector<std::string>& paths) {
    return AddFilesToNode(program, program.ui.TreeSelected(), paths);
}

bool AddFilesToNode(Program& program, NodeId target, const std::vector<std::string>& paths) {
    if (target < 0 || static_cast<std::size_t>(target) >= program.tree.Size()) return false;
    if (!ArchiveReady(program) || paths.empty()) return false;
    const std::string folder = FolderOf(program, target);
    const ExtTypeIndex types(program.ExtTypes);
    std::vector<std::pair<std::string, std::string>> additions;
    for (const std::string& path : paths) {
        const std::string name = path.substr(ParentFolder(path).size() + (ParentFolder(path).empty() ? 0 : 1));
        std::string refusal;
        const auto entry = EntryOfFile(name, program.ExtTypes, types, refusal);
        if (!entry) {
            program.ui.MsgBox(refusal + "：" + path, MsgIcon::Warning, kProgramTitle);
            return false;
        }
        additions.emplace_back(folder + entry->record.ArcFileKey, path);
    }
    {
        LongWork work(program.ui);
        if (!AddEntries(program, additions)) return false;
    }
    RebuildTree(program, additions.back().first);
    program.ui.SetPanelText(2, "已添加 " + std::to_string(additions.size()) + " 个对象");
    return true;
}

bool UndoLastChange(Program& program) {
    if (!program.ArchiveIsOpen() || program.undo.fileNum == 0) return false;
    const std::string what = program.undo.what;
    const TreeNode* selected = program.SelectedNode();
    const std::string selectKey = selected == nullptr ? std::string(kRootKey) : selected->key;
    if (!PutBackUndoCopy(program)) return false;
    RebuildTree(program, selectKey);
    program.ui.SetPanelText(1, "已撤销：" + what);
    return true;
}

bool CreateArchiveFromFolder(Program& program, const std::string& folder, const std::string& archivePath) {
    CreatePlan plan;
    {
        LongWork work(program.ui);
        if (!PlanCreate(program, folder, plan) || !WriteNewArchive(program, plan, archivePath)) return false;
    }
    if (!plan.skipped.empty()) {
        std::string text = "以下不是普通文件，已跳过：";
        for (std::size_t i = 0; i < plan.skipped.size() && i < 20; ++i) text += std::string(kCrLf) + plan.skipped[i];
        program.ui.MsgBox(text, MsgIcon::Information, kProgramTitle);
    }
    return true;
}

}  // namespace tessarin
