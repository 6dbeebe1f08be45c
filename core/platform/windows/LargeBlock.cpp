#include "core/platform/LargeBlock.h"

namespace tessarin {

void LargeBlockDeleter::operator()(std::uint8_t* bytes) const { delete[] bytes; }

// Large pages need a privilege users do not have; ordinary pages it is.
LargeBlock AllocateLargeBlock(std::size_t size) { return LargeBlock(new std::uint8_t[size]); }

}  // namespace tessarin
