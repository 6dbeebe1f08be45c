#ifndef _WIN32
#include "support/ChildPeak.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace tessarin::testing {

namespace {
// A "Vm...:" line of /proc/self/status in KiB, -1 when missing.
long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
    return -1;
}
}  // namespace

ChildPeak RunMeasuredInChild(const std::function<int()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        // The peak starts again at the present size, so only what the work adds counts.
        const int clear = ::open("/proc/self/clear_refs", O_WRONLY);
        const bool cleared = clear >= 0 && ::write(clear, "5", 1) == 1;
        const long start = StatusKiB(cleared ? "VmRSS:" : "VmHWM:");
        const long report[2] = {work(), StatusKiB("VmHWM:") - start};
        ::_exit(start >= 0 && ::write(channel[1], report, sizeof report) == sizeof report ? 0 : 1);
    }
    ::close(channel[1]);
    long report[2] = {};
    const bool got = child > 0 && ::read(channel[0], report, sizeof report) == sizeof report;
    ::close(channel[0]);
    int status = 0;
    if (child > 0) ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return {true, static_cast<int>(report[0]), report[1]};
}

}  // namespace tessarin::testing
#endif
