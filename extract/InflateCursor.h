#pragma once
// Reads any stretch of an entry's inflated bytes without holding the entry.
// Inflation goes forward from the nearest saved point of the stream (a copy of
// zlib's state, taken every kCheckpointEvery bytes of output), so reading far
// ahead costs the inflation once and reading back costs at most one stretch
// between saved points. Memory: the saved points (about 40 KiB each, one per
// kCheckpointEvery bytes reached) and two blocks of kStreamBlock.
// The stored bytes are read with the archive's checked positioned reads.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tessarin {

class BinaryFile;

// What is known of where an entry's readable bytes end.
struct InflateEnd {
    // -1 while not known; else the recorded size, or where the stream ended
    // early, broke, or its stored bytes could not be read.
    std::int64_t at = -1;
    int code = 0;             // zlib's code as uncompress gives it: 0, or why the stream broke
    std::string readFailure;  // why the archive could not be read ("" when it could)
};

class InflateCursor {
public:
    static constexpr std::int64_t kCheckpointEvery = 8 << 20;

    // The range is checked against the file before use (Check), as exports do.
    InflateCursor(const BinaryFile& archive, std::int64_t offset, std::int64_t storedSize, std::int32_t size);
    ~InflateCursor();
    InflateCursor(const InflateCursor&) = delete;
    InflateCursor& operator=(const InflateCursor&) = delete;

    // Copies up to count inflated bytes from at into out and returns how many:
    // fewer where the readable bytes end, or once cancelled. One caller reads
    // at a time; others wait.
    std::size_t Read(std::int64_t at, std::uint8_t* out, std::size_t count, const std::atomic<bool>& cancelled);
    InflateEnd End() const;
    std::size_t Checkpoints() const;

private:
    struct Impl;
    mutable std::mutex mutex_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessarin
