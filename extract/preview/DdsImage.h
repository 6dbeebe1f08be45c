#pragma once
// DirectDraw Surface images, the textures games keep: the first surface of a
// file with DXT1, DXT3 or DXT5 blocks, or uncompressed 24- or 32-bit pixels
// described by channel masks. Plain C++: the caller wraps the pixels.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/LargeBlock.h"

namespace tessarin {

struct DdsImage {
    int width = 0;
    int height = 0;
    std::string format;               // "DXT1", "DXT3", "DXT5", "RGB24", "ARGB32", ...
    LargeBlock rgba;                  // width * height * 4, rows top down; null on failure
    std::string error;                // why nothing was decoded
};

bool IsDds(const std::uint8_t* data, std::size_t size);

// Decodes the first surface. Images with more than maxPixels pixels are not
// decoded (error says so), whatever the header declares.
DdsImage DecodeDds(const std::uint8_t* data, std::size_t size, std::int64_t maxPixels);

}  // namespace tessarin
