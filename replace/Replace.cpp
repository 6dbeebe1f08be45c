#include "replace/Replace.h"

#include <climits>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "core/ArcFormat.h"
#include "core/ArcState.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "replace/ArcWriter.h"

namespace tessarin {

namespace {

constexpr const char* kSourceFilter = "所有文件 *.*|*.*";
constexpr const char* kDoneText = "替换完成。";
constexpr std::size_t kMaxListedProblems = 10;

std::string NodeText(const Program& program) {
    const TreeNode* node = program.SelectedNode();
    return node == nullptr ? std::string() : node->text;
}

// Reads the whole source file through a file number of its own, locked like the
// archive. Refuses, with a message, what cannot be read or cannot be stored.
bool ReadSource(Program& program, const std::string& path, std::vector<std::uint8_t>& bytes) {
    const std::int16_t number = program.files.FreeFile();
    try {
        BinaryFile& source = program.files.Open(number, path, OpenMode::ReadLocked);
        const std::int64_t length = source.Length();
        if (length >= kOrgSizeBias) {
            program.files.Close(number);
            program.ui.MsgBox(std::string("替换文件太大，无法存入档案：") + kCrLf + path + kCrLf + kCrLf +
                                  "文件大小必须小于 1,073,741,824 字节。",
                              MsgIcon::Warning, kProgramTitle);
            return false;
        }
        bytes.resize(static_cast<std::size_t>(length));
        source.ReadExact(bytes.data(), bytes.size());
        program.files.Close(number);
        return true;
    } catch (const VbError& error) {
        program.files.Close(number);
        program.ui.MsgBox(FileFailureText("无法读取替换文件：", path, error), MsgIcon::Stop, kProgramTitle);
    } catch (const std::bad_alloc&) {
        program.files.Close(number);
        program.ui.MsgBox(FileFailureText("无法读取替换文件：", path, VbError(vberr::OutOfMemory)), MsgIcon::Stop,
                          kProgramTitle);
    }
    bytes.clear();
    return false;
}

void ShowLayoutRefusal(Program& program, const std::vector<LayoutProblem>& problems) {
    std::string text = "档案的数据布局不符合替换的要求，档案未作改动：";
    text += kCrLf;
    for (std::size_t i = 0; i < problems.size() && i < kMaxListedProblems; ++i) {
        text += kCrLf;
        text += problems[i].text;
    }
    if (problems.size() > kMaxListedProblems)
        text += std::string(kCrLf) + "……（共 " + std::to_string(problems.size()) + " 处）";
    program.ui.MsgBox(text, MsgIcon::Warning, kProgramTitle);
}

// The records as they will be after the replacement.
ArcEntryList ReplacedRecords(const ArcEntryList& entries, std::size_t index, std::int32_t zippedSize,
                             std::int32_t originalSize, std::int64_t delta, bool& offsetsFit) {
    ArcEntryList updated = entries;
    offsetsFit = true;
    updated[index].ArcFileZipSize = zippedSize;
    updated[index].ArcFileOrgSize = originalSize;
    for (std::size_t i = index + 1; i < updated.size(); ++i) {
        const std::int64_t offset = updated[i].ArcFileOFSET + delta;
        if (offset > std::numeric_limits<std::int32_t>::max()) offsetsFit = false;
        updated[i].ArcFileOFSET = static_cast<std::int32_t>(offset);
    }
    return updated;
}

// Writes the whole new archive into out: header, directory, gap, the data before
// the entry, its new data, the data after it. Throws VbError.
void WriteReplacedArchive(BinaryFile& oldArchive, const ArcEntryList& oldEntries, std::size_t index,
                          const ArcEntryList& newEntries, const std::vector<std::uint8_t>& zipped, BinaryFile& out) {
    const ARCFileCls& first = oldEntries.front();
    const ARCFileCls& entry = oldEntries[index];
    const std::int64_t entryEnd = static_cast<std::int64_t>(entry.ArcFileOFSET) + entry.ArcFileZipSize;
    const std::int64_t oldLength = oldArchive.Length();

    WriteArcHead(out, newEntries);
    CopyFileRange(oldArchive, first.ArcFileOFSET, static_cast<std::int64_t>(entry.ArcFileOFSET) - first.ArcFileOFSET,
                  out);
    if (!zipped.empty()) out.Write(zipped.data(), zipped.size());
    CopyFileRange(oldArchive, entryEnd, oldLength - entryEnd, out);
    out.Sync();
}

}  // namespace

bool ReaplceFile(Program& program, WindowHandle hwnd) {
    const TreeNode* node = program.SelectedNode();
    if (node == nullptr) return false;
    const std::string key = node->key;
    // The root and the folders hold no entry: the archive is left alone.
    if (!IsEntryKey(key)) return false;

    const auto dot = key.rfind('.');
    if (dot == std::string::npos) return false;
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox("档案没有成功打开，无法替换。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    if (!ReplaceEntry(program, key.substr(0, dot), key.substr(dot + 1), hwnd)) return false;
    program.ui.MsgBox(kDoneText, MsgIcon::Information, kProgramTitle);
    return true;
}

bool ReplaceEntry(Program& program, const std::string& name, const std::string& typeHex, WindowHandle hwnd) {
    IMainWindow& ui = program.ui;
    ArcState& arc = program.arc;

    std::string sourcePath = ui.ShowOpenDialog(hwnd, kSourceFilter, "替换" + NodeText(program) + ":");
    if (sourcePath.empty()) return false;
    if (const auto nul = sourcePath.find('\0'); nul != std::string::npos) sourcePath.resize(nul);
    if (sourcePath.empty()) return false;

    std::vector<std::uint8_t> source;
    if (!ReadSource(program, sourcePath, source)) return false;
    const auto sourceSize = static_cast<std::int32_t>(source.size());
    if (!ZipBytes(ui, program.zip, source.data(), sourceSize)) return false;
    std::vector<std::uint8_t>().swap(source);  // only the deflated copy is needed from here on

    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < arc.ArcEntries.size() && !found; ++i) {
        const ARCFileCls& entry = arc.ArcEntries[i];
        if (FullNameOfKey(entry.ArcFileKey) == name && entry.ArcFileTypeHex == typeHex) found = i;
    }
    if (!found) return false;
    const std::size_t index = *found;

    // Nothing is written unless the whole archive can be rewritten over itself.
    std::int64_t oldLength = 0;
    try {
        oldLength = program.files.Get(arc.ArcFileNum).Length();
    } catch (const VbError& error) {
        ui.MsgBox(FileFailureText("无法读取档案：", arc.OpenArcPath, error), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    if (const auto problems = FindLayoutProblems(arc.ArcEntries, oldLength); !problems.empty()) {
        ShowLayoutRefusal(program, problems);
        return false;
    }
    // The archive is replaced by a rename, which a read-only file would not stop.
    if (!IsWritableFile(arc.OpenArcPath)) {
        ui.MsgBox(std::string("档案文件是只读的，档案未作改动：") + kCrLf + arc.OpenArcPath, MsgIcon::Warning,
                  kProgramTitle);
        return false;
    }

    const std::int64_t delta =
        static_cast<std::int64_t>(program.zip.ZippedSize) - arc.ArcEntries[index].ArcFileZipSize;
    bool offsetsFit = true;
    const ArcEntryList updated =
        ReplacedRecords(arc.ArcEntries, index, program.zip.ZippedSize, sourceSize, delta, offsetsFit);
    if (!offsetsFit) {
        ui.MsgBox("替换后的数据偏移超出档案格式的范围（2,147,483,647 字节），档案未作改动。", MsgIcon::Warning,
                  kProgramTitle);
        return false;
    }

    // The new archive goes to a file beside the old one and replaces it in one
    // rename, so the old archive stays whole until the new one is on disk.
    // The archive's real location: replacing a link would leave its target unchanged.
    const std::string archivePath = ResolvedPath(arc.OpenArcPath);
    std::string tempPath;  // set once the new file exists
    std::int16_t tempNumber = 0;
    // Removes the unfinished new archive; the old one has not been touched.
    auto abandon = [&](const VbError& error) {
        if (tempNumber != 0) program.files.Close(tempNumber);
        if (!tempPath.empty()) TryDeleteFile(tempPath);
        ui.MsgBox(FileFailureText("写入新档案时出错，原档案未作改动：", arc.OpenArcPath, error), MsgIcon::Stop,
                  kProgramTitle);
        return false;
    };
    try {
        tempNumber = program.files.FreeFile();
        BinaryFile& out = program.files.Adopt(tempNumber, CreateTemporaryBeside(archivePath, tempPath));
        CopyPermissions(archivePath, tempPath);
        WriteReplacedArchive(program.files.Get(arc.ArcFileNum), arc.ArcEntries, index, updated,
                             program.zip.ZippedBytes, out);
        ReplaceOpenFile(tempPath, archivePath, program.files.Get(arc.ArcFileNum));
    } catch (const VbError& error) {
        // Only a failure to sync the folder comes after the rename: then the new
        // archive is already in place and the replacement stands.
        const bool renamed = tempNumber != 0 && program.files.IsOpen(tempNumber) && !FileExists(tempPath);
        if (!renamed) return abandon(error);
    } catch (const std::bad_alloc&) {
        return abandon(VbError(vberr::OutOfMemory));
    }

    // The file under tempNumber is now the archive, still locked: the old number
    // (the replaced file) can go without leaving the archive unlocked.
    program.files.Close(arc.ArcFileNum);
    arc.ArcFileNum = tempNumber;
    for (std::size_t i = index; i < arc.ArcEntries.size(); ++i) {
        arc.ArcEntries[i].ArcFileZipSize = updated[i].ArcFileZipSize;
        arc.ArcEntries[i].ArcFileOrgSize = updated[i].ArcFileOrgSize;
        arc.ArcEntries[i].ArcFileOFSET = updated[i].ArcFileOFSET;
    }
    return true;
}

}  // namespace tessarin
