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

// Deflates the changed files on worker threads into nameless scratch files
// beside the archive. Workers run at most a window of files ahead of the one
// the rewrite takes next, so open files and disk use stay bounded.
class DeflatePipeline {
public:
    struct Result {
        BinaryFile scratch;
        DeflatedSizes sizes;
        std::exception_ptr failure;
        bool done = false;
    };

    DeflatePipeline(const ImportPlan& plan, const std::string& archivePath)
        : plan_(plan), archivePath_(archivePath), results_(plan.changed.size()) {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        window_ = 2 * static_cast<std::size_t>(cores);
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
        while (!results_[k].done) {
            changed_.wait_for(lock, std::chrono::milliseconds(30));
            lock.unlock();
            PollStop(program);
            lock.lock();
        }
        Result r = std::move(results_[k]);
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
                changed_.wait(lock, [&] { return quit_ || next_ >= results_.size() || next_ < taken_ + window_; });
                if (quit_ || next_ >= results_.size()) return;
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
                r.scratch = CreateScratchFileBeside(archivePath_);
                r.sizes = DeflateFileInto(source, r.scratch, kOrgSizeBias - 1);
            } catch (...) {
                r.failure = std::current_exception();
                r.scratch.Close();
            }
            r.done = true;
            {
                std::lock_guard lock(mutex_);
                results_[k] = std::move(r);
            }
            changed_.notify_all();
        }
    }

    const ImportPlan& plan_;
    const std::string archivePath_;
    std::vector<Result> results_;
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
        if (it == owner.end()) plan.unmatched.push_back(file);
        else matched.push_back({it->second, file});
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
    if (plan.changed.empty()) return true;
    if (!CheckArchiveCanBeRewritten(program)) return false;
    // The rewrite drives the progress bar, entry by entry.
    std::optional<DeflatePipeline> pipeline;
    // Scratch files go beside the archive's real location, where the rewrite
    // puts its new file and where stale ones are looked for.
    pipeline.emplace(plan, ResolvedPath(program.arc.OpenArcPath));
    std::string failedFile;
    std::vector<NewEntryData> replacements;
    for (std::size_t k = 0; k < plan.changed.size(); ++k) {
        NewEntryData data;
        data.index = plan.changed[k].index;
        data.write = [&, k](BinaryFile& out) {
            PollStop(program);
            DeflatePipeline::Result r = pipeline->Take(k, program);
            if (r.failure) {
                failedFile = plan.folder + "/" + plan.changed[k].file;
                std::rethrow_exception(r.failure);
            }
            CopyBetweenFiles(r.scratch, 0, r.sizes.stored, out);
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
            ShowSourceFailure(program, failedFile, failure);
            return true;
        }
    });
    pipeline.reset();
    return done;
}

}  // namespace tessarin
