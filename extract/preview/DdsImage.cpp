#include "extract/preview/DdsImage.h"

#include <squish.h>

#include <algorithm>
#include <bit>
#include <thread>
#include <cstring>

namespace tessarin {

namespace {

constexpr std::size_t kHeaderSize = 128;  // "DDS " and the 124-byte header
constexpr std::uint32_t kPixelFormatFourCc = 0x4;
constexpr std::uint32_t kPixelFormatRgb = 0x40;
constexpr std::uint32_t kPixelFormatAlpha = 0x1;

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One channel of a pixel scaled to 8 bits by its mask (0 when the mask is empty).
std::uint8_t Channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t max = mask >> shift;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255u / max);
}

// What the 124-byte header says of the first surface.
struct DdsHeader {
    std::uint32_t height, width, formatFlags, fourCc, bits;
    std::uint32_t masks[4];  // red, green, blue, alpha (0 without alpha)
};

DdsHeader ReadHeader(const std::uint8_t* data) {
    const std::uint32_t formatFlags = U32(data + 80);
    return {U32(data + 12), U32(data + 16), formatFlags, U32(data + 84), U32(data + 88),
            {U32(data + 92), U32(data + 96), U32(data + 100), (formatFlags & kPixelFormatAlpha) ? U32(data + 104) : 0}};
}

// DXT1, DXT3 or DXT5 blocks. Bands of block rows decode on their own: a large
// texture takes both cores.
void DecodeBlocks(DdsImage& image, const DdsHeader& header, const std::uint8_t* pixels, std::size_t available) {
    struct Compression { const char* name; int flags; std::size_t blockBytes; };
    static constexpr Compression kCompressions[] = {
        {"DXT1", squish::kDxt1, 8}, {"DXT3", squish::kDxt3, 16}, {"DXT5", squish::kDxt5, 16}};
    const Compression* compression = nullptr;
    for (const Compression& c : kCompressions) {
        if (header.fourCc == U32(reinterpret_cast<const std::uint8_t*>(c.name))) compression = &c;
    }
    if (!compression) {
        image.error = "不支持的 DDS 压缩格式";
        return;
    }
    const int flags = compression->flags;
    const std::size_t blockBytes = compression->blockBytes;
    const auto w = static_cast<std::size_t>(header.width);
    const auto h = static_cast<std::size_t>(header.height);
    const std::size_t needed = ((w + 3) / 4) * ((h + 3) / 4) * blockBytes;
    if (needed > available) {
        image.error = "DDS 数据不完整";
        return;
    }
    image.format = compression->name;
    image.rgba = AllocateLargeBlock(w * h * 4);
    const std::size_t blockRows = (h + 3) / 4;
    const std::size_t rowBytes = ((w + 3) / 4) * blockBytes;
    auto decode = [&](std::size_t first, std::size_t last) {
        const std::size_t top = first * 4;
        const std::size_t rows = std::min(h, last * 4) - top;
        squish::DecompressImage(image.rgba.get() + top * w * 4, static_cast<int>(w), static_cast<int>(rows),
                                static_cast<int>(w * 4), pixels + first * rowBytes, flags);
    };
    if (blockRows >= 64) {
        std::thread lower(decode, blockRows / 2, blockRows);
        decode(0, blockRows / 2);
        lower.join();
    } else {
        decode(0, blockRows);
    }
}

// Uncompressed 24- or 32-bit pixels, each channel where its mask says.
void DecodeMasked(DdsImage& image, const DdsHeader& header, const std::uint8_t* pixels, std::size_t available) {
    const auto w = static_cast<std::size_t>(header.width);
    const auto h = static_cast<std::size_t>(header.height);
    const std::size_t bytesPerPixel = header.bits / 8;
    if (w * h * bytesPerPixel > available) {
        image.error = "DDS 数据不完整";
        return;
    }
    const std::uint32_t* masks = header.masks;
    image.format = masks[3] != 0 ? "ARGB32" : header.bits == 32 ? "XRGB32" : "RGB24";
    image.rgba = AllocateLargeBlock(w * h * 4);
    std::uint8_t* out = image.rgba.get();
    for (std::size_t i = 0; i < w * h; ++i, out += 4) {
        const std::uint8_t* p = pixels + i * bytesPerPixel;
        const std::uint32_t pixel = bytesPerPixel == 4 ? U32(p) : (p[0] | p[1] << 8 | p[2] << 16);
        out[0] = Channel(pixel, masks[0]);
        out[1] = Channel(pixel, masks[1]);
        out[2] = Channel(pixel, masks[2]);
        out[3] = masks[3] != 0 ? Channel(pixel, masks[3]) : 255;
    }
}

}  // namespace

bool IsDds(const std::uint8_t* data, std::size_t size) {
    return size >= 4 && std::memcmp(data, "DDS ", 4) == 0;
}

DdsImage DecodeDds(const std::uint8_t* data, std::size_t size, std::int64_t maxPixels) {
    DdsImage image;
    if (!IsDds(data, size) || size < kHeaderSize || U32(data + 4) != 124) {
        image.error = "DDS 文件头不完整";
        return image;
    }
    const DdsHeader header = ReadHeader(data);
    if (header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFFu || header.height > 0x7FFFFFFFu) {
        image.error = "DDS 图像尺寸无效";
        return image;
    }
    if (static_cast<std::int64_t>(header.width) * header.height > maxPixels) {
        image.error = "图像过大";
        return image;
    }
    const std::uint8_t* pixels = data + kHeaderSize;
    const std::size_t available = size - kHeaderSize;
    if (header.formatFlags & kPixelFormatFourCc) {
        DecodeBlocks(image, header, pixels, available);
    } else if ((header.formatFlags & kPixelFormatRgb) && (header.bits == 24 || header.bits == 32)) {
        DecodeMasked(image, header, pixels, available);
    } else {
        image.error = "不支持的 DDS 像素格式";
    }
    if (!image.error.empty()) return image;
    image.width = static_cast<int>(header.width);
    image.height = static_cast<int>(header.height);
    return image;
}

}  // namespace tessarin
