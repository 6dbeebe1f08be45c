// Temporary names, shared by every platform; the clean-up's system calls are in
// posix/Temporaries.cpp and windows/Temporaries.cpp.
#include "core/platform/Temporaries.h"

namespace tessarin {

namespace {
constexpr std::string_view kMark = ".tessarin-";
constexpr std::string_view kEnd = ".tmp";
constexpr std::string_view kUndo = "undo";
constexpr std::string_view kUndoNew = "undo-new";

// Consumes one or more decimal digits at the front of text.
bool TakeNumber(std::string_view& text) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    text.remove_prefix(n);
    return n > 0;
}
}  // namespace

std::string TemporaryName(std::string_view name, unsigned long pid, int n) {
    return "." + std::string(name) + std::string(kMark) + std::to_string(pid) + "-" + std::to_string(n) +
           std::string(kEnd);
}

std::string UndoName(std::string_view name) { return "." + std::string(name) + std::string(kMark) + std::string(kUndo); }

std::string UndoNewName(std::string_view name) {
    return "." + std::string(name) + std::string(kMark) + std::string(kUndoNew);
}

namespace {
// ".NAME.tessarin-undo" or ".NAME.tessarin-undo-new", of name when it is not empty.
bool IsUndoName(std::string_view file, std::string_view name) {
    for (const std::string_view tail : {kUndo, kUndoNew}) {
        if (file.size() < 2 + kMark.size() + tail.size() || file.front() != '.' || !file.ends_with(tail)) continue;
        const std::string_view rest = file.substr(0, file.size() - tail.size());
        if (!rest.ends_with(kMark)) continue;
        const std::string_view owner = rest.substr(1, rest.size() - 1 - kMark.size());
        if (name.empty() || owner == name) return true;
    }
    return false;
}
}  // namespace

bool IsTemporaryName(std::string_view file, std::string_view name) {
    if (IsUndoName(file, name)) return true;
    // ".NAME.tessarin-PID-N.tmp": the tail is read from the end, since NAME may
    // hold ".tessarin-" itself.
    if (file.size() < 1 + kMark.size() + 3 + kEnd.size() || file.front() != '.' || !file.ends_with(kEnd)) return false;
    std::string_view rest = file.substr(0, file.size() - kEnd.size());
    std::size_t digits = 0;
    while (digits < rest.size() && rest[rest.size() - 1 - digits] >= '0' && rest[rest.size() - 1 - digits] <= '9')
        ++digits;
    if (digits == 0 || digits == rest.size() || rest[rest.size() - 1 - digits] != '-') return false;
    rest.remove_suffix(digits + 1);
    const std::size_t mark = rest.rfind(kMark);
    if (mark == std::string_view::npos || mark < 2) return false;  // NAME is never empty
    std::string_view pid = rest.substr(mark + kMark.size());
    if (!TakeNumber(pid) || !pid.empty()) return false;
    return name.empty() || rest.substr(1, mark - 1) == name;
}

}  // namespace tessarin
