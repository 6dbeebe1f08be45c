#include "app/EntryDrag.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "extract/Export.h"
#include "app/ExportCommands.h"
#include "app/TreeEvents.h"

namespace tessarin {

namespace {

std::string LastPathPart(const std::string& path) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsNativeSeparator(path[cut - 1])) --cut;
    return path.substr(cut);
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
    // The node's text must stay one plain name on disk, as for the export command.
    if (!IsSafeNativeName(n.text)) {
        program.ui.MsgBox("文件名可能写到所选目录之外，已拒绝导出：" + n.text + kCrLf + kCrLf + "KEY：" + n.key,
                          MsgIcon::Stop, kProgramTitle);
        return {};
    }
    if (base_.empty()) {
        // A new folder of the system's temporary folder, only for this user.
        std::error_code error;
        const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; !error && base_.empty() && attempt < 100; ++attempt) {
            const std::filesystem::path candidate = temp / ("tessarin-drag-" + std::to_string(random()));
            std::error_code made;
            if (std::filesystem::create_directory(candidate, made)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, made);
                base_ = PathText(candidate);
            }
        }
        if (base_.empty()) {
            program.ui.MsgBox("无法创建临时目录，文件未导出。", MsgIcon::Stop, kProgramTitle);
            return {};
        }
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
    // Check1 counts here as for 导出: the stored bytes when ticked.
    const bool raw = program.ui.Check1Value() == 1;
    if (!ExportEntryFile(program, found.ArcFileOFSET, found.ArcFileOrgSize, found.ArcFileZipSize, path, raw)) return {};
    return path;
}

void DragExportFolder::RemoveAll() {
    if (base_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(NativePath(base_), ignored);
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
    return ReplaceFile(program, program.ui.Handle());
}

}  // namespace tessarin
