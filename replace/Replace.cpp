#include "replace/Replace.h"

#include "replace/ReplaceMessages.h"

#include <zlib.h>

#include <climits>
#include <exception>
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
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "core/ArcWriter.h"
#include "core/platform/FileIdentity.h"
#include "replace/BackgroundDeflate.h"
#include "replace/StreamDeflate.h"
#include "replace/UndoCopy.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

constexpr const char* kDoneText = "替换完成。";
constexpr const char* kRewriteWork = "正在写入档案";
constexpr const char* kStoppedText = "已停止，档案未作改动。";
constexpr const char* kWriteFailed = "写入新档案时出错，原档案未作改动：";

void ShowLayoutRefusal(Program& program, const std::vector<LayoutProblem>& problems) {
    std::vector<std::string> texts;
    texts.reserve(problems.size());
    for (const LayoutProblem& problem : problems) texts.push_back(problem.text);
    ShowRefusals(program.ui, "档案的数据布局不符合替换的要求，档案未作改动：", texts);
}

}  // namespace

namespace {
void ShowArchiveMoved(Program& program) {
    program.ui.MsgBox(std::string("档案文件已被其他程序替换或移走，档案未作改动：") + kCrLf + program.arc.OpenArcPath +
                          kCrLf + kCrLf + "请关闭档案后重新打开。",
                      MsgIcon::Warning, kProgramTitle);
}
}  // namespace

bool ArchiveStillAtItsPath(Program& program) {
    const ArcState& arc = program.arc;
    if (PathNamesOpenFile(arc.OpenArcPath, program.files.Get(arc.ArcFileNum))) return true;
    ShowArchiveMoved(program);
    return false;
}

