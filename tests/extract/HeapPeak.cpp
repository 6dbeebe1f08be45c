#include "HeapPeak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// The size the allocator set aside for p.
#ifdef _WIN32
std::size_t UsableSize(void* p) { return _msize(p); }
#else
std::size_t UsableSize(void* p) { return malloc_usable_size(p); }
#endif

std::atomic<long long> live{0};
std::atomic<long long> base{0};
std::atomic<long long> peak{0};

void* Allocate(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    const long long now = live.fetch_add(static_cast<long long>(UsableSize(p))) +
                          static_cast<long long>(UsableSize(p));
    for (long long seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
    }
    return p;
}

void Free(void* p) {
    if (p == nullptr) return;
    live.fetch_sub(static_cast<long long>(UsableSize(p)));
    std::free(p);
}
}  // namespace

// The array forms of the library call these.
void* operator new(std::size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }

namespace tessarin::testing {
void ResetHeapPeak() {
    base = live.load();
    peak = base.load();
}
std::size_t HeapPeakSinceReset() { return static_cast<std::size_t>(peak.load() - base.load()); }
}  // namespace tessarin::testing
