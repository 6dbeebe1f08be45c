#pragma once
// Numbers as the window shows sizes: thousands grouped with commas.
#include <cstdint>
#include <string>

namespace tessarin {

// 1234567 -> "1,234,567"; -1234 -> "-1,234".
std::string GroupedThousands(std::int64_t value);

}  // namespace tessarin
