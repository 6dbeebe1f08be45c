#pragma once
// The most heap memory held at once since the last reset, counted by this test
// binary's operator new (every thread).
#include <cstddef>

namespace tessarin::testing {
void ResetHeapPeak();
std::size_t HeapPeakSinceReset();
}  // namespace tessarin::testing
