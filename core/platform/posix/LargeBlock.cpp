#include "core/platform/LargeBlock.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace tessarin {

namespace {
constexpr std::size_t kHugePage = 2 << 20;
}

void LargeBlockDeleter::operator()(std::uint8_t* bytes) const { std::free(bytes); }

LargeBlock AllocateLargeBlock(std::size_t size) {
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* bytes = std::aligned_alloc(kHugePage, rounded);
    if (!bytes) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only advice: without transparent huge pages the block works the same.
    ::madvise(bytes, rounded, MADV_HUGEPAGE);
#endif
    return LargeBlock(static_cast<std::uint8_t*>(bytes));
}

}  // namespace tessarin
