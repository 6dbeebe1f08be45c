#pragma once
// The ARC layout: header, directory records, type code text, original size bias.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin {

inline constexpr std::uint32_t kArcMagic = 0x00435241;  // "ARC" and a zero byte
inline constexpr int kArcHeaderSize = 8;
inline constexpr int kNameChars = 64;                    // name field, in characters
inline constexpr std::int32_t kOrgSizeBias = 0x40000000;
inline constexpr std::int16_t kWrittenVersion = 7;

// Uppercase hexadecimal without prefix or leading zeros; 8 digits when negative.
std::string TypeCodeHex(std::int32_t code);
// Parses TypeCodeHex's text back to the 32-bit code; nullopt for anything else.
std::optional<std::int32_t> ParseTypeCodeHex(std::string_view hex);

// The original size of an original-size field, or nullopt when it overflows
// (stored values 0x80000000..0xBFFFFFFF).
std::optional<std::int32_t> OrgSizeFromField(std::int32_t field);

// One directory record as it lies in the file.
// The name field's characters without its zero characters. A zero character is
// a single zero byte; a lead byte's trail is never taken for one.
std::string DropZeroCharacters(std::string_view field);

struct DirectoryRecord {
    std::string rawName;  // the name field's bytes, every zero character dropped
    std::string fullName; // rawName as program text
    std::int32_t typeCode = 0;
    std::int32_t storedSize = 0;
    std::int32_t originalSize = 0;  // field minus the bias
    std::int32_t dataOffset = 0;
};

}  // namespace tessarin
