#pragma once
// Runs tessarin-cli as a process, built beside the test binaries (TESSARIN_BIN_DIR
// when set), with its stdout, stderr and exit code.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `tessarin-cli args` (args already quoted for the shell); stderr goes through dir.
inline CliRun Cli(const std::string& args, const TempDir& dir) {
    const char* bin = std::getenv("TESSARIN_BIN_DIR");
    const std::string command =
        (bin ? std::string(bin) : ProgramFolder()) + "/tessarin-cli " + args + " 2>'" + (dir / "stderr.txt") + "'";
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileBytes(dir / "stderr.txt");
    return run;
}

// A single-quoted shell word.
inline std::string Q(const std::string& s) { return "'" + s + "'"; }

}  // namespace tessarin::testing
