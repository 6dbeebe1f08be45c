#include "extract/Codec.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>

#ifdef TESSARIN_WITH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include "core/platform/VbError.h"

namespace tessarin {

namespace {

constexpr const char* kCodecTitle = "Compression Error";

void Warn(MessageSink& messages, const std::string& text) {
    messages.MsgBox(text, MsgIcon::Warning, kCodecTitle);
}

#ifdef TESSARIN_WITH_LIBDEFLATE
std::atomic<bool> fastInflate{true};
#else
std::atomic<bool> fastInflate{false};
#endif

// The entry's code for inflate's last answer, roomLeft the output not filled.
int ResultCode(int err, std::int64_t roomLeft) {
    if (err == Z_STREAM_END) return Z_OK;
    if (err == Z_NEED_DICT) return Z_DATA_ERROR;
    if (err == Z_BUF_ERROR && roomLeft > 0) return Z_DATA_ERROR;  // the input ended before the stream did
    return err;
}

// After the input ran out: a stream that still has output makes progress into
// one more byte of room; a cut one needs more input.
bool InputCut(z_stream& stream) {
    std::uint8_t probe = 0;
    stream.next_out = &probe;
    stream.avail_out = 1;
    return inflate(&stream, Z_NO_FLUSH) == Z_BUF_ERROR;
}

// zlib's uncompress, step for step, with the input taken from in (or directIn)
// and the output given either as one region of size bytes (directOut) or in
// blocks handed to out. An empty entry inflates into a one-byte scratch, so a
// stream with data shows as Z_BUF_ERROR instead of being dropped.
InflateResult InflateCore(ByteSource* in, const std::uint8_t* directIn, std::int64_t storedSize,
                          std::int32_t size, std::uint8_t* directOut, ByteSink* out) {
    if (size == 0 && storedSize == 0) return {Z_OK, 0};
    z_stream stream{};
    if (const int init = inflateInit(&stream); init != Z_OK) return {init, 0};
    struct End {
        z_stream& s;
        ~End() { inflateEnd(&s); }
    } end{stream};

    std::unique_ptr<std::uint8_t[]> inBlock, outBlock;
    if (directIn == nullptr) inBlock.reset(new std::uint8_t[kStreamBlock]);
    std::uint8_t scratch = 0;
    std::uint8_t* region = nullptr;
    std::size_t regionSize = 0;
    if (size == 0) {
        region = &scratch;
        regionSize = 1;
    } else if (directOut != nullptr) {
        region = directOut;
        regionSize = static_cast<std::size_t>(size);
    } else {
        outBlock.reset(new std::uint8_t[kStreamBlock]);
        region = outBlock.get();
    }

    std::int64_t outLeft = size == 0 ? 1 : size;  // room not yet offered to inflate
    std::int64_t inLeft = storedSize;             // input not yet offered to inflate
    stream.next_out = region;
    stream.avail_out = 0;
    int err;
    do {
        if (stream.avail_out == 0 && outLeft > 0) {
            if (size != 0 && directOut == nullptr) {
                // The block is full: hand it on and offer it again.
                if (stream.next_out != region) out->Put(region, static_cast<std::size_t>(stream.next_out - region));
                regionSize = static_cast<std::size_t>(std::min<std::int64_t>(outLeft, kStreamBlock));
            }
            stream.next_out = region;
            stream.avail_out = static_cast<uInt>(regionSize);
            outLeft -= static_cast<std::int64_t>(regionSize);
        }
        if (stream.avail_in == 0 && inLeft > 0) {
            if (directIn != nullptr) {
                const auto n = static_cast<uInt>(std::min<std::int64_t>(inLeft, std::numeric_limits<uInt>::max()));
                stream.next_in = const_cast<Bytef*>(directIn + (storedSize - inLeft));
                stream.avail_in = n;
                inLeft -= n;
            } else {
                const auto n = static_cast<std::size_t>(std::min<std::int64_t>(inLeft, kStreamBlock));
                in->Read(inBlock.get(), n);
                stream.next_in = inBlock.get();
                stream.avail_in = static_cast<uInt>(n);
                inLeft -= static_cast<std::int64_t>(n);
            }
        }
        err = inflate(&stream, Z_NO_FLUSH);
    } while (err == Z_OK);

    InflateResult result;
    result.produced = static_cast<std::int64_t>(stream.total_out);
    result.code = ResultCode(err, outLeft + stream.avail_out);
    if (size == 0) {
        if (result.code == Z_OK && result.produced > 0) result.code = Z_BUF_ERROR;
        result.produced = 0;
    } else if (result.code == Z_OK && directOut == nullptr && stream.next_out != region) {
        out->Put(region, static_cast<std::size_t>(stream.next_out - region));
    }
    if (err == Z_BUF_ERROR && inLeft == 0 && stream.avail_in == 0) result.truncated = InputCut(stream);
    return result;
}

}  // namespace

void MemorySource::Read(std::uint8_t* buffer, std::size_t n) {
    if (n > left_) throw VbError(vberr::InputPastEnd);
    std::memcpy(buffer, data_, n);
    data_ += n;
    left_ -= n;
}

InflateResult InflateStream(ByteSource& in, std::int64_t storedSize, std::int32_t uncompressedSize, ByteSink& out) {
    if (storedSize < 0 || uncompressedSize < 0) return {Z_DATA_ERROR, 0};
    try {
        return InflateCore(&in, nullptr, storedSize, uncompressedSize, nullptr, &out);
    } catch (const std::bad_alloc&) {
        return {Z_MEM_ERROR, 0};
    }
}

struct WholeInflater::Impl {
#ifdef TESSARIN_WITH_LIBDEFLATE
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    ~Impl() {
        if (decompressor != nullptr) libdeflate_free_decompressor(decompressor);
    }
#endif
};

WholeInflater::WholeInflater() : impl_(std::make_unique<Impl>()) {}
WholeInflater::~WholeInflater() = default;

InflateResult WholeInflater::Inflate(const std::uint8_t* stored, std::size_t storedSize, std::uint8_t* out,
                                     std::int32_t uncompressedSize) {
    if (uncompressedSize < 0) return {Z_DATA_ERROR, 0};
    if (uncompressedSize == 0 && storedSize == 0) return {Z_OK, 0};
#ifdef TESSARIN_WITH_LIBDEFLATE
    // libdeflate decides only what it accepts: a whole stream, ended, whose
    // output fits. Every other stream is left to zlib, so that messages and
    // bytes are zlib's (trailing bytes after the end are ignored by both).
    if (impl_->decompressor != nullptr && fastInflate.load(std::memory_order_relaxed)) {
        std::uint8_t none = 0;
        std::size_t used = 0, produced = 0;
        const libdeflate_result r =
            libdeflate_zlib_decompress_ex(impl_->decompressor, stored, storedSize, uncompressedSize > 0 ? out : &none,
                                          static_cast<std::size_t>(uncompressedSize), &used, &produced);
        if (r == LIBDEFLATE_SUCCESS) return {Z_OK, static_cast<std::int64_t>(produced)};
    }
#endif
    try {
        return InflateCore(nullptr, stored, static_cast<std::int64_t>(storedSize), uncompressedSize, out, nullptr);
    } catch (const std::bad_alloc&) {
        return {Z_MEM_ERROR, 0};
    }
}

bool FastInflateAvailable() {
#ifdef TESSARIN_WITH_LIBDEFLATE
    return true;
#else
    return false;
#endif
}

void SetFastInflate(bool on) { fastInflate.store(on && FastInflateAvailable()); }

std::string InflateFailureText(int code) {
    switch (code) {
        case Z_BUF_ERROR: return "缓冲过小，请检查。";
        case Z_MEM_ERROR: return "内存检查错误。";
        default: return "数组取数据不正确。";
    }
}

void ShowInflateFailure(MessageSink& messages, int code) { Warn(messages, InflateFailureText(code)); }

}  // namespace tessarin
