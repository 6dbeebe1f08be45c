#pragma once
// What a command-line program needs to know about its terminal: whether its
// error stream is one (progress is drawn only there), and how much data the
// process has moved so far (for a throughput figure).
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

namespace tessarin {

// True when stderr is a terminal. On Windows the console is also switched to
// understand the escape sequences that erase a line.
bool StandardErrorIsTerminal();

// True when stream is a Windows console: text written there goes through the
// console as characters, not as bytes read in its code page.
bool IsConsole(std::FILE* stream);

// Writes program text (UTF-8) to stream and flushes it. On a Windows console it
// is written as UTF-16 (WriteConsoleW), so Chinese shows right whatever the
// console's code page; anywhere else (a file, a pipe, a POSIX terminal) as its
// UTF-8 bytes. False when not all of it was written.
bool WriteText(std::FILE* stream, std::string_view text);

// Bytes this process has read and written through file calls since it began,
// all threads together; nullopt where the system does not say.
struct IoTotals {
    std::uint64_t read = 0;
    std::uint64_t written = 0;
};
std::optional<IoTotals> ProcessIoTotals();

}  // namespace tessarin
