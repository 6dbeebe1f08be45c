#include "replace/Import.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "core/ArcFormat.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/VbError.h"
#include "extract/ExportPaths.h"
#include "replace/DeflatePipeline.h"
#include "replace/Replace.h"
#include "replace/StoredCompare.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

namespace {

constexpr int kImportBar = 2;

// The user asked to stop; the archive stays as it was.
struct ImportStopped {};

// A component as the folder walk reports it (disk bytes back to program text).
std::string AsListed(std::string_view text) { return NativeToText(TextToNative(text)); }

void ShowFileFailure(Program& program, const std::string& lead, const std::string& path, const VbError& error) {
    program.ui.MsgBox(FileFailureText(lead, path, error), MsgIcon::Stop, kProgramTitle);
}

void ShowSourceFailure(Program& program, const std::string& path, const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const SourceTooLarge&) {
        program.ui.MsgBox(std::string("替换文件太大，无法存入档案：") + kCrLf + path + kCrLf + kCrLf +
                              "文件大小必须小于 1,073,741,824 字节。",
                          MsgIcon::Warning, kProgramTitle);
    } catch (const SourceReadFailure& f) {
        ShowFileFailure(program, "无法读取替换文件：", path, f.error);
    } catch (const VbError& e) {
        ShowFileFailure(program, "无法读取替换文件：", path, e);
    } catch (const DeflateFailure& f) {
        program.ui.MsgBox(f.code == -4 ? "Insufficient memory" : "Buffer too small", MsgIcon::Warning,
                          "Compression Error");
    } catch (const std::bad_alloc&) {
        ShowFileFailure(program, "无法读取替换文件：", path, VbError(vberr::OutOfMemory));
    }
}

void PollStop(Program& program) {
    program.ui.DoEvents();
    if (program.ui.StopRequested() || program.ending) throw ImportStopped{};
}

}  // namespace

std::string ExportedFileOf(const ARCFileCls& entry) {
    const std::optional<EntryPlace> place = PlaceOf(entry);
    if (!place) return {};
    std::string relative;
    for (const std::string& folder : place->folders) relative += AsListed(folder) + "/";
    return relative + AsListed(place->name);
}

bool PlanImport(Program& program, const std::string& folder, ImportPlan& plan) {
    IMainWindow& ui = program.ui;
    plan = ImportPlan{};
    plan.folder = folder;
    FolderListing listing;
    try {
        listing = ListFilesBelow(folder);
    } catch (const VbError& error) {
        ShowFileFailure(program, "无法读取目录：", folder, error);
        return false;
    }
    // The first entry that exports to a file owns it, as the export writes only that one.
    std::unordered_map<std::string, std::size_t> owner;
    const ArcEntryList& entries = program.arc.ArcEntries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string file = ExportedFileOf(entries[i]);
        if (!file.empty()) owner.emplace(file, i);
    }
    std::vector<ImportItem> matched;
    for (const std::string& file : listing.files) {
        const auto it = owner.find(file);
        if (it == owner.end()) {
            plan.unmatched.push_back(file);
            plan.strays.push_back(file);
        } else matched.push_back({it->second, file});
    }
    for (const std::string& other : listing.skipped) plan.unmatched.push_back(other);
    std::sort(plan.unmatched.begin(), plan.unmatched.end());
    std::sort(matched.begin(), matched.end(), [](const ImportItem& a, const ImportItem& b) { return a.index < b.index; });

    ui.SetProgressVisible(kImportBar, true);
    ui.SetProgressMin(kImportBar, 0);
    ui.SetProgressMax(kImportBar, static_cast<int>(std::max<std::size_t>(matched.size(), 1)));
    ui.SetProgressValue(kImportBar, 0);
    struct HideBar {
        IMainWindow& ui;
        ~HideBar() { ui.SetProgressVisible(kImportBar, false); }
    } hide{ui};
    try {
        BinaryFile& archive = program.files.Get(program.arc.ArcFileNum);
        for (std::size_t k = 0; k < matched.size(); ++k) {
            PollStop(program);
            const ImportItem& item = matched[k];
            bool same = false;
            try {
                BinaryFile file = OpenFileBelow(folder, item.file);
                same = FileEqualsInflatedEntry(archive, entries[item.index], file);
            } catch (const VbError& error) {
                if (error.number() == vberr::InputPastEnd && entries[item.index].ArcFileZipSize >= 0) {
                    same = false;  // stored data outside the archive: the file replaces it
                } else {
                    ShowFileFailure(program, "无法读取导入的文件：", folder + "/" + item.file, error);
                    return false;
                }
            }
            if (!same) plan.changed.push_back(item);
            ui.SetProgressValue(kImportBar, static_cast<int>(k) + 1);
        }
    } catch (const ImportStopped&) {
        return false;
    } catch (const VbError& error) {
        ShowFileFailure(program, "无法读取档案：", program.arc.OpenArcPath, error);
        return false;
    }
    return true;
}

bool ApplyImport(Program& program, const ImportPlan& plan) {
    if (plan.changed.empty() && plan.added.empty()) return true;
    if (!CheckArchiveCanBeRewritten(program)) return false;
    IMainWindow& ui = program.ui;
    ui.SetProgressVisible(kImportBar, true);
    ui.SetProgressMin(kImportBar, 0);
    const std::size_t total = plan.changed.size() + plan.added.size();
    ui.SetProgressMax(kImportBar, static_cast<int>(total));
    ui.SetProgressValue(kImportBar, 0);
    struct HideBar {
        IMainWindow& ui;
        ~HideBar() { ui.SetProgressVisible(kImportBar, false); }
    } hide{ui};

    // The changed files, then the added ones: the order the rewrite takes them in.
    std::vector<std::string> files;
    for (const ImportItem& item : plan.changed) files.push_back(item.file);
    for (const ImportAddition& addition : plan.added) files.push_back(addition.file);
    std::optional<DeflatePipeline> pipeline;
    // Scratch files go beside the archive's real location, where the rewrite
    // puts its new file and where stale ones are looked for.
    pipeline.emplace(plan.folder, files, ResolvedPath(program.arc.OpenArcPath), kOrgSizeBias - 1);
    std::string failedFile;
    auto writeFile = [&](std::size_t k) {
        return [&, k](BinaryFile& out) {
            PollStop(program);
            DeflatePipeline::Result r = pipeline->Take(k, [&] { PollStop(program); });
            if (r.failure) {
                failedFile = plan.folder + "/" + files[k];
                std::rethrow_exception(r.failure);
            }
            CopyBetweenFiles(r.scratch, 0, r.sizes.stored, out);
            ui.SetProgressValue(kImportBar, static_cast<int>(k) + 1);
            return static_cast<std::int32_t>(r.sizes.plain);
        };
    };
    RewritePlan rewrite;
    for (std::size_t k = 0; k < plan.changed.size(); ++k)
        rewrite.replacements.push_back({plan.changed[k].index, writeFile(k)});
    for (std::size_t k = 0; k < plan.added.size(); ++k)
        rewrite.appended.push_back({plan.added[k].record, writeFile(plan.changed.size() + k)});
    const bool done = RewriteArchive(program, rewrite, [&](std::exception_ptr failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const ImportStopped&) {
            return true;
        } catch (...) {
            if (failedFile.empty()) return false;
            ShowSourceFailure(program, failedFile, failure);
            return true;
        }
    });
    pipeline.reset();
    return done;
}

}  // namespace tessarin
