#ifndef _WIN32
#include "support/ChildPeak.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace tessarin::testing {

namespace {

// A "Vm...:" line of /proc/self/status in KiB, -1 when missing.
long StatusKiB(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, std::strlen(field)) == 0) {
            kib = std::strtol(line + std::strlen(field), nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kib;
}

}  // namespace

ChildPeak RunMeasuredInChild(const std::function<int()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        // The peak starts again at the present size, so only what the work adds counts.
        const int clear = ::open("/proc/self/clear_refs", O_WRONLY);
        const bool cleared = clear >= 0 && ::write(clear, "5", 1) == 1;
        if (clear >= 0) ::close(clear);
        const long start = cleared ? StatusKiB("VmRSS:") : StatusKiB("VmHWM:");
        const long report[2] = {work(), StatusKiB("VmHWM:") - start};
        const bool sent = start >= 0 && ::write(channel[1], report, sizeof report) == sizeof report;
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    ChildPeak peak;
    long report[2] = {};
    const bool got = child > 0 && ::read(channel[0], report, sizeof report) == sizeof report;
    ::close(channel[0]);
    int status = 0;
    if (child > 0) ::waitpid(child, &status, 0);
    if (got && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        peak.ran = true;
        peak.result = static_cast<int>(report[0]);
        peak.addedKiB = report[1];
    }
    return peak;
}

}  // namespace tessarin::testing
#endif
