#include "edit/NewArchiveFile.h"

#include <new>

#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "core/platform/PlaceNewFile.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "edit/EditMessages.h"

namespace tessarin {

void PollNewArchiveStop(Program& program) {
    program.ui.DoEvents();
    if (program.ui.StopRequested() || program.ending) throw NewArchiveStopped{};
}

bool NewArchivePathFree(Program& program, const std::string& archivePath) {
    if (FileExists(archivePath) || DirectoryExists(archivePath)) {
        program.ui.MsgBox("档案已存在，不会覆盖：" + archivePath, MsgIcon::Warning, kProgramTitle);
        return false;
    }
    RemoveStaleTemporariesBeside(archivePath);
    return true;
}

bool WriteArchiveFile(Program& program, const RewritePlan& plan, const std::string& archivePath,
                      const NewArchiveHooks& hooks) {
    return WriteArchiveFile(
        program, [&](BinaryFile& out) { WriteRewrittenArchive(nullptr, {}, plan, out); }, archivePath, hooks);
}

bool WriteArchiveFile(Program& program, const NewArchiveWriter& write, const std::string& archivePath,
                      const NewArchiveHooks& hooks) {
    IMainWindow& ui = program.ui;
    std::string tempPath;
    std::int16_t tempNumber = 0;
    auto discard = [&] {
        if (hooks.release) hooks.release();
        if (tempNumber != 0) program.files.Close(tempNumber);
        if (!tempPath.empty()) TryDeleteFile(tempPath);
        return false;
    };
    try {
        tempNumber = program.files.FreeFile();
        BinaryFile& out = program.files.Adopt(tempNumber, CreateTemporaryForNewFile(archivePath, tempPath));
        write(out);
        out.Sync();
        PlaceNewFile(tempPath, archivePath);
    } catch (const NewArchiveStopped&) {
        return discard();
    } catch (const RewriteOutOfRange&) {
        discard();
        ui.MsgBox(kOutOfRangeText, MsgIcon::Warning, kProgramTitle);
        return false;
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        // Only the folder's sync comes after the rename: the archive then stands.
        if (!tempPath.empty() && !FileExists(tempPath) && FileExists(archivePath)) {
            program.files.Close(tempNumber);
            return true;
        }
        discard();
        if (!hooks.showSourceFailure || !hooks.showSourceFailure(failure)) {
            try {
                std::rethrow_exception(failure);
            } catch (const VbError& error) {
                ui.MsgBox(FileFailureText("写入新档案时出错，未留下任何文件：", archivePath, error), MsgIcon::Stop,
                          kProgramTitle);
            } catch (const std::bad_alloc&) {
                ui.MsgBox(FileFailureText("写入新档案时出错，未留下任何文件：", archivePath, VbError(vberr::OutOfMemory)),
                          MsgIcon::Stop, kProgramTitle);
            } catch (...) {
                // A worker that could not be started, and the like.
                ui.MsgBox(FileFailureText("写入新档案时出错，未留下任何文件：", archivePath, VbError(vberr::InternalError)),
                          MsgIcon::Stop, kProgramTitle);
            }
        }
        return false;
    }
    program.files.Close(tempNumber);
    return true;
}

}  // namespace tessarin
