#include "core/platform/Terminal.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/platform/windows/Wide.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace tessarin {

namespace {

// The console stream leads to, or null when it leads to a file, a pipe or nothing.
HANDLE ConsoleOf(std::FILE* stream) {
    const int fd = ::_fileno(stream);
    if (fd < 0) return nullptr;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return nullptr;
    return handle;
}

}  // namespace

bool IsConsole(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

bool WriteText(std::FILE* stream, std::string_view text) {
    const HANDLE console = ConsoleOf(stream);
    if (console == nullptr) {
        const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
        return std::fflush(stream) == 0 && written;
    }
    if (std::fflush(stream) != 0) return false;  // what was written before goes first
    const std::wstring wide = win::Wide(std::string(text));
    // The console takes a limited amount in one call.
    constexpr std::size_t kChunk = 8192;
    for (std::size_t done = 0; done < wide.size();) {
        auto length = static_cast<DWORD>(std::min(kChunk, wide.size() - done));
        const wchar_t last = wide[done + length - 1];
        if (length > 1 && last >= 0xD800 && last < 0xDC00) --length;  // keep a surrogate pair together
        DWORD written = 0;
        if (!::WriteConsoleW(console, wide.data() + done, length, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

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
