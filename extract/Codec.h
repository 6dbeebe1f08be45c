#pragma once
// The conversions between stored entry data and plain bytes. Inflation gives
// the results zlib's one-shot uncompress gives into a buffer of the recorded
// size, but works in bounded blocks, so memory stays small whatever sizes an
// archive records. A faster inflater (libdeflate, where built in) is used for
// entries that fit a bounded buffer, with zlib deciding every stream it rejects.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"

namespace tessarin {

// Entries whose recorded and stored sizes are both at most this are inflated
// whole in memory; larger ones are streamed in blocks.
inline constexpr std::int64_t kWholeEntryLimit = 8 << 20;
// Size of the blocks streamed in and out.
inline constexpr std::size_t kStreamBlock = 256 << 10;

// Where stored bytes come from, in order; Read throws VbError on a failure.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills buffer with exactly n bytes.
    virtual void Read(std::uint8_t* buffer, std::size_t n) = 0;
};

// Where inflated bytes go, in order; Put may throw VbError.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Put(const std::uint8_t* bytes, std::size_t n) = 0;
};

// Stored bytes already in memory.
class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}
    void Read(std::uint8_t* buffer, std::size_t n) override;

private:
    const std::uint8_t* data_;
    std::size_t left_;
};

// zlib's result codes (Z_OK, Z_BUF_ERROR, Z_DATA_ERROR, Z_MEM_ERROR) as
// uncompress gives them, and the number of bytes the stream produced.
struct InflateResult {
    int code = 0;
    std::int64_t produced = 0;
    // The stored bytes ran out before the stream ended (a cut stream, or one
    // without its Adler-32 trailer), rather than the stream producing more.
    bool truncated = false;
    bool ok() const { return code == 0; }
};

// Inflates storedSize bytes from in into out, at most uncompressedSize bytes
// of them, in blocks; the results are those of zlib's uncompress into a buffer
// of uncompressedSize bytes (an empty entry: no stream, or one that produces
// nothing). Nothing is padded: a shorter stream shows in produced.
InflateResult InflateStream(ByteSource& in, std::int64_t storedSize, std::int32_t uncompressedSize, ByteSink& out);

// One worker's whole-entry inflater; reuse it for many entries.
class WholeInflater {
public:
    WholeInflater();
    ~WholeInflater();
    WholeInflater(const WholeInflater&) = delete;
    WholeInflater& operator=(const WholeInflater&) = delete;

    // Inflates stored bytes into out, which has room for uncompressedSize bytes
    // (neither above kWholeEntryLimit), with the same results as InflateStream.
    InflateResult Inflate(const std::uint8_t* stored, std::size_t storedSize, std::uint8_t* out,
                          std::int32_t uncompressedSize);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether WholeInflater tries the faster inflater first: on by default where it
// is built in. Off, zlib alone is used (the results are the same either way).
bool FastInflateAvailable();
void SetFastInflate(bool on);

// The codec's message for a failed inflation ("缓冲过小，请检查。", ...).
std::string InflateFailureText(int code);
// Shows it as a "Compression Error" warning.
void ShowInflateFailure(MessageSink& messages, int code);

}  // namespace tessarin
