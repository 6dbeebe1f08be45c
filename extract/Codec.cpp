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

}  // namespace

bool UnzipToFile(MessageSink& messages, const std::uint8_t* data, std::int32_t storedSize,
                 std::int32_t uncompressedSize, const std::string& outputPath) {
    if (uncompressedSize < 0 || storedSize < 0) {
        Warn(messages, "记录的文件大小不正确（" + std::to_string(uncompressedSize < 0 ? uncompressedSize : storedSize) +
                           "），无法解压。");
        return false;
    }
    // An empty entry may be stored without any stream at all.
    if (uncompressedSize == 0 && storedSize == 0) return WriteOutputFile(messages, outputPath, nullptr, 0);

    std::vector<std::uint8_t> buffer;
    try {
        buffer.assign(static_cast<std::size_t>(uncompressedSize), 0);
    } catch (const std::bad_alloc&) {
        Warn(messages, "内存检查错误。");
        return false;
    }
    // zlib wants a valid destination even for an empty output.
    Bytef dummy = 0;
    Bytef* dest = buffer.empty() ? &dummy : buffer.data();
    uLongf destLen = static_cast<uLongf>(uncompressedSize);
    const int result = uncompress(dest, &destLen, data, static_cast<uLong>(storedSize));
    switch (result) {
        case Z_BUF_ERROR: Warn(messages, "缓冲过小，请检查。"); return false;
        case Z_MEM_ERROR: Warn(messages, "内存检查错误。"); return false;
        case Z_DATA_ERROR: Warn(messages, "数组取数据不正确。"); return false;
        default: break;
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
    try {
        out.assign(static_cast<std::size_t>(uncompressedSize), 0);
    } catch (const std::bad_alloc&) {
        return Z_MEM_ERROR;
    }
    Bytef dummy = 0;
    uLongf destLen = static_cast<uLongf>(uncompressedSize);
    const int result =
        uncompress(out.empty() ? &dummy : out.data(), &destLen, data, static_cast<uLong>(storedSize));
    out.resize(result == Z_OK ? destLen : 0);
    return result;
}

}  // namespace tessarin
