// libFuzzer main of the ExportRecord target (see Targets.h).
#include <cstddef>
#include <cstdint>

#include "fuzz/Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessarin::fuzz::ExportRecordTarget(data, size);
    return 0;
}
