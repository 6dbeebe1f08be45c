#include "edit/CreateArchive.h"

#include <exception>
#include <limits>
#include <optional>

#include "core/ArcFormat.h"
#include "core/ArcWriter.h"
#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/VbError.h"
#include "edit/EditMessages.h"
#include "edit/NewArchiveFile.h"
#include "extract/ExportRecord.h"
#include "replace/DeflatePipeline.h"

namespace tessarin {

namespace {

constexpr int kBar = 2;

}  // namespace

bool PlanCreate(Program& program, const std::string& folder, CreatePlan& plan) {
    plan = CreatePlan{};
    plan.folder = folder;
    FolderListing listing;
    try {
        listing = ListFilesBelow(folder);
    } catch (const VbError& error) {
        program.ui.MsgBox(FileFailureText("无法读取目录：", folder, error), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    plan.skipped = listing.skipped;
    // An export's record lies beside the files it wrote; it is never an entry.
    std::erase(listing.files, std::string(kExportRecordName));
    if (listing.files.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        program.ui.MsgBox("文件数超过 32767，无法存入一个档案：" + std::to_string(listing.files.size()) + " 个文件，" + folder,
                          MsgIcon::Warning, kProgramTitle);
        return false;
    }
    FileEntryList list = EntriesOfFiles(listing.files, program.ExtTypes);
    for (const FileEntry& entry : list.entries) {
        try {
            if (OpenFileBelow(folder, entry.file).Length() >= kOrgSizeBias)
                list.refusals.push_back(std::string(kTooLargeText) + "：" + entry.file);
        } catch (const VbError& error) {
            program.ui.MsgBox(FileFailureText("无法读取文件：", folder + "/" + entry.file, error), MsgIcon::Stop,
                              kProgramTitle);
            return false;
        }
    }
    if (!list.refusals.empty()) {
        ShowRefusals(program, "以下文件不能存入档案，未写入任何文件：", list.refusals);
        return false;
    }
    plan.entries = std::move(list.entries);
    SortForNewArchive(plan.entries);
    return true;
}

bool WriteNewArchive(Program& program, const CreatePlan& plan, const std::string& archivePath) {
    IMainWindow& ui = program.ui;
    if (!NewArchivePathFree(program, archivePath)) return false;
    ui.SetProgressVisible(kBar, true);
    ui.SetProgressMin(kBar, 0);
    ui.SetProgressMax(kBar, static_cast<int>(std::max<std::size_t>(plan.entries.size(), 1)));
    ui.SetProgressValue(kBar, 0);
    struct HideBar {
        IMainWindow& ui;
        ~HideBar() { ui.SetProgressVisible(kBar, false); }
    } hide{ui};

    std::vector<std::string> files;
    for (const FileEntry& entry : plan.entries) files.push_back(entry.file);
    std::optional<DeflatePipeline> pipeline;
    pipeline.emplace(plan.folder, files, archivePath, kOrgSizeBias - 1);
    std::string failedFile;
    RewritePlan rewrite;
    for (std::size_t k = 0; k < plan.entries.size(); ++k) {
        rewrite.appended.push_back({plan.entries[k].record, [&, k](BinaryFile& out) {
            PollNewArchiveStop(program);
            DeflatePipeline::Result r = pipeline->Take(k, [&] { PollNewArchiveStop(program); });
            if (r.failure) {
                failedFile = plan.folder + "/" + files[k];
                std::rethrow_exception(r.failure);
            }
            CopyBetweenFiles(r.scratch, 0, r.sizes.stored, out);
            ui.SetProgressValue(kBar, static_cast<int>(k) + 1);
            return static_cast<std::int32_t>(r.sizes.plain);
        }});
    }
    NewArchiveHooks hooks;
    hooks.release = [&] { pipeline.reset(); };
    hooks.showSourceFailure = [&](const std::exception_ptr& failure) {
        return !failedFile.empty() && ShowSourceFailure(program, failedFile, failure);
    };
    const bool written = WriteArchiveFile(program, rewrite, archivePath, hooks);
    pipeline.reset();
    return written;
}

}  // namespace tessarin
