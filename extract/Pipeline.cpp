#include "extract/Pipeline.h"

#include <algorithm>
#include <chrono>

#include "extract/EntrySource.h"

namespace tessarin {

namespace {

// All buffers together (stored and inflated bytes of the entries in flight).
constexpr std::size_t kBufferBudget = 24 << 20;
// Entries read ahead of the ones the caller holds.
constexpr std::size_t kMaxAhead = 128;
// A batch: at most this many entries, whose buffers together take at most
// kBatchBytes; an entry that needs more travels alone.
constexpr std::size_t kBatchJobs = 32;
constexpr std::size_t kBatchBytes = 256 << 10;
// Small jobs go back to the start of the ring, once it is free, after this
// many bytes: while entries are small only the ring's first pages are touched,
// so the memory in use does not grow to the whole budget.
constexpr std::size_t kSoftWrap = 1 << 20;
// Jobs a worker takes at a time.
constexpr std::size_t kWorkChunk = 8;

// Any entry held whole fits in the ring, stored and inflated bytes together.
static_assert(2 * kWholeEntryLimit + 128 <= kBufferBudget);
// The reader never waits for room it holds itself: beside the end a soft wrap
// leaves unused (at most kBufferBudget - kSoftWrap), the batch it is reading
// (at most kBatchBytes) and its next entry (the same) always fit.
static_assert(2 * kBatchBytes <= kSoftWrap);

// Each buffer starts on a cache line of its own.
std::size_t Aligned(std::size_t n) { return (n + 63) / 64 * 64; }

// True for a job whose bytes the pipeline reads and holds. A negative size to
// inflate is refused by the caller: nothing to read.
bool IsWhole(const EntryJob& job) {
    return !job.skip && !job.readError && !job.streamed && !(job.inflate && job.size < 0);
}

// The ring's bytes a job needs.
std::size_t Need(const EntryJob& job) {
    if (!IsWhole(job)) return 0;
    return Aligned(static_cast<std::size_t>(job.storedSize)) +
           (job.inflate ? Aligned(static_cast<std::size_t>(job.size)) : 0);
}

}  // namespace

EntryPipeline::EntryPipeline(BinaryFile& archive, std::int64_t archiveLength, std::size_t count, Planner planner)
    : archive_(archive), length_(archiveLength), count_(count), planner_(std::move(planner)) {
    if (count_ == 0) {
        readerDone_ = true;
        return;
    }
    ring_ = AllocateLargeBlock(kBufferBudget);
    workerCount_ = std::max(1u, std::min(16u, std::thread::hardware_concurrency()));
    reader_ = std::thread([this] { ReadAll(); });
    for (unsigned i = 0; i < workerCount_; ++i) workers_.emplace_back([this] { Work(); });
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
    taken_.clear();
    takenNext_ = 0;
    jobs_.clear();
    work_.clear();
    ringUsed_ = 0;
}

bool EntryPipeline::Acquire(EntryJob& job, std::unique_lock<std::mutex>& lock) {
    const std::size_t storedBytes = Aligned(static_cast<std::size_t>(job.storedSize));
    const std::size_t need = Need(job);
    for (;;) {
        if (stopping_) return false;
        if (ringUsed_ == 0) ringHead_ = 0;
        // Bytes that do not fit before the end of the block go to its start,
        // and the rest of the end stays unused until this job is done. Small
        // ones go there early when the start is free (see kSoftWrap).
        const bool early = ringHead_ >= kSoftWrap && need <= kBatchBytes && ringUsed_ <= ringHead_ &&
                           need <= ringHead_ - ringUsed_;
        const bool wrap = early || ringHead_ + need > kBufferBudget;
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
    Batch batch;
    std::size_t index = 0;
    std::unique_lock lock(mutex_);
    while (index < count_ || carried_) {
        readerWake_.wait(lock, [&] { return stopping_ || jobs_.size() + kBatchJobs <= kMaxAhead; });
        if (stopping_) break;
        lock.unlock();
        index = PlanBatch(index, batch);
        lock.lock();
        bool acquired = true;
        for (auto& job : batch)
            if (IsWhole(*job) && !(acquired = Acquire(*job, lock))) break;
        if (!acquired) break;
        lock.unlock();
        ReadBatch(batch);
        lock.lock();
        if (!Publish(batch, lock)) break;
    }
    readerDone_ = true;
    workerWake_.notify_all();
    callerWake_.notify_all();
}

std::size_t EntryPipeline::PlanBatch(std::size_t index, Batch& batch) {
    batch.clear();
    std::size_t bytes = 0;
    while (batch.size() < kBatchJobs && (carried_ || index < count_)) {
        std::unique_ptr<EntryJob> job = std::move(carried_);
        if (!job) {
            job = std::make_unique<EntryJob>();
            job->index = index++;
            planner_(*job);
            Prepare(*job);
        }
        const std::size_t need = Need(*job);
        if (!batch.empty() && (need > kBatchBytes || bytes + need > kBatchBytes)) {
            carried_ = std::move(job);  // the first of the next batch
            break;
        }
        bytes += need;
        const bool alone = job->streamed || need > kBatchBytes;
        batch.push_back(std::move(job));
        // The caller reads a streamed entry from the archive itself: nothing
        // after it is read until it is done with it.
        if (alone) break;
    }
    return index;
}

void EntryPipeline::ReadBatch(Batch& batch) {
    for (auto& job : batch) {
        if (!IsWhole(*job) || job->storedSize == 0) continue;
        try {
            archive_.Seek(job->offset);
            archive_.ReadExact(job->stored.data, static_cast<std::size_t>(job->storedSize));
        } catch (const VbError& error) {
            job->readError = error;
        }
    }
}

bool EntryPipeline::Publish(Batch& batch, std::unique_lock<std::mutex>& lock) {
    if (batch.empty()) return true;
    std::size_t toWork = 0;
    const bool streamed = batch.back()->streamed;
    const std::size_t lastIndex = batch.back()->index;
    for (auto& job : batch) {
        const bool inflate = job->stored.data != nullptr && job->inflate && !job->readError;
        job->ready = !inflate;
        if (inflate) {
            work_.push_back(job.get());
            ++toWork;
        }
        jobs_.push_back(std::move(job));
    }
    batch.clear();
    if (toWork > 1) workerWake_.notify_all();
    else if (toWork == 1) workerWake_.notify_one();
    if (jobs_.front()->ready) callerWake_.notify_one();
    if (streamed) {
        // The caller reads this one from the archive itself: wait until it is done with it.
        readerWake_.wait(lock, [&] { return stopping_ || doneCount_ > lastIndex; });
    }
    return !stopping_;
}

void EntryPipeline::Work() {
    WholeInflater inflater;
    std::vector<EntryJob*> chunk;
    std::unique_lock lock(mutex_);
    for (;;) {
        workerWake_.wait(lock, [&] { return stopping_ || !work_.empty() || readerDone_; });
        if (stopping_ || (work_.empty() && readerDone_)) return;
        // A share of what waits, so that the other workers find some too.
        const std::size_t take = std::clamp<std::size_t>(work_.size() / workerCount_, 1, kWorkChunk);
        chunk.assign(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(take));
        work_.erase(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(take));
        lock.unlock();
        for (EntryJob* job : chunk)
            job->result = inflater.Inflate(job->stored.data, static_cast<std::size_t>(job->storedSize),
                                           job->plain.data, job->size);
        lock.lock();
        for (EntryJob* job : chunk) job->ready = true;
        // Only the entry the caller waits for is worth waking it.
        if (jobs_.front()->ready) callerWake_.notify_one();
    }
}

void EntryPipeline::ReleaseTaken() {
    if (taken_.empty()) return;
    for (auto& job : taken_) Release(*job);
    doneCount_ += taken_.size();
    taken_.clear();
    takenNext_ = 0;
    readerWake_.notify_one();
}

EntryJob* EntryPipeline::Next(const std::function<void()>& idle) {
    // The rest of the batch taken last time needs no lock: only this thread touches it.
    if (takenNext_ < taken_.size()) return taken_[takenNext_++].get();
    std::unique_lock lock(mutex_);
    ReleaseTaken();
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
    // Every entry ready at the front, up to a streamed one, which the reader
    // waits for.
    while (!jobs_.empty() && jobs_.front()->ready && taken_.size() < kBatchJobs) {
        const bool streamed = jobs_.front()->streamed;
        taken_.push_back(std::move(jobs_.front()));
        jobs_.pop_front();
        if (streamed) break;
    }
    readerWake_.notify_one();
    takenNext_ = 1;
    return taken_.front().get();
}

}  // namespace tessarin
