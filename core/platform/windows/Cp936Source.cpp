// Code page 936 pairs from the system's converter (MultiByteToWideChar).
#include <windows.h>

#include "core/platform/Cp936.h"
#include "core/platform/Native.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace native {

std::vector<std::pair<std::uint16_t, char32_t>> SystemCp936Pairs() {
    std::vector<std::pair<std::uint16_t, char32_t>> pairs;
    pairs.reserve(24000);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            wchar_t out[4];
            const int n = ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in, 2, out, 4);
            char32_t cp = 0;
            if (n == 1 && (out[0] < 0xD800 || out[0] > 0xDFFF)) {
                cp = out[0];
            } else if (n == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF && out[1] >= 0xDC00 && out[1] <= 0xDFFF) {
                cp = 0x10000 + ((char32_t(out[0]) - 0xD800) << 10) + (out[1] - 0xDC00);
            } else {
                continue;
            }
            pairs.emplace_back(static_cast<std::uint16_t>((lead << 8) | trail), cp);
        }
    }
    return pairs;
}

}  // namespace native

namespace win {

std::wstring Wide(const std::string& text) {
    const std::u16string utf16 = TextToUtf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string FromWide(const wchar_t* text, std::size_t length) {
    return Utf16ToText(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

}  // namespace win
}  // namespace tessarin
