#include "extract/preview/TextEncoding.h"

#include <algorithm>
#include <cstring>

namespace tessarin {

namespace {

constexpr std::size_t kLookSample = 64 << 10;
constexpr std::size_t kEncodingSample = 1 << 20;

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* prefix, std::size_t n) {
    return size >= n && std::memcmp(data, prefix, n) == 0;
}

// The length of the UTF-8 sequence starting at data[at] (0: invalid), or
// `cut` when it is valid so far but the bytes end inside it.
constexpr std::size_t kCut = static_cast<std::size_t>(-1);
std::size_t Utf8Sequence(const std::uint8_t* data, std::size_t size, std::size_t at) {
    const std::uint8_t lead = data[at];
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= size) return kCut;
        const std::uint8_t c = data[at + i];
        if (i == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return 0;
    }
    return length;
}

bool ValidUtf8(const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 0; at < size;) {
        const std::size_t n = Utf8Sequence(data, size, at);
        if (n == kCut) return true;  // the sample ends inside a character
        if (n == 0) return false;
        at += n;
    }
    return true;
}

}  // namespace

bool LooksLikeText(const std::uint8_t* data, std::size_t size) {
    const std::size_t n = std::min(size, kLookSample);
    std::size_t controls = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t c = data[i];
        if (c == 0) return false;
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') ++controls;
    }
    return controls * 50 <= n;
}

bool HasByteOrderMark(const std::uint8_t* data, std::size_t size) {
    return StartsWith(data, size, "\xef\xbb\xbf", 3) || StartsWith(data, size, "\xff\xfe", 2) ||
           StartsWith(data, size, "\xfe\xff", 2);
}

TextEncoding DetectEncoding(const std::uint8_t* data, std::size_t size) {
    if (StartsWith(data, size, "\xef\xbb\xbf", 3)) return TextEncoding::Utf8;
    if (StartsWith(data, size, "\xff\xfe", 2)) return TextEncoding::Utf16Le;
    if (StartsWith(data, size, "\xfe\xff", 2)) return TextEncoding::Utf16Be;
    return ValidUtf8(data, std::min(size, kEncodingSample)) ? TextEncoding::Utf8 : TextEncoding::Cp936;
}

LineEndKinds FindLineEnds(const std::uint8_t* data, std::size_t size, TextEncoding encoding) {
    LineEndKinds kinds;
    const bool wide = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
    const std::size_t step = wide ? 2 : 1;
    const std::size_t units = size / step;  // whole code units only
    const std::size_t low = encoding == TextEncoding::Utf16Be ? 1 : 0;
    // The unit's value when it is a line end, else 0.
    const auto unit = [&](std::size_t u) -> std::uint8_t {
        const std::size_t at = u * step;
        if (wide && data[at + (1 - low)] != 0) return 0;
        const std::uint8_t c = data[at + low];
        return c == '\r' || c == '\n' ? c : 0;
    };
    for (std::size_t u = 0; u < units; ++u) {
        const std::uint8_t c = unit(u);
        if (c == '\n') {
            kinds.lf = true;
        } else if (c == '\r') {
            const bool pair = u + 1 < units && unit(u + 1) == '\n';
            (pair ? kinds.crlf : kinds.cr) = true;
            if (pair) ++u;
        }
    }
    return kinds;
}

}  // namespace tessarin
