#pragma once
// DDS files built field by field for the preview's tests.
#include <cstdint>
#include <string>

namespace tessarin::testing {

inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A DDS file: the header, then data.
inline std::string Dds(int w, int h, const char* fourCc, std::uint32_t bits, const std::uint32_t masks[4], const std::string& data) {
    std::string s(128, '\0');
    s.replace(0, 4, "DDS ");
    Put32(s, 4, 124);
    Put32(s, 8, 0x1007);
    Put32(s, 12, static_cast<std::uint32_t>(h));
    Put32(s, 16, static_cast<std::uint32_t>(w));
    Put32(s, 76, 32);
    if (fourCc) {
        Put32(s, 80, 0x4);
        s.replace(84, 4, fourCc);
    } else {
        Put32(s, 80, masks[3] ? 0x41 : 0x40);
        Put32(s, 88, bits);
        for (int i = 0; i < 4; ++i) Put32(s, 92 + 4 * i, masks[i]);
    }
    return s + data;
}

}  // namespace tessarin::testing
