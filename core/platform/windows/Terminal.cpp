#include "core/platform/Terminal.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace tessarin {

bool StandardErrorIsTerminal() {
    if (!::_isatty(::_fileno(stderr))) return false;
    const HANDLE h = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode))
        ::SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    return true;
}

std::optional<IoTotals> ProcessIoTotals() {
    IO_COUNTERS counters{};
    if (!::GetProcessIoCounters(::GetCurrentProcess(), &counters)) return std::nullopt;
    return IoTotals{counters.ReadTransferCount, counters.WriteTransferCount};
}

}  // namespace tessarin
