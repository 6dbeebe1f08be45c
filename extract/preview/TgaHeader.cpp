#include "extract/preview/TgaHeader.h"

#include <cstring>
#include <initializer_list>

namespace tessarin {

namespace {

constexpr std::size_t kHeaderSize = 18;

std::uint32_t U16(const std::uint8_t* p) { return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8; }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

bool ColourMapped(int type) { return type == 1 || type == 9; }
bool TrueColour(int type) { return type == 2 || type == 10; }
bool Grey(int type) { return type == 3 || type == 11; }

bool DepthFits(int type, std::uint32_t depth) {
    if (ColourMapped(type) || Grey(type)) return depth == 8 || depth == 16;
    return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

// The header's fields hold together; whole: the bytes are the whole file, which
// must have room for what the header declares and may end with the footer.
bool Holds(const std::uint8_t* data, std::size_t size, TgaHeader& header, bool whole) {
    if (size < kHeaderSize) return false;
    const std::uint32_t idLength = data[0];
    const std::uint32_t mapType = data[1];
    const int type = data[2];
    const std::uint32_t mapFirst = U16(data + 3), mapLength = U16(data + 5), mapDepth = data[7];
    const std::uint32_t width = U16(data + 12), height = U16(data + 14), depth = data[16];
    const std::uint32_t descriptor = data[17];
    if (!ColourMapped(type) && !TrueColour(type) && !Grey(type)) return false;
    if (mapType > 1 || (ColourMapped(type) != (mapType == 1))) return false;
    if (mapType == 1) {
        // A map of 15-32 bit entries that the pixels' indices can reach.
        if (mapLength == 0 || mapFirst + mapLength > 65536) return false;
        if (mapDepth != 15 && mapDepth != 16 && mapDepth != 24 && mapDepth != 32) return false;
    } else if (mapLength != 0) {
        return false;
    }
    if (width == 0 || height == 0 || !DepthFits(type, depth)) return false;
    if ((descriptor & 0xC0) != 0 || (descriptor & 0x0F) > depth) return false;
    // Room for the id, the colour map and, uncompressed, every pixel.
    const std::uint64_t mapBytes = mapType == 1 ? std::uint64_t{mapLength} * ((mapDepth + 7) / 8) : 0;
    std::uint64_t needed = kHeaderSize + idLength + mapBytes;
    if (type < 9) needed += std::uint64_t{width} * height * ((depth + 7) / 8);
    else needed += 1;  // at least one packet
    if (whole && needed > size) return false;
    header.footer = whole && size >= kTgaFooterSize &&
                    std::memcmp(data + size - 18, kTgaFooterSignature, sizeof kTgaFooterSignature) == 0;
    if (header.footer) {
        // The extension and developer areas it points to lie inside the file.
        const std::uint32_t extension = U32(data + size - kTgaFooterSize);
        const std::uint32_t developer = U32(data + size - kTgaFooterSize + 4);
        for (const std::uint32_t at : {extension, developer}) {
            if (at != 0 && (at < kHeaderSize || at >= size - kTgaFooterSize)) return false;
        }
    }
    header.width = static_cast<int>(width);
    header.height = static_cast<int>(height);
    header.imageType = type;
    header.pixelDepth = static_cast<int>(depth);
    return true;
}

}  // namespace

bool TgaFieldsHold(const std::uint8_t* data, std::size_t size) {
    TgaHeader header;
    return Holds(data, size, header, false);
}

bool ReadTgaHeader(const std::uint8_t* data, std::size_t size, TgaHeader& header) {
    return Holds(data, size, header, true);
}

}  // namespace tessarin
