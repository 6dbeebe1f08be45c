#pragma once
// A block of memory for bulk work, allocated once and reused. Where the system
// offers it the block is backed by huge pages, so touching it the first time
// costs a few page faults instead of thousands.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessarin {

struct LargeBlockDeleter {
    void operator()(std::uint8_t* bytes) const;
};
using LargeBlock = std::unique_ptr<std::uint8_t[], LargeBlockDeleter>;

// Size bytes, not cleared; throws std::bad_alloc when they cannot be had.
LargeBlock AllocateLargeBlock(std::size_t size);

}  // namespace tessarin
