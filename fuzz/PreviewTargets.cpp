#include "fuzz/PreviewTargets.h"

#include <cstdlib>
#include <cstring>

#ifdef TESSARIN_WITH_DDS
#include "extract/preview/DdsImage.h"
#endif
#include "extract/preview/TextEncoding.h"
#include "extract/preview/TgaHeader.h"
#include "fuzz/Support.h"

namespace tessarin::fuzz {

#ifdef TESSARIN_WITH_DDS
void DdsTarget(const std::uint8_t* data, std::size_t size) {
    constexpr std::int64_t kMaxPixels = 1 << 20;
    const DdsImage image = DecodeDds(data, size, kMaxPixels);
    if (!image.error.empty()) {
        Require(!image.rgba && image.width == 0 && image.height == 0);
        return;
    }
    Require(image.width > 0 && image.height > 0 && image.rgba && !image.format.empty());
    Require(std::int64_t{image.width} * image.height <= kMaxPixels);
    // Every pixel was written: touching the last one reads inside the block.
    const std::size_t bytes = static_cast<std::size_t>(image.width) * image.height * 4;
    volatile std::uint8_t last = image.rgba.get()[bytes - 1];
    (void)last;
}
#endif

void TgaTarget(const std::uint8_t* data, std::size_t size) {
    TgaHeader header;
    if (!ReadTgaHeader(data, size, header)) return;
    Require(TgaFieldsHold(data, size));
    Require(header.width > 0 && header.width <= 65535 && header.height > 0 && header.height <= 65535);
    Require(size >= 18);
}

void TextTarget(const std::uint8_t* data, std::size_t size) {
    const TextEncoding detected = DetectEncoding(data, size);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) Require(detected == TextEncoding::Utf16Le);
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) Require(detected == TextEncoding::Utf16Be);
    if (HasByteOrderMark(data, size)) Require(detected != TextEncoding::Cp936);
    if (std::memchr(data, 0, size < (64u << 10) ? size : (64u << 10))) Require(!LooksLikeText(data, size));
    for (const TextEncoding encoding :
         {TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be, TextEncoding::Cp936}) {
        const LineEndKinds kinds = FindLineEnds(data, size, encoding);
        // A line end needs a CR or LF byte somewhere.
        if (kinds.crlf || kinds.lf || kinds.cr) Require(std::memchr(data, '\r', size) || std::memchr(data, '\n', size));
    }
}

}  // namespace tessarin::fuzz
