#pragma once
// Reads, inflates and hands over the entries of the open archive in directory
// order: one thread reads the stored bytes, a worker per core inflates them,
// and the calling thread takes each entry in turn to write or check it. Memory
// stays bounded: the buffers in flight share a fixed budget and are reused.
// Small entries travel in batches (one lock and one wake-up per batch at each
// hand-off), so that archives of many small entries do not spend their time
// waking threads.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "core/platform/LargeBlock.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"

namespace tessarin {

// Bytes lent out of the pipeline's buffer ring; their contents are not cleared.
struct ByteBuffer {
    std::uint8_t* data = nullptr;
};

// What to do with one entry, and what came of it.
struct EntryJob {
    std::size_t index = 0;
    // Set by the planner.
    std::int64_t offset = 0;
    std::int64_t storedSize = 0;
    std::int32_t size = 0;  // the recorded original size
    bool inflate = true;    // false: the stored bytes are wanted as they are
    bool skip = false;      // nothing to read (the caller has refused the entry)
    // Set by the pipeline.
    bool streamed = false;  // too large to hold: the caller reads the archive itself
    std::optional<VbError> readError;
    ByteBuffer stored;
    ByteBuffer plain;
    std::size_t ringSpan = 0;  // bytes of the ring this job holds, counted from where it began
    InflateResult result;   // for inflated jobs held whole
    bool ready = false;     // guarded by the pipeline's lock
};

class EntryPipeline {
public:
    // Fills a job's plan for entry index.
    using Planner = std::function<void(EntryJob& job)>;

    // Starts reading count entries from archive, whose length is archiveLength.
    // The archive belongs to the pipeline until it ends, except while the
    // caller holds a streamed job.
    EntryPipeline(BinaryFile& archive, std::int64_t archiveLength, std::size_t count, Planner planner);
    ~EntryPipeline();
    EntryPipeline(const EntryPipeline&) = delete;
    EntryPipeline& operator=(const EntryPipeline&) = delete;

    // The next entry's job, in order, once read (and inflated when whole);
    // nullptr after the last. The job stays valid until the next call. While it
    // waits, idle runs about every 30 ms.
    EntryJob* Next(const std::function<void()>& idle = {});

    // Stops reading and inflating; Next returns nullptr from then on.
    void Stop();

private:
    using Batch = std::vector<std::unique_ptr<EntryJob>>;
    void ReadAll();
    std::size_t PlanBatch(std::size_t index, Batch& batch);
    void ReadBatch(Batch& batch);
    bool Publish(Batch& batch, std::unique_lock<std::mutex>& lock);
    void Work();
    bool Acquire(EntryJob& job, std::unique_lock<std::mutex>& lock);
    void Release(EntryJob& job);
    void Prepare(EntryJob& job);
    void ReleaseTaken();

    BinaryFile& archive_;
    const std::int64_t length_;
    const std::size_t count_;
    Planner planner_;

    std::mutex mutex_;
    // Each waiter has its own condition, so a change wakes only who can use it:
    // the reader (room ahead, buffers, a streamed entry done), the workers
    // (stored bytes to inflate) and the caller (the next entry in order ready).
    std::condition_variable readerWake_;
    std::condition_variable workerWake_;
    std::condition_variable callerWake_;
    bool stopping_ = false;
    bool readerDone_ = false;
    std::deque<std::unique_ptr<EntryJob>> jobs_;  // read, in order, not yet taken
    std::deque<EntryJob*> work_;                  // read, waiting for a worker
    Batch taken_;                                 // the jobs the caller holds, in order
    std::size_t takenNext_ = 0;                   // the first of them not yet handed out
    std::size_t doneCount_ = 0;                   // jobs the caller has finished with
    std::unique_ptr<EntryJob> carried_;           // planned by the reader, first of its next batch
    // Buffers: one block allocated once and lent out as a ring. Jobs take their
    // bytes in directory order and give them back in the same order, so the
    // block is reused without freeing, and its pages stay mapped.
    LargeBlock ring_;
    std::size_t ringHead_ = 0;  // where the next job's bytes begin
    std::size_t ringUsed_ = 0;  // bytes held by jobs, gaps left at the end included

    std::thread reader_;
    unsigned workerCount_ = 1;
    std::vector<std::thread> workers_;
};

}  // namespace tessarin
