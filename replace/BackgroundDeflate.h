#pragma once
// Deflating a source on a thread of its own, into a nameless scratch file
// beside the archive, while the rewrite goes on (copying the archive's data
// that comes before the entry, or letting the window's events run); the
// rewrite then copies the finished stream into place. Memory stays that of one
// streamed deflate; a stop ends the deflate after the block in hand.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "core/platform/BinaryFile.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

class BackgroundDeflate {
public:
    // Told the source bytes read so far while CopyInto waits; it may throw to
    // give up (the deflate is then stopped when the object goes).
    using WhileWaiting = std::function<void(std::int64_t sourceBytesRead)>;

    // Starts deflating source (which only this object reads until it is done)
    // into a scratch file in the folder of besidePath.
    BackgroundDeflate(BinaryFile& source, const std::string& besidePath, std::int64_t maxPlain);
    // Stops the deflate if it is still running, and waits for it.
    ~BackgroundDeflate();
    BackgroundDeflate(const BackgroundDeflate&) = delete;
    BackgroundDeflate& operator=(const BackgroundDeflate&) = delete;

    // Waits for the deflate, calling whileWaiting about every 30 ms, writes its
    // stream at out's position and returns the source's size. Throws what the
    // deflate threw (SourceTooLarge, SourceReadFailure, DeflateFailure,
    // VbError), what whileWaiting threw, and VbError for the copy.
    std::int64_t CopyInto(BinaryFile& out, const WhileWaiting& whileWaiting = {});

private:
    BinaryFile scratch_;
    DeflatedSizes sizes_;
    std::exception_ptr failure_;
    std::atomic<bool> cancel_{false};
    std::atomic<std::int64_t> read_{0};
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace tessarin
