#pragma once
// Runs a program as a child process of the benchmark, its output discarded:
// whole-process figures (start-up included), as a user running it sees them.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace tessarin::bench {

struct ChildRun {
    double ms = 0;        // wall time from fork to exit
    long peakKiB = 0;     // the child's peak resident memory
    bool succeeded = false;  // exited with status 0
};

// args[0] is looked up on the PATH unless it holds a "/".
inline ChildRun RunChild(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    ChildRun run;
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace tessarin::bench
