#include "replace/FolderDeflate.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "core/platform/FileTransfer.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/VbError.h"

namespace tessarin {

namespace {

// A batch ends after this many files or this many bytes of them, as listed.
constexpr std::size_t kBatchFiles = 256;
constexpr std::int64_t kBatchBytes = 1 << 20;

}  // namespace

// What one worker keeps from file to file: the folder it is in, zlib's state
// and a block that holds a whole small file.
struct FolderDeflate::Worker {
    explicit Worker(const std::string& folder) : opener(folder) {
        z.zalloc = Z_NULL;
        z.zfree = Z_NULL;
        z.opaque = Z_NULL;
        // The parameters of zlib's compress(), so a file gives the same bytes
        // in memory as when deflated block by block.
        const int init = deflateInit(&z, Z_DEFAULT_COMPRESSION);
        if (init != Z_OK) throw DeflateFailure{init};
        ready = true;
    }
    ~Worker() {
        if (ready) deflateEnd(&z);
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    FilesBelow opener;
    FileDeflater blockwise;
    z_stream z{};
    bool ready = false;
    std::unique_ptr<unsigned char[]> whole = std::make_unique_for_overwrite<unsigned char[]>(kInMemoryFile + 1);
};

FolderDeflate::FolderDeflate(std::string folder, std::size_t count,
                             std::function<const std::string&(std::size_t)> fileAt,
                             const std::function<std::int64_t(std::size_t)>& listedSizeAt, std::string scratchBeside,
                             std::int64_t maxPlain)
    : folder_(std::move(folder)),
      count_(count),
      fileAt_(std::move(fileAt)),
      scratchBeside_(std::move(scratchBeside)),
      maxPlain_(maxPlain) {
    std::size_t inBatch = 0;
    std::int64_t bytes = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const std::int64_t size = std::max<std::int64_t>(listedSizeAt(i), 0);
        // A large file makes a batch of its own, so no batch holds much memory.
        const bool large = size > kInMemoryFile;
        if (inBatch == 0 || large || inBatch >= kBatchFiles || bytes >= kBatchBytes) {
            starts_.push_back(i);
            inBatch = 0;
            bytes = 0;
        }
        ++inBatch;
        bytes += large ? kBatchBytes : size;
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    window_ = 2 * static_cast<std::size_t>(cores);
    results_.resize(window_);
    const std::size_t workers = std::min<std::size_t>(cores, starts_.size());
    for (std::size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

FolderDeflate::~FolderDeflate() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    for (auto& t : threads_) t.join();
}

FolderDeflate::Batch FolderDeflate::Take(std::size_t b, const std::function<void()>& whileWaiting) {
    std::unique_lock lock(mutex_);
    Batch& slot = results_[b % window_];
    while (!slot.done) {
        changed_.wait_for(lock, std::chrono::milliseconds(30));
        lock.unlock();
        whileWaiting();
        lock.lock();
    }
    Batch batch = std::move(slot);
    slot = Batch{};  // free for batch b + window
    taken_ = b + 1;
    changed_.notify_all();
    return batch;
}

void FolderDeflate::Work() {
    std::unique_ptr<Worker> worker;
    std::exception_ptr setupFailure;
    try {
        worker = std::make_unique<Worker>(folder_);
    } catch (...) {
        setupFailure = std::current_exception();
    }
    for (;;) {
        std::size_t b;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return quit_ || next_ >= starts_.size() || next_ < taken_ + window_; });
            if (quit_ || next_ >= starts_.size()) return;
            b = next_++;
        }
        Batch batch;
        batch.first = starts_[b];
        batch.failed = batch.first;
        if (setupFailure) {
            batch.failure = setupFailure;
        } else {
            try {
                DeflateBatch(b, batch, *worker);
            } catch (...) {
                batch.failure = std::current_exception();
                batch.files.clear();
                batch.bytes = {};
            }
        }
        batch.done = true;
        {
            std::lock_guard lock(mutex_);
            results_[b % window_] = std::move(batch);
        }
        changed_.notify_all();
    }
}

void FolderDeflate::DeflateBatch(std::size_t b, Batch& batch, Worker& worker) {
    const std::size_t end = b + 1 < starts_.size() ? starts_[b + 1] : count_;
    batch.files.reserve(end - batch.first);
    for (std::size_t i = batch.first; i < end; ++i) {
        batch.failed = i;
        File& file = batch.files.emplace_back();
        BinaryFile source;
        std::int64_t size = 0;
        std::size_t got = 0;
        try {
            source = worker.opener.Open(fileAt_(i), size);
            if (size <= kInMemoryFile) got = source.Read(worker.whole.get(), kInMemoryFile + 1);
        } catch (const VbError& e) {
            throw SourceReadFailure{e};
        }
        if (size > kInMemoryFile || got > static_cast<std::size_t>(kInMemoryFile)) {
            // Too large for memory (or grown since it was looked at): block by block.
            source.Seek(0);
            file.scratch = CreateScratchFileBeside(scratchBeside_);
            file.sizes = worker.blockwise.Deflate(source, file.scratch, maxPlain_);
            continue;
        }
        if (static_cast<std::int64_t>(got) > maxPlain_) throw SourceTooLarge{};
        z_stream& z = worker.z;
        const int reset = deflateReset(&z);
        if (reset != Z_OK) throw DeflateFailure{reset};
        const std::size_t at = batch.bytes.size();
        const uLong bound = deflateBound(&z, static_cast<uLong>(got));
        batch.bytes.resize(at + bound);
        z.next_in = worker.whole.get();
        z.avail_in = static_cast<uInt>(got);
        z.next_out = batch.bytes.data() + at;
        z.avail_out = static_cast<uInt>(bound);
        const int rc = deflate(&z, Z_FINISH);
        if (rc != Z_STREAM_END) throw DeflateFailure{rc == Z_OK ? Z_BUF_ERROR : rc};
        batch.bytes.resize(at + (bound - z.avail_out));
        file.sizes = {static_cast<std::int64_t>(got), static_cast<std::int64_t>(bound - z.avail_out)};
    }
}

}  // namespace tessarin
