// libFuzzer main of the Rewrite target (see Targets.h).
#include <cstddef>
#include <cstdint>

#include "fuzz/Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessarin::fuzz::RewriteTarget(data, size);
    return 0;
}
