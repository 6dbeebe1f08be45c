#pragma once
// What a command-line program needs to know about its terminal: whether its
// error stream is one (progress is drawn only there), and how much data the
// process has moved so far (for a throughput figure).
#include <cstdint>
#include <optional>

namespace tessarin {

// True when stderr is a terminal. On Windows the console is also switched to
// understand the escape sequences that erase a line.
bool StandardErrorIsTerminal();

// Bytes this process has read and written through file calls since it began,
// all threads together; nullopt where the system does not say.
struct IoTotals {
    std::uint64_t read = 0;
    std::uint64_t written = 0;
};
std::optional<IoTotals> ProcessIoTotals();

}  // namespace tessarin
