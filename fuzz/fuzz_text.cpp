// libFuzzer main of the text target (see PreviewTargets.h).
#include <cstddef>
#include <cstdint>

#include "fuzz/PreviewTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessarin::fuzz::TextTarget(data, size);
    return 0;
}
