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
    try {
        std::rethrow_exception(failure);
    } catch (const SourceTooLarge&) {
        ShowSourceTooLarge(program, path);
    } catch (const SourceReadFailure& f) {
        ShowSourceFailure(program, path, f.error);
    } catch (const VbError& e) {
        ShowSourceFailure(program, path, e);
    } catch (const DeflateFailure& f) {
        ShowDeflateFailure(program, f.code);
    } catch (const std::bad_alloc&) {
        ShowSourceFailure(program, path, VbError(vberr::OutOfMemory));
    }
}

void PollStop(Program& program) {
    program.ui.DoEvents();
    if (LongWork::StopWanted(program)) throw ImportStopped{};
}

// Deflates the changed files on worker threads into nameless scratch files
// beside the archive. Workers run at most a window of files ahead of the one
// the rewrite takes next, so open files, disk use and the results held (a
// ring of one slot per file in the window) stay bounded.
class DeflatePipeline {
public:
    struct Result {
        BinaryFile scratch;
        DeflatedSizes sizes;
        std::optional<FileStamp> stamp;  // the source's, before it was read
        std::exception_ptr failure;
        bool done = false;
    };

    DeflatePipeline(const ImportPlan& plan, const std::string& archivePath) : plan_(plan), archivePath_(archivePath) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        window_ = 2 * static_cast<std::size_t>(cores);
        results_.resize(window_);
        const std::size_t workers = std::min<std::size_t>(cores, plan.changed.size());
        for (std::size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
    }
    ~DeflatePipeline() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        for (auto& t : threads_) t.join();
    }

    // Waits for item k (pumping the window meanwhile) and hands it over.
    Result Take(std::size_t k, Program& program) {
        std::unique_lock lock(mutex_);
        Result& slot = results_[k % window_];
        while (!slot.done) {
            changed_.wait_for(lock, std::chrono::milliseconds(30));
            lock.unlock();
            PollStop(program);
            lock.lock();
        }
        Result r = std::move(slot);
        slot = Result{};  // free for item k + window
        taken_ = k + 1;
        changed_.notify_all();
        return r;
    }

private:
    void Work() {
        for (;;) {
            std::size_t k;
            {
                std::unique_lock lock(mutex_);
                const std::size_t count = plan_.changed.size();
                changed_.wait(lock, [&] { return quit_ || next_ >= count || next_ < taken_ + window_; });
                if (quit_ || next_ >= count) return;
                k = next_++;
            }
            Result r;
            try {
                BinaryFile source;
                try {
                    source = OpenFileBelow(plan_.folder, plan_.changed[k].file);
                } catch (const VbError& e) {
                    throw SourceReadFailure{e};
                }
                r.stamp = StampOfOpenFile(source);
                r.scratch = CreateScratchFileBeside(archivePath_);
                r.sizes = DeflateFileInto(source, r.scratch, kOrgSizeBias - 1);
            } catch (...) {
                r.failure = std::current_exception();
                r.scratch.Close();
            }
            r.done = true;
            {
                std::lock_guard lock(mutex_);
                results_[k % window_] = std::move(r);
            }
            changed_.notify_all();
        }
    }

    const ImportPlan& plan_;
    const std::string archivePath_;
    std::vector<Result> results_;  // item k in slot k % window_
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t window_ = 2;
    std::size_t next_ = 0;   // next item a worker takes
    std::size_t taken_ = 0;  // items the rewrite has taken
    bool quit_ = false;
};

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
    std::vector<ImportItem> matched;
    for (std::string& file : listing.files) {
        if (file == kExportRecordName) continue;  // the export's record, never an entry's file
        if (const std::optional<std::size_t> owner = ownerOf(file)) matched.push_back({*owner, std::move(file)});
        else plan.unmatched.push_back(std::move(file));
    }
    for (std::string& other : listing.skipped) plan.unmatched.push_back(std::move(other));
    listing = FolderListing{};
    byHash = {};
    std::sort(plan.unmatched.begin(), plan.unmatched.end());
    std::sort(matched.begin(), matched.end(), [](const ImportItem& a, const ImportItem& b) { return a.index < b.index; });

    LongWork work(program, "正在比较", matched.size());
    try {
        BinaryFile& archive = program.files.Get(program.arc.ArcFileNum);
        for (std::size_t k = 0; k < matched.size(); ++k) {
            PollStop(program);
            ImportItem& item = matched[k];
            const std::string& key = entries[item.index].ArcFileKey;
            bool same = plan.record.Unchanged(key, item.file);
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
            if (!same) plan.changed.push_back(std::move(matched[k]));
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

bool CheckImportCanBeApplied(Program& program, const ImportPlan& plan) {
    return plan.changed.empty() || CheckArchiveCanBeRewritten(program);
}

bool ApplyImport(Program& program, const ImportPlan& plan) {
    // A killed run's temporaries go whether or not this run writes anything.
    RemoveStaleTemporariesBeside(ResolvedPath(program.arc.OpenArcPath));
    if (!CheckImportCanBeApplied(program, plan)) return false;
    if (plan.changed.empty()) return true;
    LongWork work(program, "正在导入", plan.changed.size());

    std::optional<DeflatePipeline> pipeline;
    // Scratch files go beside the archive's real location, where the rewrite
    // puts its new file and where stale ones are looked for.
    pipeline.emplace(plan, ResolvedPath(program.arc.OpenArcPath));
    std::string failedFile;
    ImportRecord record = plan.record;
    // What every entry's write needs, in one place: each write then holds a
    // pointer and a number, small enough to need no allocation of its own.
    struct Shared {
        Program& program;
        std::optional<DeflatePipeline>& pipeline;
        const ImportPlan& plan;
        std::string& failedFile;
        LongWork& work;
        ImportRecord& record;
    } shared{program, pipeline, plan, failedFile, work, record};
    std::vector<NewEntryData> replacements;
    replacements.reserve(plan.changed.size());
    for (std::size_t k = 0; k < plan.changed.size(); ++k) {
        NewEntryData data;
        data.index = plan.changed[k].index;
        data.write = [s = &shared, k](BinaryFile& out) {
            PollStop(s->program);
            DeflatePipeline::Result r = s->pipeline->Take(k, s->program);
            if (r.failure) {
                s->failedFile = s->plan.folder + "/" + s->plan.changed[k].file;
                std::rethrow_exception(r.failure);
            }
            CopyBetweenFiles(r.scratch, 0, r.sizes.stored, out);
            s->record.Holds(s->program.arc.ArcEntries[s->plan.changed[k].index].ArcFileKey, r.stamp);
            s->work.Advance(k + 1);
            return static_cast<std::int32_t>(r.sizes.plain);
        };
        replacements.push_back(std::move(data));
    }
    const bool done = RewriteArchive(program, replacements, [&](std::exception_ptr failure) {
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
