#include "replace/UndoCopy.h"

#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "core/ArcReader.h"
#include "core/MessageTexts.h"
#include "core/platform/FileIdentity.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SecondName.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "replace/Replace.h"

namespace tessarin {

namespace {

// The path of name's hidden companion made by nameOf, in the same folder.
template <typename NameOf>
std::string Beside(const std::string& path, NameOf nameOf) {
    const std::string folder = ParentFolder(path);
    const std::string name = folder.empty() ? path : path.substr(folder.size() + 1);
    return folder.empty() ? nameOf(name) : folder + kNativeSeparator + nameOf(name);
}

}  // namespace

PendingUndo PrepareUndoCopy(const Program& program, const std::string& archivePath) {
    PendingUndo pending;
    if (!program.undo.kept) return pending;
    const std::string newPath = Beside(archivePath, [](const std::string& n) { return UndoNewName(n); });
    const std::string undoPath = Beside(archivePath, [](const std::string& n) { return UndoName(n); });
    // The rename onto the undo name could not replace a folder.
    if (DirectoryExists(undoPath)) throw UndoNameFailure{undoPath, VbError(vberr::FileAlreadyExists)};
    // One a killed run left: only a name, the archive holds the bytes.
    TryDeleteFile(newPath);
    try {
        pending.sameFile = AddSecondName(archivePath, newPath);
    } catch (const VbError& error) {
        throw UndoNameFailure{newPath, error};
    }
    pending.newPath = newPath;
    pending.undoPath = undoPath;
    return pending;
}

void AbandonUndoCopy(PendingUndo& pending) {
    if (!pending.newPath.empty()) TryDeleteFile(pending.newPath);
    pending = {};
}

void DropUndoCopy(Program& program) {
    UndoCopy& undo = program.undo;
    const bool held = undo.fileNum != 0 && program.files.IsOpen(undo.fileNum);
    // The name goes while this run still holds the file (so it is surely the
    // file kept here); its blocks are freed by the close, off the user's path.
    // Where an open file keeps its name until closed (Windows) it is closed first.
    std::error_code failed;
    if (kOpenFileLosesNameAtOnce && !undo.path.empty() && held &&
        std::filesystem::remove(NativePath(undo.path), failed)) {
        program.files.CloseInBackground(undo.fileNum);
    } else {
        if (held) program.files.Close(undo.fileNum);
        if (!undo.path.empty()) TryDeleteFile(undo.path);
    }
    undo.Forget();
}

void KeepUndoCopy(Program& program, PendingUndo& pending, std::int16_t oldNumber, const std::string& what) {
    UndoCopy& undo = program.undo;
    if (pending.newPath.empty()) {
        program.files.CloseInBackground(oldNumber);
        return;
    }
    // The older previous version is unlinked by this rename; its open file goes after.
    const std::int16_t older = undo.fileNum;
    try {
        ReplaceFileAtomically(pending.newPath, pending.undoPath, false);
    } catch (const VbError&) {
        AbandonUndoCopy(pending);
        program.files.CloseInBackground(oldNumber);
        DropUndoCopy(program);
        return;
    }
    if (older != 0 && program.files.IsOpen(older)) program.files.CloseInBackground(older);
    undo.Forget();
    undo.path = pending.undoPath;
    undo.what = what;
    if (pending.sameFile && program.files.IsOpen(oldNumber)) {
        undo.fileNum = oldNumber;  // the old archive's lock now guards its undo name
    } else {
        // A copy, or a system that closed the old archive for the rename: the
        // previous version is opened, locked, under its own name.
        if (program.files.IsOpen(oldNumber)) program.files.CloseInBackground(oldNumber);
        try {
            const std::int16_t number = program.files.FreeFile();
            program.files.Open(number, undo.path, OpenMode::ReadLocked);
            undo.fileNum = number;
        } catch (const VbError&) {
            DropUndoCopy(program);
        }
    }
    pending = {};
}

std::string DescribeChange(const RewritePlan& plan) {
    std::string text;
    const std::pair<const char*, std::size_t> parts[] = {{"替换", plan.replacements.size()},
                                                         {"删除", plan.dropped.size()},
                                                         {"重命名", plan.renamed.size()},
                                                         {"添加", plan.appended.size()}};
    for (const auto& [verb, count] : parts) {
        if (count == 0) continue;
        if (!text.empty()) text += "，";
        text += std::string(verb) + " " + std::to_string(count) + " 个对象";
    }
    return text.empty() ? "上一次修改" : text;
}

bool PutBackUndoCopy(Program& program) {
    UndoCopy& undo = program.undo;
    ArcState& arc = program.arc;
    if (undo.fileNum == 0 || !program.files.IsOpen(undo.fileNum) || !program.ArchiveIsOpen()) return false;
    if (!CheckArchiveCanBeRewritten(program)) return false;
    // Its records are read before anything moves, so a version that cannot be
    // read leaves the archive in place.
    ArcEntryList entries;
    ArcReadReceiver quiet;
    ArcReadResult read;
    try {
        read = ReadArcDirectory(program.files.Get(undo.fileNum), program.ExtTypes, entries, quiet);
    } catch (const VbError& error) {
        read.Fail(error.number(), error.description());
    } catch (const std::bad_alloc&) {
        read.Fail(vberr::OutOfMemory, VbErrorDescription(vberr::OutOfMemory));
    }
    // The rename takes whatever the name leads to now: it must still be the
    // file held (not a link, nor another file put there since).
    if (!NameIsOpenFile(undo.path, program.files.Get(undo.fileNum))) {
        program.ui.MsgBox(std::string("上一版本的文件已被替换或移走，无法撤销，档案未作改动：") + kCrLf + undo.path,
                          MsgIcon::Warning, kProgramTitle);
        // What is at the name now is not this program's: it stays; the held file goes.
        program.files.CloseInBackground(undo.fileNum);
        undo.Forget();
        return false;
    }
    if (read.status != ArcReadResult::Status::Ok) {
        program.ui.MsgBox(FileFailureText("无法读取上一版本，档案未作改动：", undo.path,
                                          VbError(read.errorNumber ? read.errorNumber : vberr::DeviceIO)),
                          MsgIcon::Stop, kProgramTitle);
        return false;
    }
    try {
        ReplaceOpenFile(undo.path, ResolvedPath(arc.OpenArcPath), program.files.Get(arc.ArcFileNum));
    } catch (const VbError& error) {
        // Only a failure to sync the folder comes after the rename.
        if (FileExists(undo.path)) {
            program.ui.MsgBox(FileFailureText("撤销时出错，档案未作改动：", arc.OpenArcPath, error), MsgIcon::Stop,
                              kProgramTitle);
            return false;
        }
    }
    program.files.CloseInBackground(arc.ArcFileNum);
    arc.ArcFileNum = undo.fileNum;
    arc.ArcEntries = std::move(entries);
    undo.Forget();
    return true;
}

}  // namespace tessarin
