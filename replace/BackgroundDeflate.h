#pragma once
// Deflating a source on a thread of its own while the rewrite goes on: into a
// nameless scratch file beside the archive while the archive's data before the
// entry is copied (the stream is then copied into place), or straight into
// the new archive while the window's events run. Memory stays that of one
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
    // Starts deflating source straight into out at its position (nobody else
    // touches out until Finish has returned): no scratch file, no copy.
    BackgroundDeflate(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain);
    // Stops the deflate if it is still running, and waits for it.
    ~BackgroundDeflate();
    BackgroundDeflate(const BackgroundDeflate&) = delete;
    BackgroundDeflate& operator=(const BackgroundDeflate&) = delete;

    // Waits for the deflate, calling whileWaiting about every 30 ms, writes its
    // stream at out's position and returns the source's size. Throws what the
    // deflate threw (SourceTooLarge, SourceReadFailure, DeflateFailure,
    // VbError), what whileWaiting threw, and VbError for the copy.
    std::int64_t CopyInto(BinaryFile& out, const WhileWaiting& whileWaiting = {});
    // For a deflate straight into out: waits as CopyInto does and returns the
    // source's size, its stream written.
    std::int64_t Finish(const WhileWaiting& whileWaiting);

private:
    void Start(BinaryFile& source, BinaryFile* out, const std::string& besidePath, std::int64_t maxPlain);
    void Wait(const WhileWaiting& whileWaiting);

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
