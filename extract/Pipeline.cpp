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

std::size_t RoundedCapacity(std::size_t n) {
    const std::size_t unit = n < (64 << 10) ? (4 << 10) : (64 << 10);
    return std::max<std::size_t>(unit, (n + unit - 1) / unit * unit);
}

}  // namespace

EntryPipeline::EntryPipeline(BinaryFile& archive, std::int64_t archiveLength, std::size_t count, Planner planner)
    : archive_(archive), length_(archiveLength), count_(count), planner_(std::move(planner)) {
    if (count_ == 0) {
        readerDone_ = true;
        return;
    }
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
    if (taken_) {
        Release(taken_->stored);
        Release(taken_->plain);
        taken_.reset();
    }
    jobs_.clear();
    work_.clear();
}

bool EntryPipeline::Acquire(ByteBuffer& buffer, std::size_t n, std::unique_lock<std::mutex>& lock) {
    const std::size_t capacity = RoundedCapacity(n);
    for (;;) {
        if (stopping_) return false;
        if (auto it = free_.lower_bound(capacity); it != free_.end()) {
            buffer.capacity = it->first;
            buffer.data = std::move(it->second);
            free_.erase(it);
            return true;
        }
        if (allocated_ + capacity <= kBufferBudget || allocated_ == 0) {
            buffer.data.reset(new std::uint8_t[capacity]);
            buffer.capacity = capacity;
            allocated_ += capacity;
            return true;
        }
        if (!free_.empty()) {
            // Make room by letting the largest spare buffer go.
            auto largest = std::prev(free_.end());
            allocated_ -= largest->first;
            free_.erase(largest);
            continue;
        }
        readerWake_.wait(lock);
    }
}

void EntryPipeline::Release(ByteBuffer& buffer) {
    if (!buffer.data) return;
    free_.emplace(buffer.capacity, std::move(buffer.data));
    buffer.capacity = 0;
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
            if (!Acquire(job->stored, static_cast<std::size_t>(job->storedSize), lock) ||
                (job->inflate && !Acquire(job->plain, static_cast<std::size_t>(job->size), lock))) {
                break;
            }
            lock.unlock();
            try {
                archive_.Seek(job->offset);
                if (job->storedSize > 0)
                    archive_.ReadExact(job->stored.data.get(), static_cast<std::size_t>(job->storedSize));
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
        job->result = inflater.Inflate(job->stored.data.get(), static_cast<std::size_t>(job->storedSize),
                                       job->plain.data.get(), job->size);
        lock.lock();
        job->ready = true;
        // Only the entry the caller waits for is worth waking it.
        if (jobs_.front().get() == job) callerWake_.notify_one();
    }
}

EntryJob* EntryPipeline::Next(const std::function<void()>& idle) {
    std::unique_lock lock(mutex_);
    if (taken_) {
        Release(taken_->stored);
        Release(taken_->plain);
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
