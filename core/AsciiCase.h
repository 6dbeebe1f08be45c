#pragma once
// Matching text with ASCII letters in either case, as Find and the tree's
// filter match names. Text is UTF-8 inside the program: a multi-byte
// character never holds an ASCII byte, so folding ASCII letters byte by byte
// cannot split one.
#include <string_view>

namespace tessarin {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether text holds part (anywhere; an empty part everywhere).
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part);

// Whether a and b are the same text.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace tessarin
