#include "extract/Codec.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#ifdef TESSARIN_WITH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include "core/platform/FileSystem.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/VbError.h"
#include "extract/OutputFile.h"

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
    if (err == Z_STREAM_END) {
        result.code = Z_OK;
    } else if (err == Z_NEED_DICT) {
        result.code = Z_DATA_ERROR;
    } else if (err == Z_BUF_ERROR && outLeft + stream.avail_out > 0) {
        result.code = Z_DATA_ERROR;  // the input ended before the stream did
    } else {
        result.code = err;
    }
    if (size == 0) {
        if (result.code == Z_OK && result.produced > 0) result.code = Z_BUF_ERROR;
        result.produced = 0;
    } else if (result.code == Z_OK && directOut == nullptr && stream.next_out != region) {
        out->Put(region, static_cast<std::size_t>(stream.next_out - region));
    }
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

bool UnzipToFile(MessageSink& messages, const std::uint8_t* data, std::int32_t storedSize,
                 std::int32_t uncompressedSize, const std::string& outputPath) {
    if (uncompressedSize < 0 || storedSize < 0) {
        Warn(messages, "记录的文件大小不正确（" + std::to_string(uncompressedSize < 0 ? uncompressedSize : storedSize) +
                           "），无法解压。");
        return false;
    }
    // Split at the last of any separator the platform reads ("/" too on Windows).
    std::size_t cut = outputPath.size();
    while (cut > 0 && !IsNativeSeparator(outputPath[cut - 1])) --cut;
    const std::string folderPath = cut == 0 ? "." : outputPath.substr(0, cut);
    const std::string name = outputPath.substr(cut);
    return WriteOutputFile(messages, folderPath, name, outputPath, [&](OutputFile& file) {
        InflateResult result;
        if (storedSize <= kWholeEntryLimit && uncompressedSize <= kWholeEntryLimit) {
            std::unique_ptr<std::uint8_t[]> plain(new std::uint8_t[static_cast<std::size_t>(uncompressedSize) + 1]);
            WholeInflater inflater;
            result = inflater.Inflate(data, static_cast<std::size_t>(storedSize), plain.get(), uncompressedSize);
            if (result.ok()) file.Put(plain.get(), static_cast<std::size_t>(result.produced));
        } else {
            MemorySource source(data, static_cast<std::size_t>(storedSize));
            result = InflateStream(source, storedSize, uncompressedSize, file);
        }
        if (!result.ok()) {
            ShowInflateFailure(messages, result.code);
            return false;
        }
        // The file has the recorded size, even if the stream was shorter.
        file.PutZeros(uncompressedSize - result.produced);
        return true;
    });
}

std::int32_t ZipOutputBound(std::int32_t size) {
    const double bound = std::nearbyint(static_cast<double>(size) * 1.01 + 12.0);
    if (bound > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(bound);
}

bool ZipBytes(MessageSink& messages, ZipState& state, const std::uint8_t* data, std::int32_t size) {
    if (size < 0) {
        Warn(messages, "Buffer too small");
        return false;
    }
    const std::int32_t bound = ZipOutputBound(size);
    std::vector<std::uint8_t> output;
    try {
        output.assign(static_cast<std::size_t>(bound), 0);
    } catch (const std::bad_alloc&) {
        Warn(messages, "Insufficient memory");
        return false;
    }
    static const Bytef kEmpty = 0;
    uLongf destLen = static_cast<uLongf>(bound);
    const int result = compress(output.data(), &destLen, size > 0 ? data : &kEmpty, static_cast<uLong>(size));
    switch (result) {
        case Z_BUF_ERROR: Warn(messages, "Buffer too small"); return false;
        case Z_MEM_ERROR: Warn(messages, "Insufficient memory"); return false;
        default: break;
    }
    output.resize(destLen);
    output.shrink_to_fit();
    state.ZippedBytes = std::move(output);
    state.ZippedSize = static_cast<std::int32_t>(destLen);
    return true;
}

}  // namespace tessarin
