#include "extract/Codec.h"

#include <zlib.h>

#include <cmath>
#include <limits>
#include <new>

#include "extract/OutputFile.h"

namespace tessarin {

namespace {

constexpr const char* kCodecTitle = "Compression Error";

void Warn(MessageSink& messages, const std::string& text) {
    messages.MsgBox(text, MsgIcon::Warning, kCodecTitle);
}

// zlib's uncompress into a zeroed buffer of exactly size bytes; produced is
// what the stream filled. An entry recorded as empty may have no stream at
// all; one whose stream holds data is inflated into a one-byte scratch, so
// output that does not fit shows as Z_BUF_ERROR instead of being dropped.
int InflateExact(const std::uint8_t* data, std::int32_t storedSize, std::int32_t size,
                 std::vector<std::uint8_t>& out, std::size_t& produced) {
    produced = 0;
    out.clear();
    if (size == 0) {
        if (storedSize == 0) return Z_OK;
        Bytef scratch = 0;
        uLongf len = 1;
        const int result = uncompress(&scratch, &len, data, static_cast<uLong>(storedSize));
        return result == Z_OK && len > 0 ? Z_BUF_ERROR : result;
    }
    try {
        out.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return Z_MEM_ERROR;
    }
    uLongf len = static_cast<uLongf>(size);
    const int result = uncompress(out.data(), &len, data, static_cast<uLong>(storedSize));
    produced = len;
    return result;
}

}  // namespace

bool UnzipToFile(MessageSink& messages, const std::uint8_t* data, std::int32_t storedSize,
                 std::int32_t uncompressedSize, const std::string& outputPath) {
    if (uncompressedSize < 0 || storedSize < 0) {
        Warn(messages, "记录的文件大小不正确（" + std::to_string(uncompressedSize < 0 ? uncompressedSize : storedSize) +
                           "），无法解压。");
        return false;
    }
    std::vector<std::uint8_t> buffer;
    std::size_t produced = 0;
    switch (InflateExact(data, storedSize, uncompressedSize, buffer, produced)) {
        case Z_OK: break;
        case Z_BUF_ERROR: Warn(messages, "缓冲过小，请检查。"); return false;
        case Z_MEM_ERROR: Warn(messages, "内存检查错误。"); return false;
        default: Warn(messages, "数组取数据不正确。"); return false;
    }
    // The whole buffer is written at the recorded size, even if the stream was shorter.
    return WriteOutputFile(messages, outputPath, buffer.data(), buffer.size());
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

int InflateToBuffer(const std::uint8_t* data, std::int32_t storedSize, std::int32_t uncompressedSize,
                    std::vector<std::uint8_t>& out) {
    if (storedSize < 0 || uncompressedSize < 0) return Z_DATA_ERROR;
    std::size_t produced = 0;
    const int result = InflateExact(data, storedSize, uncompressedSize, out, produced);
    out.resize(result == Z_OK ? produced : 0);
    return result;
}

}  // namespace tessarin
