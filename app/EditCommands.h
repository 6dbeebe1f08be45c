#pragma once
// The window's editing commands on the tree's selected node: delete, rename in
// place and add files into a folder. Each is one rewrite run as long work the
// user can stop; the tree then changes where the edit changed it (expanded
// folders stay expanded), the selection on a neighbour or the renamed node.
#include <string>
#include <utility>
#include <vector>

#include "state/Program.h"

namespace tessarin {

// The keys of the entries a node stands for: an entry node its own, a folder
// node (or the root) every entry below it, in directory order.
std::vector<std::string> EntryKeysBelow(const Program& program, NodeId node);

// 删除: asks "删除 N 个对象？" and deletes the selected node's entries.
bool DeleteSelected(Program& program);

// What renaming node to newText asks for: (old key, new key) of every entry it
// renames and the key to select afterwards, or why it is refused, checked as
// the rewrite will check it (so the name can be corrected before anything runs).
struct RenamePlan {
    std::vector<std::pair<std::string, std::string>> renames;
    std::string selectKey;
    std::string refusal;  // "" when the rename can go ahead
};
RenamePlan PlanRename(const Program& program, NodeId node, const std::string& newText);

// 重命名: newText is what the user typed over the node's text (the same text
// changes nothing). An entry node
// takes it as base name, ".", type name or hexadecimal code; a folder node as
// the folder's new name, given to every entry below it.
bool RenameSelected(Program& program, const std::string& newText);

// 添加文件: the files (paths the picker gave) become entries in the selected
// folder (an entry node: its folder), named by the rules of a new archive.
bool AddFilesToSelected(Program& program, const std::vector<std::string>& paths);
// The same into the folder target stands for (files dropped onto a node).
bool AddFilesToNode(Program& program, NodeId target, const std::vector<std::string>& paths);

// 撤销: the archive as it was before the window's last change, once; the
// tree rebuilt with the same folders expanded and status panel 1 saying what
// was undone.
bool UndoLastChange(Program& program);

// 新建档案: a new archive at archivePath from folder (laid out as an inflated
// export writes it), as long work. Links in it are skipped and named after.
bool CreateArchiveFromFolder(Program& program, const std::string& folder, const std::string& archivePath);

}  // namespace tessarin
