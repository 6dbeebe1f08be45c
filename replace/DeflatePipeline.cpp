#include "replace/DeflatePipeline.h"

#include <algorithm>
#include <chrono>

#include "core/platform/FileTransfer.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/VbError.h"

namespace tessarin {

DeflatePipeline::DeflatePipeline(std::string folder, std::vector<std::string> files, std::string scratchBeside,
                                 std::int64_t maxPlain)
    : folder_(std::move(folder)),
      files_(std::move(files)),
      scratchBeside_(std::move(scratchBeside)),
      maxPlain_(maxPlain) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    window_ = 2 * static_cast<std::size_t>(cores);
    results_.resize(window_);
    read_ = std::make_unique<std::atomic<std::int64_t>[]>(window_);
    const std::size_t workers = std::min<std::size_t>(cores, files_.size());
    for (std::size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

DeflatePipeline::~DeflatePipeline() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    cancel_ = true;
    changed_.notify_all();
    for (auto& t : threads_) t.join();
}

DeflatePipeline::Result DeflatePipeline::Take(std::size_t k, const std::function<void()>& whileWaiting) {
    std::unique_lock lock(mutex_);
    Result& slot = results_[k % window_];
    while (!slot.done) {
        changed_.wait_for(lock, std::chrono::milliseconds(30));
        lock.unlock();
        whileWaiting();
        lock.lock();
    }
    Result r = std::move(slot);
    slot = Result{};  // free for item k + window
    taken_ = k + 1;
    changed_.notify_all();
    return r;
}

void DeflatePipeline::Work() {
    FileDeflater deflater;
    for (;;) {
        std::size_t k;
        {
            std::unique_lock lock(mutex_);
            const std::size_t count = files_.size();
            changed_.wait(lock, [&] { return quit_ || next_ >= count || next_ < taken_ + window_; });
            if (quit_ || next_ >= count) return;
            k = next_++;
        }
        Result r;
        try {
            BinaryFile source;
            try {
                source = OpenFileBelow(folder_, files_[k]);
            } catch (const VbError& e) {
                throw SourceReadFailure{e};
            }
            r.stamp = StampOfOpenFile(source);
            r.scratch = CreateScratchFileBeside(scratchBeside_);
            read_[k % window_] = 0;
            r.sizes = deflater.Deflate(source, r.scratch, maxPlain_, &cancel_, &read_[k % window_]);
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

}  // namespace tessarin
