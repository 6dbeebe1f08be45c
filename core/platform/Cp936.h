#pragma once
// Code page 936 text and the program's own text.
//
// The program's text is UTF-8. Bytes that are not valid code page 936 (a lone
// lead byte, 0x80, 0xFF, a lead byte with an invalid trail) become the code
// points U+DC80..U+DCFF (one per byte, encoded like UTF-8), which no valid
// character maps to, so every byte string survives a round trip unchanged.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessarin {

// A lead byte starts a double-byte character; the byte after it is its trail.
constexpr bool IsCp936LeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Number of characters in bytes, a lead byte and its trail counting as one.
std::size_t Cp936CharCount(std::string_view bytes);

// Code page 936 bytes -> program text. Lossless for every byte string.
std::string Cp936ToText(std::string_view bytes);

// Program text -> code page 936 bytes; exact inverse of Cp936ToText. Characters
// that code page 936 cannot represent become '?'.
std::string TextToCp936(std::string_view text);

// Program text <-> UTF-16 (for the window toolkit). Escaped bytes travel as lone
// surrogates, so the conversion is lossless both ways.
std::u16string TextToUtf16(std::string_view text);
std::string Utf16ToText(std::u16string_view text);

// Program text <-> file-system path bytes of this platform. On POSIX the
// escaped bytes become the raw bytes again; valid UTF-8 stays as it is. On
// Windows, whose names are UTF-16, the native form is the program's text itself;
// NativeToText escapes whatever is not UTF-8 on both.
std::string TextToNative(std::string_view text);
std::string NativeToText(std::string_view native);

}  // namespace tessarin
