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
#include "core/platform/FileStamp.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "extract/ExportPaths.h"
#include "extract/ExportRecord.h"
#include "replace/DeflatePipeline.h"
#include "replace/Replace.h"
#include "replace/ReplaceMessages.h"
#include "replace/StoredCompare.h"
#include "replace/StreamDeflate.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

// The user asked to stop; the archive stays as it was.
struct ImportStopped {};

// A component as the folder walk reports it (disk bytes back to program text).
std::string AsListed(std::string_view text) { return NativeToText(TextToNative(text)); }

void ShowFileFailure(Program& program, const std::string& lead, const std::string& path, const VbError& error) {
    program.ui.MsgBox(FileFailureText(lead, path, error), MsgIcon::Stop, kProgramTitle);
}

// A changed file's failure, as the replacement reports its source's.
void ShowItemFailure(Program& program, const std::string& path, const std::exception_ptr& failure) {
    if (!ShowSourceFailure(program.ui, path, failure, kReplacementWords)) std::rethrow_exception(failure);
}

void PollStop(Program& program) {
    program.ui.DoEvents();
    if (LongWork::StopWanted(program)) throw ImportStopped{};
}

// A file matched to an entry, with the stamp the folder walk saw, if it saw one.
struct Matched {
    ImportItem item;
    std::optional<FileStamp> listed;
};

// Keeps in plan.changed the matched files whose content differs from their
// entries' (the record's unchanged files are not read), as long work. False
// after a message, or when stopped.
bool CompareMatched(Program& program, const std::string& folder, std::vector<Matched>& matched, ImportPlan& plan) {
    const ArcEntryList& entries = program.arc.ArcEntries;
    // A file is compared with its entry's inflated bytes.
    std::vector<std::uint64_t> compared;
    compared.reserve(matched.size());
    for (const Matched& m : matched)
        compared.push_back(static_cast<std::uint64_t>(std::max(entries[m.item.index].ArcFileOrgSize, 0)));
    LongWork work(program, "正在比较", std::move(compared));
    try {
        BinaryFile& archive = program.files.Get(program.arc.ArcFileNum);
        for (std::size_t k = 0; k < matched.size(); ++k) {
            PollStop(program);
            ImportItem& item = matched[k].item;
            const std::string& key = entries[item.index].ArcFileKey;
            bool same = plan.record.Unchanged(key, item.file, matched[k].listed);
            if (!same) try {
                BinaryFile file = OpenFileBelow(folder, item.file);
                // Refused before a byte of it is read: the format cannot store it.
                if (file.Length() >= kOrgSizeBias) {
                    ShowItemFailure(program, folder + "/" + item.file, std::make_exception_ptr(SourceTooLarge{}));
                    return false;
                }
                const std::optional<FileStamp> stamp = StampOfOpenFile(file);
                same = FileEqualsInflatedEntry(archive, entries[item.index], file);
                if (same) plan.record.Holds(key, stamp);
            } catch (const VbError& error) {
                if (error.number() == vberr::InputPastEnd && entries[item.index].ArcFileZipSize >= 0) {
                    same = false;  // stored data outside the archive: the file replaces it
                } else {
                    ShowFileFailure(program, "无法读取导入的文件：", folder + "/" + item.file, error);
                    return false;
                }
            }
            if (!same) plan.changed.push_back(std::move(item));
            work.Advance(k + 1);
        }
    } catch (const ImportStopped&) {
        return false;
    } catch (const VbError& error) {
        ShowFileFailure(program, "无法读取档案：", program.arc.OpenArcPath, error);
        return false;
    }
    return true;
}

}  // namespace

std::string ExportedFileOf(const ARCFileCls& entry) {
    const std::optional<EntryPlace> place = PlaceOf(entry);
    if (!place) return {};
    std::string relative;
    for (const std::string& folder : place->folders) relative += AsListed(folder) + "/";
    return relative + AsListed(place->name);
}

bool PlanImport(Program& program, const std::string& folder, ImportPlan& plan, bool checkAll) {
    plan = ImportPlan{};
    plan.folder = folder;
    plan.record.Load(program, folder, checkAll);
    FolderListing listing;
    try {
        listing = ListFilesBelow(folder);
    } catch (const VbError& error) {
        ShowFileFailure(program, "无法读取目录：", folder, error);
        return false;
    } catch (const UnreadableFolder& failure) {
        ShowFileFailure(program, "无法读取目录：", folder + "/" + failure.relative, failure.error);
        return false;
    }
    // The first entry that exports to a file owns it, as the export writes only
    // that one. Only hashes of the names are kept; a file is matched by the
    // entry's name worked out again.
    std::unordered_multimap<std::size_t, std::uint32_t> byHash;
    const ArcEntryList& entries = program.arc.ArcEntries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string file = ExportedFileOf(entries[i]);
        if (!file.empty()) byHash.emplace(std::hash<std::string>{}(file), static_cast<std::uint32_t>(i));
    }
    const auto ownerOf = [&](const std::string& file) -> std::optional<std::size_t> {
        std::optional<std::size_t> first;
        const auto [from, to] = byHash.equal_range(std::hash<std::string>{}(file));
        for (auto it = from; it != to; ++it) {
            if ((!first || it->second < *first) && ExportedFileOf(entries[it->second]) == file) first = it->second;
        }
        return first;
    };
    std::vector<Matched> matched;
    for (std::size_t i = 0; i < listing.files.size(); ++i) {
        std::string& file = listing.files[i];
        if (file == kExportRecordName) continue;  // the export's record, never an entry's file
        if (const std::optional<std::size_t> owner = ownerOf(file)) {
            matched.push_back({{*owner, std::move(file)}, listing.stamps[i]});
        } else {
            plan.strays.push_back(file);
            plan.unmatched.push_back(std::move(file));
        }
    }
    for (std::string& other : listing.skipped) plan.unmatched.push_back(std::move(other));
    plan.tooDeep = listing.tooDeep;
    for (std::string& deep : listing.tooDeep) plan.unmatched.push_back(std::move(deep));
    listing = FolderListing{};
    byHash = {};
    std::sort(plan.unmatched.begin(), plan.unmatched.end());
    std::sort(matched.begin(), matched.end(),
              [](const Matched& a, const Matched& b) { return a.item.index < b.item.index; });

    return CompareMatched(program, folder, matched, plan);
}

