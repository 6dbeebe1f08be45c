#include "app/EditCommands.h"

#include <algorithm>
#include <unordered_set>

#include "app/TreeUpdate.h"
#include "core/ArcState.h"
#include "core/EntryNames.h"
#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "edit/CreateArchive.h"
#include "edit/EditEntries.h"
#include "edit/FileEntries.h"
#include "replace/UndoCopy.h"
#include "state/LongWork.h"
#include "tree/TreeEdit.h"

namespace tessarin {

namespace {

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
    // Every selected node's entries, once each (an entry inside a selected
    // folder goes with it), in directory order.
    std::vector<NodeId> nodes = program.ui.TreeSelection();
    std::unordered_set<std::string> chosen;
    for (const NodeId node : nodes)
        for (std::string& key : EntryKeysBelow(program, node)) chosen.insert(std::move(key));
    DeleteRequest request;
    std::vector<std::string>& keys = request.keys;
    for (const ARCFileCls& entry : program.arc.ArcEntries)
        if (chosen.count(entry.ArcFileKey) != 0) keys.push_back(entry.ArcFileKey);
    if (keys.empty()) return false;
    if (!program.ui.AskYesNo("删除 " + std::to_string(keys.size()) + " 个对象？", kProgramTitle)) return false;
    const std::string neighbour = NeighbourKey(program.tree, program.ui.TreeSelected(), chosen);
    if (!DeleteEntries(program, request)) return false;
    RemoveFromTree(program, nodes);
    SelectInTree(program, neighbour);
    program.ui.SetPanelText(1, "已删除 " + std::to_string(keys.size()) + " 个对象");
    return true;
}

RenamePlan PlanRename(const Program& program, NodeId node, const std::string& newText) {
    RenamePlan plan;
    const std::string& key = program.tree.Node(node).key;
    if (IsEntryKey(key)) {
        // The typed name as a file name: base name and type, by a new archive's rules.
        std::string refusal;
        const auto entry = EntryOfFile(newText, program.ExtTypes, ExtTypeIndex(program.ExtTypes), refusal);
        if (!entry) {
            plan.refusal = refusal + "：" + newText;
            return plan;
        }
        plan.selectKey = FolderPathOf(FullNameOfKey(key)) + entry->key;
        plan.renames.emplace_back(key, plan.selectKey);
    } else {
        if (newText.empty() || newText.find('\\') != std::string::npos) {
            plan.refusal = "文件夹名称不能为空，也不能含有“\\”：" + newText;
            return plan;
        }
        plan.selectKey = FolderPathOf(key.substr(0, key.size() - 1)) + newText + "\\";
        for (const std::string& old : EntryKeysBelow(program, node))
            plan.renames.emplace_back(old, plan.selectKey + old.substr(key.size()));
    }
    // Each new name as the rewrite checks it: the whole name, and no entry left
    // in place under it.
    std::unordered_set<std::string> renamed;
    for (const auto& rename : plan.renames) renamed.insert(rename.first);
    for (const auto& [old, now] : plan.renames) {
        if (std::string refusal = NewNameRefusal(FullNameOfKey(now)); !refusal.empty()) {
            plan.refusal = refusal + "：" + FullNameOfKey(now);
            return plan;
        }
        if (renamed.count(now) == 0 && FindEntryByKey(program.arc.ArcEntries, now) != nullptr) {
            plan.refusal = "档案中已有这个条目：" + now;
            return plan;
        }
    }
    return plan;
}

bool RenameSelected(Program& program, const std::string& newText) {
    if (!ArchiveReady(program)) return false;
    const NodeId node = program.ui.TreeSelected();
    const std::string key = program.tree.Node(node).key;
    // The root has no name of its own; the same text again changes nothing.
    if (key == kRootKey || newText == program.tree.Node(node).text) return false;
    RenamePlan plan = PlanRename(program, node, newText);
    if (!plan.refusal.empty()) {
        program.ui.MsgBox(plan.refusal, MsgIcon::Warning, kProgramTitle);
        return false;
    }
    const RenameRequest request{std::move(plan.renames)};
    const std::string& selectKey = plan.selectKey;
    const std::vector<std::string> expanded = ExpandedKeys(program);
    if (!RenameEntries(program, request)) return false;
    const bool local = IsEntryKey(key) ? RenameEntryInTree(program, node, selectKey)
                                       : RenameFolderInTree(program, node, newText);
    if (!local) {
        // Into another folder, or merged with one already there: built again,
        // what was expanded below the old name expanded below the new one.
        std::vector<std::string> keep;
        for (const std::string& k : expanded)
            keep.push_back(k.compare(0, key.size(), key) == 0 ? selectKey + k.substr(key.size()) : k);
        RebuildTree(program, keep);
    }
    SelectInTree(program, selectKey);
    program.ui.SetPanelText(1, "已重命名 " + std::to_string(request.renames.size()) + " 个对象");
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
    AddRequest request;
    std::vector<std::pair<std::string, std::string>>& additions = request.additions;
    for (const std::string& path : paths) {
        const std::string name = path.substr(ParentFolder(path).size() + (ParentFolder(path).empty() ? 0 : 1));
        std::string refusal;
        const auto entry = EntryOfFile(name, program.ExtTypes, types, refusal);
        if (!entry) {
            program.ui.MsgBox(refusal + "：" + path, MsgIcon::Warning, kProgramTitle);
            return false;
        }
        additions.emplace_back(folder + entry->key, path);
    }
    const std::vector<std::string> expanded = ExpandedKeys(program);
    if (!AddEntries(program, request)) return false;
    if (!AddLastEntriesToTree(program, additions.size())) RebuildTree(program, expanded);
    SelectInTree(program, program.arc.ArcEntries.back().ArcFileKey);
    program.ui.SetPanelText(1, "已添加 " + std::to_string(additions.size()) + " 个对象");
    return true;
}

bool UndoLastChange(Program& program) {
    if (!program.ArchiveIsOpen() || program.undo.fileNum == 0) return false;
    const std::string what = program.undo.what;
    const TreeNode* selected = program.SelectedNode();
    const std::string selectKey = selected == nullptr ? std::string(kRootKey) : selected->key;
    const std::vector<std::string> expanded = ExpandedKeys(program);
    if (!PutBackUndoCopy(program)) return false;
    RebuildTree(program, expanded);
    SelectInTree(program, selectKey);
    program.ui.SetPanelText(1, "已撤销：" + what);
    return true;
}

bool CreateArchiveFromFolder(Program& program, const std::string& folder, const std::string& archivePath) {
    CreatePlan plan;
    {
        LongWork walk(program, "正在读取文件夹");
        if (!PlanCreate(program, folder, plan)) return false;
        // A stop asked for while the folder was read: nothing is written.
        if (walk.Poll()) return false;
    }
    // The writing is long work of its own, its progress by the sources' bytes.
    if (!WriteNewArchive(program, plan, archivePath)) return false;
    if (!plan.skipped.empty()) {
        std::string text = "以下不是普通文件，已跳过：";
        for (std::size_t i = 0; i < plan.skipped.size() && i < 20; ++i) text += std::string(kCrLf) + plan.skipped[i];
        program.ui.MsgBox(text, MsgIcon::Information, kProgramTitle);
    }
    return true;
}

}  // namespace tessarin
