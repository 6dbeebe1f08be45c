#pragma once
// A fast, repeatable stream of pseudo-random numbers for making benchmark files.
#include <cstdint>

namespace tessarin::bench {

inline std::uint64_t Next(std::uint64_t& s) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
}

}  // namespace tessarin::bench
