#pragma once
// Runs tessarin-cli as a process, built beside the test binaries (TESSARIN_BIN_DIR
// when set), with its stdout, stderr and exit code.
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A quoted word for the shell (sh on POSIX, cmd on Windows).
#ifdef _WIN32
inline std::string Q(const std::string& s) { return "\"" + s + "\""; }
#else
inline std::string Q(const std::string& s) { return "'" + s + "'"; }
#endif

inline std::string CliProgram() {
    const char* bin = std::getenv("TESSARIN_BIN_DIR");
    return (bin ? std::string(bin) : ProgramFolder()) + "/tessarin-cli";
}

// The companion's texts follow the locale and its type table may come from the
// user's configuration: each run starts from the C locale (Chinese) and no user
// table, whatever the environment the tests were started in. A test that wants
// either sets it on the command line.
inline void MakeEnvironmentDeterministic() {
    static const bool done = [] {
#ifdef _WIN32
        _putenv_s("APPDATA", "");
#else
        // A UTF-8 locale that asks for no language (the shell's quoting of
        // completions depends on the character set).
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) unsetenv(name);
        setenv("LANG", "C.UTF-8", 1);
        setenv("XDG_CONFIG_HOME", "/nonexistent/tessarin-tests", 1);
#endif
        return true;
    }();
    (void)done;
}

// Runs a shell command line; its stderr goes through dir.
inline CliRun RunShell(const std::string& commandLine, const TempDir& dir) {
    MakeEnvironmentDeterministic();
    const std::string command = commandLine + " 2>" + Q(dir / "stderr.txt");
    CliRun run;
#ifdef _WIN32
    // cmd /c drops the outermost quotes: one more pair keeps the command's own.
    const std::u16string wide = TextToUtf16("\"" + command + "\"");
    // Under Wine on a loaded machine, starting cmd.exe now and then fails before
    // anything runs; nothing has happened yet, so it is tried again.
    FILE* pipe = nullptr;
    for (int attempt = 0; attempt < 5 && !pipe; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200 * attempt));
        pipe = _wpopen(reinterpret_cast<const wchar_t*>(wide.c_str()), L"rb");
    }
#else
    FILE* pipe = popen(command.c_str(), "r");
#endif
    if (!pipe) {
        run.err = std::string("the shell could not be started: ") + std::strerror(errno);
        return run;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
#ifdef _WIN32
    run.exitCode = _pclose(pipe);
#else
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    run.err = ReadFileBytes(dir / "stderr.txt");
    return run;
}

// Runs `tessarin-cli args` (args already quoted with Q); shell runs first in the
// same shell (a limit to set, say).
inline CliRun Cli(const std::string& args, const TempDir& dir, const std::string& shell = "") {
    return RunShell(shell + Q(CliProgram()) + " " + args, dir);
}

}  // namespace tessarin::testing