bool CheckArchiveCanBeRewritten(Program& program) {
    IMainWindow& ui = program.ui;
    ArcState& arc = program.arc;
    std::int64_t oldLength = 0;
    try {
        oldLength = program.files.Get(arc.ArcFileNum).Length();
    } catch (const VbError& error) {
        ui.MsgBox(FileFailureText("无法读取档案：", arc.OpenArcPath, error), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    if (!ArchiveStillAtItsPath(program)) return false;
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
    return true;
}

bool RewriteArchive(Program& program, const std::vector<NewEntryData>& replacements, const RewriteFailureView& onFailure) {
    RewritePlan plan;
    plan.replacements = replacements;
    return RewriteArchive(program, plan, onFailure);
}

std::uint64_t RewriteBytesOf(Program& program, const RewritePlan& plan) {
    std::int64_t oldLength = 0;
    try {
        oldLength = program.files.Get(program.arc.ArcFileNum).Length();
    } catch (const VbError&) {
        // Only the bar's range: the rewrite meets the failure and says so.
    }
    return static_cast<std::uint64_t>(RewriteBytes(program.arc.ArcEntries, oldLength, plan));
}

namespace {

// The rewrite's progress: long work of its own (bar, stop control, window
// disabled) unless it runs inside long work that shows its own progress,
// which then takes the rewrite's bytes and counts its own items.
class RewriteWork {
public:
    RewriteWork(Program& program, const RewritePlan& plan)
        : program_(program), own_(LongWork::Current(program) == nullptr) {
        if (own_)
            work_.emplace(program, kRewriteWork, program.arc.ArcEntries.size() + plan.appended.size(),
                          RewriteBytesOf(program, plan));
    }
    bool Own() const { return own_; }
    void End() { work_.reset(); }
    // Told between steps of the copy, all before the rename: a stop asked for
    // there abandons the new file, and none can come after it.
    void Tell(std::size_t done, std::int64_t bytes) {
        if (work_)
            work_->Advance(done, static_cast<std::uint64_t>(bytes));
        else if (LongWork* shown = LongWork::Current(program_))
            shown->AdvanceBytes(static_cast<std::uint64_t>(bytes));
        program_.ui.DoEvents();
        if (LongWork::StopWanted(program_)) throw RewriteStopped{};
    }

private:
    Program& program_;
    const bool own_;
    std::optional<LongWork> work_;
};

}  // namespace

bool RewriteArchive(Program& program, const RewritePlan& plan, const RewriteFailureView& onFailure) {
    IMainWindow& ui = program.ui;
    ArcState& arc = program.arc;
    // The new archive goes to a file beside the old one and replaces it in one
    // rename, so the old archive stays whole until the new one is on disk.
    // The archive's real location: replacing a link would leave its target unchanged.
    const std::string archivePath = ResolvedPath(arc.OpenArcPath);
    // New archives that a killed run left beside this one go before a new one is written.
    RemoveStaleTemporariesBeside(archivePath);
    std::string tempPath;  // set once the new file exists
    std::int16_t tempNumber = 0;
    RewriteWork work(program, plan);
    auto discard = [&] {
        work.End();
        if (tempNumber != 0) program.files.Close(tempNumber);
        if (!tempPath.empty()) TryDeleteFile(tempPath);
        return false;
    };
    // Removes the unfinished new archive (the old one has not been touched) and says why.
    auto abandon = [&](const std::string& text, MsgIcon icon) {
        discard();
        ui.MsgBox(text, icon, kProgramTitle);
        return false;
    };
    const RewriteProgress progress = [&](std::size_t done, std::int64_t bytes) { work.Tell(done, bytes); };
    ArcEntryList written;
    PendingUndo pending;
    try {
        tempNumber = program.files.FreeFile();
        BinaryFile& out = program.files.Adopt(tempNumber, CreateTemporaryBeside(archivePath, tempPath));
        CopyPermissions(archivePath, out);
        written = WriteRewrittenArchive(&program.files.Get(arc.ArcFileNum), arc.ArcEntries, plan, out, progress);
        out.Sync();
        // Another program may have put a file at the path meanwhile; it is not overwritten.
        // The new file is gone once this is decided: the rewrite has not happened,
        // even if the archive is back at its path by the time the message shows.
        if (!PathNamesOpenFile(arc.OpenArcPath, program.files.Get(arc.ArcFileNum))) {
            discard();
            ShowArchiveMoved(program);
            return false;
        }
        // The window keeps the archive as it is now, to put it back on 撤销.
        pending = PrepareUndoCopy(program, archivePath);
        ReplaceOpenFile(tempPath, archivePath, program.files.Get(arc.ArcFileNum));
    } catch (const VbError& error) {
        // Only a failure to sync the folder comes after the rename: then the new
        // archive is already in place and the replacement stands.
        const bool renamed = tempNumber != 0 && program.files.IsOpen(tempNumber) && !tempPath.empty() &&
                             !FileExists(tempPath);
        if (!renamed) {
            AbandonUndoCopy(pending);
            return abandon(FileFailureText(kWriteFailed, arc.OpenArcPath, error), MsgIcon::Stop);
        }
    } catch (const UndoNameFailure& failure) {
        return abandon(FileFailureText("无法在档案旁保留上一版本，档案未作改动：", failure.path, failure.error),
                       MsgIcon::Stop);
    } catch (const std::bad_alloc&) {
        AbandonUndoCopy(pending);
        return abandon(FileFailureText(kWriteFailed, arc.OpenArcPath, VbError(vberr::OutOfMemory)), MsgIcon::Stop);
    } catch (const RewriteStopped&) {
        discard();
        // Long work around this rewrite says so itself; nothing is shown once the program ends.
        if (work.Own() && !program.ending) ui.MsgBox(kStoppedText, MsgIcon::Information, kProgramTitle);
        return false;
    } catch (const RewriteOutOfRange&) {
        return abandon("替换后的数据偏移超出档案格式的范围（2,147,483,647 字节），档案未作改动。", MsgIcon::Warning);
    } catch (...) {
        discard();
        if (onFailure && onFailure(std::current_exception())) return false;
        throw;
    }

    // The file under tempNumber is now the archive, still locked: the old number
    // (the replaced file) goes, off the user's path, unless it stays as the previous version.
    const std::int16_t oldNumber = arc.ArcFileNum;
    arc.ArcFileNum = tempNumber;
    KeepUndoCopy(program, pending, oldNumber, DescribeChange(plan));
    arc.ArcEntries = std::move(written);
    return true;
}

void WhileSourceIsDeflated(Program& program, std::int64_t sourceBytesRead) {
    if (LongWork* shown = LongWork::Current(program)) shown->ShowPartial(static_cast<std::uint64_t>(sourceBytesRead));
    program.ui.DoEvents();
    if (LongWork::StopWanted(program)) throw RewriteStopped{};
}

bool ReplaceEntry(Program& program, const ReplaceRequest& request) {
    ArcState& arc = program.arc;
    const std::string& sourcePath = request.source;
    const auto dot = request.key.rfind('.');
    // The root and the folders hold no entry: the archive is left alone.
    if (!IsEntryKey(request.key) || dot == std::string::npos || sourcePath.empty()) return false;
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox("档案没有成功打开，无法替换。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    const std::string name = request.key.substr(0, dot);
    const std::string typeHex = request.key.substr(dot + 1);

    // The source is read through a file number of its own; it is only read, so
    // other readers share it while writers stay out.
    const std::int16_t sourceNumber = program.files.FreeFile();
    struct CloseSource {
        Program& program;
        std::int16_t number;
        ~CloseSource() { program.files.Close(number); }
    } closeSource{program, sourceNumber};
    std::int64_t sourceLength = 0;
    try {
        BinaryFile& source = program.files.Open(sourceNumber, sourcePath, OpenMode::ReadShared);
        // A length the file reports is only a first look: it is read to its end below.
        sourceLength = source.Length();
        if (sourceLength >= kOrgSizeBias) throw SourceTooLarge{};
    } catch (const VbError&) {
        ShowSourceFailure(program.ui, sourcePath, std::current_exception(), kReplacementWords);
        return false;
    } catch (const SourceTooLarge&) {
        ShowSourceFailure(program.ui, sourcePath, std::current_exception(), kReplacementWords);
        return false;
    }

    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < arc.ArcEntries.size() && !found; ++i) {
        const ARCFileCls& entry = arc.ArcEntries[i];
        if (FullNameOfKey(entry.ArcFileKey) == name && entry.ArcFileTypeHex == typeHex) found = i;
    }
    if (!found) return false;
    // Nothing is written unless the whole archive can be rewritten over itself.
    if (!CheckArchiveCanBeRewritten(program)) return false;

    // The source is deflated while the data ahead of the entry is copied, and
    // while the rest of its deflate is waited for, the window stays live.
    BackgroundDeflate deflate(program.files.Get(sourceNumber), ResolvedPath(arc.OpenArcPath), kOrgSizeBias - 1);
    NewEntryData data;
    data.index = *found;
    data.write = [&](BinaryFile& out) {
        return static_cast<std::int32_t>(
            deflate.CopyInto(out, [&](std::int64_t read) { WhileSourceIsDeflated(program, read); }));
    };
    data.sizeHint = sourceLength;
    const bool replaced = RewriteArchive(program, {data}, [&](std::exception_ptr failure) {
        return ShowSourceFailure(program.ui, sourcePath, failure, kReplacementWords);
    });
    if (replaced) program.ui.MsgBox(kDoneText, MsgIcon::Information, kProgramTitle);
    return replaced;
}

}  // namespace tessarin
