#pragma once
// Truevision TGA files have no magic bytes at their start: a TGA is told by a
// header whose fields hold together (image type, colour map, size, depth, and
// room in the file for what they declare) and, when present, by the 2.0
// footer "TRUEVISION-XFILE." whose offsets lie inside the file. Plain C++.
#include <cstddef>
#include <cstdint>

namespace tessarin {

struct TgaHeader {
    int width = 0;
    int height = 0;
    int imageType = 0;  // 1-3 uncompressed, 9-11 run-length encoded
    int pixelDepth = 0;
    bool footer = false;  // the 2.0 footer is there
};

// Whether the bytes hold a TGA file that makes sense, and its header when so.
bool ReadTgaHeader(const std::uint8_t* data, std::size_t size, TgaHeader& header);
// Whether the first bytes of a file hold a TGA header's fields that fit
// together (what the rest of the file must hold is not checked).
bool TgaFieldsHold(const std::uint8_t* data, std::size_t size);

// The 18 bytes of the 2.0 footer: "TRUEVISION-XFILE", '.', NUL.
inline constexpr char kTgaFooterSignature[] = "TRUEVISION-XFILE.";
inline constexpr std::size_t kTgaFooterSize = 26;  // two offsets and the signature

}  // namespace tessarin
