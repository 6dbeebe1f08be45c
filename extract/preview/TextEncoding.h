#pragma once
// What the preview needs to know of bytes that may be text: whether they look
// like text, the encoding they are most likely in, and the kinds of line end
// they use. Plain C++ over raw bytes, safe on any thread and on any input.
#include <cstddef>
#include <cstdint>

namespace tessarin {

enum class TextEncoding { Utf8, Utf16Le, Utf16Be, Cp936 };

// Text has no NUL bytes and few control characters other than tab, form feed
// and line ends (judged on the first 64 KiB).
bool LooksLikeText(const std::uint8_t* data, std::size_t size);

// A byte order mark decides; else valid UTF-8 (plain ASCII included, judged on
// the first MiB, a character cut at its end allowed) is UTF-8; anything else is
// taken as code page 936.
TextEncoding DetectEncoding(const std::uint8_t* data, std::size_t size);

// Whether the bytes start with a byte order mark of UTF-8 or UTF-16.
bool HasByteOrderMark(const std::uint8_t* data, std::size_t size);

// The kinds of line end met in the bytes read in an encoding. In UTF-16 only
// whole code units count: a trailing odd byte is not part of the text.
struct LineEndKinds {
    bool crlf = false;
    bool lf = false;
    bool cr = false;
};
LineEndKinds FindLineEnds(const std::uint8_t* data, std::size_t size, TextEncoding encoding);

}  // namespace tessarin
