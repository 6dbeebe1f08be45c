#include "core/platform/Terminal.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace tessarin {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool IsConsole(std::FILE*) { return false; }

bool WriteText(std::FILE* stream, std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}

std::optional<IoTotals> ProcessIoTotals() {
    // rchar and wchar count every read and write call (copy_file_range too),
    // whether or not the data came from or reached the disk itself.
    std::FILE* f = std::fopen("/proc/self/io", "r");
    if (!f) return std::nullopt;
    IoTotals totals;
    int found = 0;
    char name[32];
    unsigned long long value = 0;
    while (std::fscanf(f, "%31[^:]: %llu\n", name, &value) == 2) {
        if (std::strcmp(name, "rchar") == 0) totals.read = value, ++found;
        if (std::strcmp(name, "wchar") == 0) totals.written = value, ++found;
    }
    std::fclose(f);
    if (found != 2) return std::nullopt;
    return totals;
}

}  // namespace tessarin
