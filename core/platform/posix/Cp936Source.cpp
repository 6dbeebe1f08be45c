// Code page 936 pairs from the C library's converter (iconv).
#include <iconv.h>

#include "core/platform/Native.h"

namespace tessarin::native {

std::vector<std::pair<std::uint16_t, char32_t>> SystemCp936Pairs() {
    std::vector<std::pair<std::uint16_t, char32_t>> pairs;
    iconv_t cd = iconv_open("UTF-32LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return pairs;
    }
    pairs.reserve(24000);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            unsigned char out[16];
            char* inPtr = in;
            char* outPtr = reinterpret_cast<char*>(out);
            std::size_t inLeft = sizeof in;
            std::size_t outLeft = sizeof out;
            const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            // Exactly one code point from both bytes, converted reversibly.
            if (r != 0 || inLeft != 0 || outLeft != sizeof out - 4) {
                continue;
            }
            const auto cp = static_cast<char32_t>(out[0] | (out[1] << 8) | (out[2] << 16) |
                                                  (static_cast<std::uint32_t>(out[3]) << 24));
            pairs.emplace_back(static_cast<std::uint16_t>((lead << 8) | trail), cp);
        }
    }
    iconv_close(cd);
    return pairs;
}

}  // namespace tessarin::native
