#include "extract/Pipeline.h"

#include <algorithm>
#include <chrono>

#include "extract/EntrySource.h"

namespace tessarin {

namespace {

// All buffers together (stored and inflated bytes of the entries in flight).
constexpr std::size_t kBufferBudget = 24 << 20;
// Entries read ahead of the one the caller works on.
constexpr std::size_t kMaxAhead = 64;

// Any entry held whole fits in the ring, stored and inflated bytes together.
static_assert(2 * kWholeEntryLimit + 128 <= kBufferBudget);

// Each buffer starts on a cache line of its own.
std::size_t Aligned(std::size_t n) { return (n + 63) / 64 * 64; }

}  // namespace

EntryPipeline::EntryPipeline(BinaryFile& archive, std::int64_t archiveLength, std::size_t count, Planner planner)
    : archive_(archive), length_(archiveLength), count_(count), planner_(std::move(planner)) {
    if (count_ == 0) {
        readerDone_ = true;
        return;
    }
    ring_ = AllocateLargeBlock(kBufferBudget);
    const unsigned cores = std::max(1u, std::min(16u, std::thread::hardware_concurrency()));
    reader_ = std::thread([this] { ReadAll(); });
    for (unsigned i = 0; i < cores; ++i) workers_.emplace_back([this] { Work(); });
}

EntryPipeline::~EntryPipeline() { Stop(); }

void EntryPipeline::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    readerWake_.notify_all();
    workerWake_.notify_all();
    callerWake_.notify_all();
    if (reader_.joinable()) reader_.join();
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
    workers_.clear();
    std::lock_guard lock(mutex_);
    taken_.reset();
    jobs_.clear();
    work_.clear();
    ringUsed_ = 0;
}

bool EntryPipeline::Acquire(EntryJob& job, std::unique_lock<std::mutex>& lock) {
    const std::size_t storedBytes = Aligned(static_cast<std::size_t>(job.storedSize));
    const std::size_t need = storedBytes + (job.inflate ? Aligned(static_cast<std::size_t>(job.size)) : 0);
    for (;;) {
        if (stopping_) return false;
        if (ringUsed_ == 0) ringHead_ = 0;
        // Bytes that do not fit before the end of the block go to its start,
        // and the rest of the end stays unused until this job is done.
        const bool wrap = ringHead_ + need > kBufferBudget;
        const std::size_t gap = wrap ? kBufferBudget - ringHead_ : 0;
        if (ringUsed_ + gap + need <= kBufferBudget) {
            const std::size_t begin = wrap ? 0 : ringHead_;
            job.stored.data = ring_.get() + begin;
            job.plain.data = job.inflate ? ring_.get() + begin + storedBytes : nullptr;
            job.ringSpan = gap + need;
            ringHead_ = begin + need;
            ringUsed_ += job.ringSpan;
            return true;
        }
        readerWake_.wait(lock);
    }
}

void EntryPipeline::Release(EntryJob& job) {
    ringUsed_ -= job.ringSpan;
    job.ringSpan = 0;
    job.stored.data = job.plain.data = nullptr;
}

void EntryPipeline::Prepare(EntryJob& job) {
    if (job.skip) return;
    // Nothing is allocated or read for data the file cannot hold.
    job.readError = CheckDataInArchive(length_, job.offset, job.storedSize);
    if (job.readError) {
        return;
    } else if (job.storedSize > kWholeEntryLimit || (job.inflate && job.size > kWholeEntryLimit)) {
        job.streamed = true;
    }
}

void EntryPipeline::ReadAll() {
    std::unique_lock lock(mutex_);
    for (std::size_t index = 0; index < count_; ++index) {
        readerWake_.wait(lock, [&] { return stopping_ || jobs_.size() < kMaxAhead; });
        if (stopping_) break;
        auto job = std::make_unique<EntryJob>();
        job->index = index;
        lock.unlock();
        planner_(*job);
        Prepare(*job);
        lock.lock();
        // A negative size to inflate is refused by the caller: nothing to read.
        const bool whole = !job->skip && !job->readError && !job->streamed && !(job->inflate && job->size < 0);
        if (whole) {
            if (!Acquire(*job, lock)) break;
            lock.unlock();
            try {
                archive_.Seek(job->offset);
                if (job->storedSize > 0)
                    archive_.ReadExact(job->stored.data, static_cast<std::size_t>(job->storedSize));
            } catch (const VbError& error) {
                job->readError = error;
            }
            lock.lock();
        }
        EntryJob* raw = job.get();
        const bool toWork = whole && job->inflate && !job->readError;
        raw->ready = !toWork;
        jobs_.push_back(std::move(job));
        if (toWork) {
            work_.push_back(raw);
            workerWake_.notify_one();
        } else if (jobs_.size() == 1) {
            callerWake_.notify_one();
        }
        if (raw->streamed) {
            // The caller reads this one from the archive itself: wait until it is done with it.
            readerWake_.wait(lock, [&] { return stopping_ || nextIndex_ > index + 1 ||
                                             (nextIndex_ == index + 1 && !taken_); });
        }
    }
    readerDone_ = true;
    workerWake_.notify_all();
    callerWake_.notify_all();
}

void EntryPipeline::Work() {
    WholeInflater inflater;
    std::unique_lock lock(mutex_);
    for (;;) {
        workerWake_.wait(lock, [&] { return stopping_ || !work_.empty() || readerDone_; });
        if (stopping_ || (work_.empty() && readerDone_)) return;
        EntryJob* job = work_.front();
        work_.pop_front();
        lock.unlock();
        job->result = inflater.Inflate(job->stored.data, static_cast<std::size_t>(job->storedSize),
                                       job->plain.data, job->size);
        lock.lock();
        job->ready = true;
        // Only the entry the caller waits for is worth waking it.
        if (jobs_.front().get() == job) callerWake_.notify_one();
    }
}

EntryJob* EntryPipeline::Next(const std::function<void()>& idle) {
    std::unique_lock lock(mutex_);
    if (taken_) {
        Release(*taken_);
        taken_.reset();
        readerWake_.notify_one();
    }
    for (;;) {
        if (stopping_) return nullptr;
        if (!jobs_.empty() && jobs_.front()->ready) break;
        if (jobs_.empty() && readerDone_) return nullptr;
        if (idle) {
            if (callerWake_.wait_for(lock, std::chrono::milliseconds(30)) == std::cv_status::timeout) {
                lock.unlock();
                idle();
                lock.lock();
            }
        } else {
            callerWake_.wait(lock);
        }
    }
    taken_ = std::move(jobs_.front());
    jobs_.pop_front();
    ++nextIndex_;
    readerWake_.notify_one();
    return taken_.get();
}

}  // namespace tessarin
