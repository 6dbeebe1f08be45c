#include "extract/Export.h"

#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "core/MessageTexts.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "extract/OutputFile.h"

namespace tessarin {

namespace {

constexpr int kExportBar = 2;
constexpr int kRawExport = 1;  // Check1 ticked: save the stored bytes

constexpr const char* kExtSubPrompt = "选保存文件的目录";
constexpr const char* kExportDone = "资源文件导出完成。";
constexpr const char* kExportAllDone = "全部资源文件导出完成。";
constexpr const char* kEntryFailed = "导出文件时发生错误，KEY：";

std::string ExportAllPrompt() {
    return std::string("导出全部资源文件： ") + kCrLf + "请选择要保存的资源文件的目录";
}

void ShowFailure(Program& program, const std::string& lead, const std::string& path, const VbError& error) {
    program.ui.MsgBox(FileFailureText(lead, path, error), MsgIcon::Stop, kProgramTitle);
}

void ShowUnsafeName(Program& program, const std::string& name, const std::string& key) {
    program.ui.MsgBox("文件名可能写到所选目录之外，已拒绝导出：" + name + kCrLf + kCrLf + "KEY：" + key, MsgIcon::Stop,
                      kProgramTitle);
}

// One name that stays where it is put on disk and that this platform can create
// as it is (see NativeNameRefusal).
bool IsSafeComponent(std::string_view text) { return IsSafeNativeName(text); }

// The picked folder, ending in "/" so that names can be appended.
std::string FolderWithSeparator(const std::string& picked) {
    std::string folder = picked;
    if (folder.empty() || folder.back() != kNativeSeparator) {
        folder += kNativeSeparator;
    }
    return folder;
}

struct EntryPaths {
    std::string folder;  // ends in "/"
    std::string file;
};

// The folder and file of an entry below root (which ends in "/"): each
// "\"-separated archive folder becomes a nested folder. nullopt when any part
// of the name could lead outside root.
std::optional<EntryPaths> EntryPathsUnder(const std::string& root, const ARCFileCls& entry) {
    EntryPaths paths{root, {}};
    std::string_view folders = entry.ArcFilePath;
    while (!folders.empty()) {
        const auto cut = folders.find('\\');
        // A folder path ends in "\"; a last part without one is still a folder.
        const std::string_view part = folders.substr(0, cut);
        if (!IsSafeComponent(part)) {
            return std::nullopt;
        }
        paths.folder += part;
        paths.folder += kNativeSeparator;
        folders = cut == std::string_view::npos ? std::string_view() : folders.substr(cut + 1);
    }
    if (!IsSafeComponent(entry.ArcFileName)) {
        return std::nullopt;
    }
    paths.file = paths.folder + entry.ArcFileName;
    return paths;
}

// Reads the entry's stored bytes from the open archive.
std::optional<std::vector<std::uint8_t>> ReadStoredBytes(Program& program, std::int32_t offset,
                                                         std::int32_t storedSize, const std::string& outputPath) {
    const std::string lead = "读取归档中的资源数据时出错，文件未导出：";
    try {
        if (storedSize < 0) {
            throw VbError(vberr::InputPastEnd, "记录的存储大小无效 (" + std::to_string(storedSize) + ")");
        }
        if (offset < 0) {
            throw VbError(vberr::BadRecordNumber, "记录的数据位置无效 (" + std::to_string(offset) + ")");
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(storedSize));
        BinaryFile& archive = program.files.Get(program.arc.ArcFileNum);
        archive.Seek(offset);
        if (!bytes.empty()) {
            archive.ReadExact(bytes.data(), bytes.size());
        }
        return bytes;
    } catch (const VbError& error) {
        ShowFailure(program, lead, outputPath, error);
    } catch (const std::bad_alloc&) {
        ShowFailure(program, lead, outputPath, VbError(vberr::OutOfMemory, VbErrorDescription(vberr::OutOfMemory)));
    }
    return std::nullopt;
}

// Ends the export-all display however the run ends.
void RestoreWindow(Program& program, bool shown) {
    if (!shown) {
        return;
    }
    program.ui.SetMainEnabled(true);
    program.ui.SetProgressVisible(kExportBar, false);
}

// Exports entry number index (0-based) below root; messages for every failure.
// True when its file was written.
bool ExportOneOfAll(Program& program, const std::string& root, std::size_t index) {
    const ARCFileCls entry = program.arc.ArcEntries[index];
    const std::optional<EntryPaths> paths = EntryPathsUnder(root, entry);

    std::optional<VbError> folderError;
    if (paths) {
        try {
            CreateDirectories(paths->folder);
        } catch (const VbError& error) {
            folderError = error;
        }
    }
    program.ui.SetProgressValue(kExportBar, static_cast<int>(index) + 1);

    if (!paths) {
        ShowUnsafeName(program, entry.ArcFilePath + entry.ArcFileName, entry.ArcFileKey);
        return false;
    }
    bool done = false;
    if (folderError) {
        ShowFailure(program, "无法创建目录，文件未导出：", paths->folder, *folderError);
    } else {
        done = ExportEntryFile(program, entry.ArcFileOFSET, entry.ArcFileOrgSize, entry.ArcFileZipSize, paths->file);
    }
    if (!done) {
        program.ui.MsgBox(kEntryFailed + entry.ArcFileKey, MsgIcon::Stop, kProgramTitle);
    }
    return done;
}

}  // namespace

bool ExportEntryFile(Program& program, std::int32_t offset, std::int32_t uncompressedSize, std::int32_t storedSize,
                     const std::string& outputPath) {
    const auto stored = ReadStoredBytes(program, offset, storedSize, outputPath);
    if (!stored) {
        return false;
    }
    if (program.ui.Check1Value() == kRawExport) {
        return WriteOutputFile(program.ui, outputPath, stored->data(), stored->size());
    }
    static const std::uint8_t kNoData = 0;
    const std::uint8_t* data = stored->empty() ? &kNoData : stored->data();
    return UnzipToFile(program.ui, data, storedSize, uncompressedSize, outputPath);
}

bool ExtSub(Program& program, WindowHandle hwnd) {
    const TreeNode* node = program.SelectedNode();
    if (node == nullptr) {
        return false;
    }
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox("档案没有成功打开，无法导出。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    const std::string picked = program.ui.BrowseForFolder(hwnd, kExtSubPrompt, "", BIF_NEWDIALOGSTYLE);
    if (picked.empty()) {
        return false;
    }
    // The file goes straight into the folder under the node's text, which
    // must therefore be one plain name.
    if (!IsSafeComponent(node->text)) {
        ShowUnsafeName(program, node->text, node->key);
        return false;
    }
    const std::string outputPath = FolderWithSeparator(picked) + node->text;

    const ARCFileCls* entry = FindEntryByKey(program.arc.ArcEntries, node->key);
    if (entry == nullptr) {
        return false;  // the node has no record; the commands are only offered for entry nodes
    }
    const ARCFileCls found = *entry;

    // A file already at the output path is replaced only once the new one is
    // whole: a failed export leaves it as it was.
    if (!ExportEntryFile(program, found.ArcFileOFSET, found.ArcFileOrgSize, found.ArcFileZipSize, outputPath)) {
        return false;
    }
    program.ui.MsgBox(kExportDone, MsgIcon::Information, kProgramTitle);
    return true;
}

bool ExportAllEntries(Program& program) {
    IMainWindow& ui = program.ui;
    const std::string picked = ui.BrowseForFolder(ui.Handle(), ExportAllPrompt(), "", BIF_NEWDIALOGSTYLE);
    if (picked.empty()) {
        return false;
    }
    const std::string root = FolderWithSeparator(picked);
    const std::size_t count = program.arc.ArcEntries.size();

    // With no entries the progress range would be empty: go straight to the end.
    const bool shown = count > 0;
    bool allWritten = true;
    try {
        if (shown) {
            ui.SetProgressVisible(kExportBar, true);
            ui.SetProgressValue(kExportBar, 0);
            ui.SetProgressMin(kExportBar, 0);
            ui.SetProgressMax(kExportBar, static_cast<int>(count));
            ui.SetMainEnabled(false);
        }
        for (std::size_t i = 0; i < count && i < program.arc.ArcEntries.size(); ++i) {
            ui.DoEvents();
            if (program.ending) {
                break;
            }
            try {
                allWritten = ExportOneOfAll(program, root, i) && allWritten;
            } catch (const std::exception&) {
                allWritten = false;
                // Anything unforeseen costs this entry only, never the run.
                ui.MsgBox(kEntryFailed + program.arc.ArcEntries[i].ArcFileKey, MsgIcon::Stop, kProgramTitle);
            }
        }
    } catch (...) {
        RestoreWindow(program, shown);
        throw;
    }
    RestoreWindow(program, shown);
    if (program.ending) {
        return false;
    }
    ui.MsgBox(kExportAllDone, MsgIcon::Information, kProgramTitle);
    return allWritten;
}

}  // namespace tessarin
