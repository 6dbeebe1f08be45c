#include "extract/DdsImage.h"

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
    const std::uint32_t height = U32(data + 12);
    const std::uint32_t width = U32(data + 16);
    const std::uint32_t formatFlags = U32(data + 80);
    const std::uint32_t fourCc = U32(data + 84);
    const std::uint32_t bits = U32(data + 88);
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
        image.error = "DDS 图像尺寸无效";
        return image;
    }
    if (static_cast<std::int64_t>(width) * height > maxPixels) {
        image.error = "图像过大";
        return image;
    }
    const std::uint8_t* pixels = data + kHeaderSize;
    const std::size_t available = size - kHeaderSize;
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);

    if (formatFlags & kPixelFormatFourCc) {
        int flags = 0;
        std::size_t blockBytes = 16;
        if (fourCc == U32(reinterpret_cast<const std::uint8_t*>("DXT1"))) {
            flags = squish::kDxt1;
            blockBytes = 8;
        } else if (fourCc == U32(reinterpret_cast<const std::uint8_t*>("DXT3"))) {
            flags = squish::kDxt3;
        } else if (fourCc == U32(reinterpret_cast<const std::uint8_t*>("DXT5"))) {
            flags = squish::kDxt5;
        } else {
            image.error = "不支持的 DDS 压缩格式";
            return image;
        }
        const std::size_t needed = ((w + 3) / 4) * ((h + 3) / 4) * blockBytes;
        if (needed > available) {
            image.error = "DDS 数据不完整";
            return image;
        }
        image.format.assign(reinterpret_cast<const char*>(data + 84), 4);
        image.rgba = AllocateLargeBlock(w * h * 4);
        // Bands of block rows decode on their own: a large texture takes both cores.
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
    } else if ((formatFlags & kPixelFormatRgb) && (bits == 24 || bits == 32)) {
        const std::size_t bytesPerPixel = bits / 8;
        if (w * h * bytesPerPixel > available) {
            image.error = "DDS 数据不完整";
            return image;
        }
        const std::uint32_t masks[4] = {U32(data + 92), U32(data + 96), U32(data + 100),
                                        (formatFlags & kPixelFormatAlpha) ? U32(data + 104) : 0};
        image.format = masks[3] != 0 ? "ARGB32" : bits == 32 ? "XRGB32" : "RGB24";
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
    } else {
        image.error = "不支持的 DDS 像素格式";
        return image;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    return image;
}

}  // namespace tessarin
