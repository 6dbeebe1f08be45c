#include "app/EntryDrag.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "extract/Export.h"
#include "replace/Replace.h"
#include "tree/TreeEvents.h"

namespace tessarin {

namespace {

// The node's text must stay one plain name on disk, as for the export command.
bool IsPlainName(const std::string& text) {
    const std::string native = TextToNative(text);
    if (native.empty() || native == "." || native == "..") return false;
    for (char c : native) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0') return false;
    }
    return true;
}

std::string LastPathPart(const std::string& path) {
    const auto cut = path.rfind(kNativeSeparator);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string DragExportFolder::Export(Program& program, NodeId node) {
    if (node < 0 || static_cast<std::size_t>(node) >= program.tree.Size()) return {};
    const TreeNode& n = program.tree.Node(node);
    const ARCFileCls* entry = FindEntryByKey(program.arc.ArcEntries, n.key);
    if (!IsEntryKey(n.key) || entry == nullptr) return {};
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox("档案没有成功打开，无法导出。", MsgIcon::Stop, kProgramTitle);
        return {};
    }
    if (!IsPlainName(n.text)) {
        program.ui.MsgBox("文件名可能写到所选目录之外，已拒绝导出：" + n.text + kCrLf + kCrLf + "KEY：" + n.key,
                          MsgIcon::Stop, kProgramTitle);
        return {};
    }
    std::error_code error;
    if (base_.empty()) {
        // A folder only this user can read, made with a unique name.
        std::string pattern = (std::filesystem::temp_directory_path(error) / "tessarin-drag-XXXXXX").string();
        if (error || ::mkdtemp(pattern.data()) == nullptr) {
            program.ui.MsgBox("无法创建临时目录，文件未导出。", MsgIcon::Stop, kProgramTitle);
            return {};
        }
        base_ = NativeToText(pattern);
    }
    // Each drag gets a folder of its own: a file the file manager may still be
    // copying is never written over.
    const std::string folder = base_ + kNativeSeparator + std::to_string(++next_);
    const ARCFileCls found = *entry;
    const std::string path = folder + kNativeSeparator + n.text;
    try {
        CreateDirectories(folder);
    } catch (const std::exception&) {
        program.ui.MsgBox("无法创建临时目录，文件未导出。", MsgIcon::Stop, kProgramTitle);
        return {};
    }
    if (!ExportEntryFile(program, found.ArcFileOFSET, found.ArcFileOrgSize, found.ArcFileZipSize, path)) return {};
    return path;
}

void DragExportFolder::RemoveAll() {
    if (base_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(TextToNative(base_), ignored);
    base_.clear();
}

bool ReplaceEntryWithDroppedFile(Program& program, NodeId node, const std::string& path) {
    if (node < 0 || static_cast<std::size_t>(node) >= program.tree.Size() || path.empty()) return false;
    const TreeNode& n = program.tree.Node(node);
    if (!IsEntryKey(n.key) || FindEntryByKey(program.arc.ArcEntries, n.key) == nullptr) return false;
    const std::string entryName = FullNameOfKey(n.key);
    if (!program.ui.AskYesNo("用 " + LastPathPart(path) + " 替换 " + entryName + "？", kProgramTitle)) return false;
    program.ui.TreeSelect(node);
    NodeClick(program, node);
    return ReaplceFile(program, program.ui.Handle());
}

}  // namespace tessarin
