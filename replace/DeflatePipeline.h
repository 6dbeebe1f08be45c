#pragma once
// Deflating many files of a folder in parallel, for a rewrite that takes them
// in order: a worker per core deflates into nameless scratch files beside the
// archive, at most a window of files ahead of the one the rewrite takes next,
// so open files, disk use and the results held (a ring of one slot per file
// in the window) stay bounded.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "core/platform/FileStamp.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

class DeflatePipeline {
public:
    struct Result {
        BinaryFile scratch;
        DeflatedSizes sizes;
        std::optional<FileStamp> stamp;  // the source's, before it was read
        std::exception_ptr failure;  // SourceReadFailure, SourceTooLarge, DeflateFailure, VbError...
        bool done = false;
    };

    // files: relative to folder ("/"-joined components, opened without following
    // links); each may hold at most maxPlain bytes. Scratch files go into the
    // folder of scratchBeside.
    DeflatePipeline(std::string folder, std::vector<std::string> files, std::string scratchBeside,
                    std::int64_t maxPlain);
    ~DeflatePipeline();
    DeflatePipeline(const DeflatePipeline&) = delete;
    DeflatePipeline& operator=(const DeflatePipeline&) = delete;

    // Waits for item k, calling whileWaiting about every 30 ms (it may throw to
    // give up), and hands it over. Items are taken in ascending order.
    Result Take(std::size_t k, const std::function<void()>& whileWaiting);
    // The source bytes of item k read so far (while it is deflated or waited for).
    std::int64_t ReadSoFar(std::size_t k) const { return read_[k % window_].load(); }

private:
    void Work();

    const std::string folder_;
    const std::vector<std::string> files_;
    const std::string scratchBeside_;
    const std::int64_t maxPlain_;
    std::vector<Result> results_;  // item k in slot k % window_
    std::unique_ptr<std::atomic<std::int64_t>[]> read_;  // per slot, as results_
    std::atomic<bool> cancel_{false};  // the pipeline goes: deflates stop after their block
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t window_ = 2;
    std::size_t next_ = 0;   // next item a worker takes
    std::size_t taken_ = 0;  // items the rewrite has taken
    bool quit_ = false;
};

}  // namespace tessarin