bool CheckImportCanBeApplied(Program& program, const ImportPlan& plan) {
    return (plan.changed.empty() && plan.added.empty()) || CheckArchiveCanBeRewritten(program);
}

bool ApplyImport(Program& program, const ImportPlan& plan) {
    // A killed run's temporaries go whether or not this run writes anything.
    RemoveStaleTemporariesBeside(ResolvedPath(program.arc.OpenArcPath));
    if (!CheckImportCanBeApplied(program, plan)) return false;
    if (plan.changed.empty() && plan.added.empty()) return true;
    // The changed files, then the added ones: the order the rewrite takes them in.
    std::vector<std::string> files;
    files.reserve(plan.changed.size() + plan.added.size());
    for (const ImportItem& item : plan.changed) files.push_back(item.file);
    for (const ImportAddition& addition : plan.added) files.push_back(addition.file);
    std::optional<LongWork> work;  // once the plan's bytes are known, before anything is deflated
    std::optional<DeflatePipeline> pipeline;
    // Scratch files go beside the archive's real location, where the rewrite
    // puts its new file and where stale ones are looked for.
    pipeline.emplace(plan.folder, files, ResolvedPath(program.arc.OpenArcPath), kOrgSizeBias - 1);
    std::string failedFile;
    ImportRecord record = plan.record;
    // What every entry's write needs, in one place: each write then holds a
    // pointer and a number, small enough to need no allocation of its own.
    struct Shared {
        Program& program;
        std::optional<DeflatePipeline>& pipeline;
        const ImportPlan& plan;
        const std::vector<std::string>& files;
        std::string& failedFile;
        std::optional<LongWork>& work;
        ImportRecord& record;
    } shared{program, pipeline, plan, files, failedFile, work, record};
    const auto writeFile = [s = &shared](std::size_t k) {
        return [s, k](BinaryFile& out) {
            PollStop(s->program);
            DeflatePipeline::Result r = s->pipeline->Take(k, [s, k] {
                s->work->ShowPartial(static_cast<std::uint64_t>(s->pipeline->ReadSoFar(k)));
                PollStop(s->program);
            });
            if (r.failure) {
                s->failedFile = s->plan.folder + "/" + s->files[k];
                std::rethrow_exception(r.failure);
            }
            CopyBetweenFiles(r.scratch, 0, r.sizes.stored, out);
            const std::size_t changed = s->plan.changed.size();
            const std::string& key = k < changed ? s->program.arc.ArcEntries[s->plan.changed[k].index].ArcFileKey
                                                 : s->plan.added[k - changed].record.ArcFileKey;
            s->record.Holds(key, r.stamp);
            s->work->Advance(k + 1);
            return static_cast<std::int32_t>(r.sizes.plain);
        };
    };
    RewritePlan rewrite;
    rewrite.replacements.reserve(plan.changed.size());
    // The files' sizes as the folder shows them now: the bar's range.
    const auto size = [&](std::size_t k) {
        const std::optional<FileStamp> stamp = StampOfFileBelow(plan.folder, files[k]);
        return stamp ? stamp->size : 0;
    };
    const std::size_t changed = plan.changed.size();
    for (std::size_t k = 0; k < changed; ++k)
        rewrite.replacements.push_back({plan.changed[k].index, writeFile(k), size(k)});
    for (std::size_t k = 0; k < plan.added.size(); ++k)
        rewrite.appended.push_back({plan.added[k].record, writeFile(changed + k), size(changed + k)});
    work.emplace(program, "正在导入", files.size(), RewriteBytesOf(program, rewrite));
    const bool done = RewriteArchive(program, rewrite, [&](std::exception_ptr failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const ImportStopped&) {
            return true;
        } catch (...) {
            if (failedFile.empty()) return false;
            ShowItemFailure(program, failedFile, failure);
            return true;
        }
    });
    pipeline.reset();
    if (done) record.Save(program);
    return done;
}

}  // namespace tessarin
