#pragma once
// Deflating a file of any size into another file in bounded blocks: one zlib
// stream at zlib's default level, the same bytes the one-shot compress gives.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/platform/BinaryFile.h"
#include "core/platform/VbError.h"

namespace tessarin {

// The source holds more than the limit (it may have grown while being read).
struct SourceTooLarge {};
// zlib refused (Z_MEM_ERROR, Z_BUF_ERROR, ...).
struct DeflateFailure {
    int code;
};
// Reading the source failed; the archive side did not.
struct SourceReadFailure {
    VbError error;
};
// The caller no longer wants the result.
struct DeflateCancelled {};

struct DeflatedSizes {
    std::int64_t plain = 0;   // bytes read from the source
    std::int64_t stored = 0;  // bytes written to out
};

// Deflates source from its start to its end, read until the end (never by the
// length the file reports, which /proc and /sys files give as 0), into out at
// its current position. At most maxPlain source bytes are accepted. Memory:
// zlib's state and two 256 KiB blocks. Throws SourceTooLarge, DeflateFailure,
// SourceReadFailure, and VbError for writes to out. When cancel is given and
// becomes true, it stops after the block in hand and throws DeflateCancelled.
// When read is given, it holds the source bytes read so far (for progress).
DeflatedSizes DeflateFileInto(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain,
                              const std::atomic<bool>* cancel = nullptr,
                              std::atomic<std::int64_t>* read = nullptr);

// Test seam: called on the deflating thread after each block is read, with
// the source bytes read so far (a test holds the deflate there). Empty: nothing.
void SetDeflateBlockHookForTesting(std::function<void(std::int64_t sourceBytesRead)> hook);

// The same for many files in turn: zlib's state and the blocks are set up once
// and reset for each file, instead of being allocated and cleared anew.
class FileDeflater {
public:
    FileDeflater();
    ~FileDeflater();
    FileDeflater(const FileDeflater&) = delete;
    FileDeflater& operator=(const FileDeflater&) = delete;

    // As DeflateFileInto; the stream is fresh each time, whatever became of the last one.
    DeflatedSizes Deflate(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain,
                          const std::atomic<bool>* cancel = nullptr, std::atomic<std::int64_t>* read = nullptr);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tessarin
