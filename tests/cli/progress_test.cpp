// The progress line of long verbs: its text and pace with a clock of the
// test's own, and the real program on a pseudo-terminal and with --quiet.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "cli/CliRunner.h"
#include "cli/TerminalProgress.h"

namespace tessarin::testing {
namespace {

using cli::TerminalProgress;

const std::string kErase = "\r\033[K";

TEST(TerminalProgressTest, RedrawsAtMostTenTimesASecondAndErasesOnce) {
    double now = 0;
    std::uint64_t bytes = 1000;
    std::vector<std::string> out;
    TerminalProgress p([&](const std::string& s) { out.push_back(s); }, [&] { return now; },
                       [&] { return std::optional<std::uint64_t>(bytes); });
    p.Update(1);  // before Start: nothing
    p.Start(10);
    p.Update(0);  // the first step is drawn at once
    now += 0.05, bytes += 1'100'000;
    p.Update(1);  // too soon
    now += 0.06;
    p.Update(2);  // 0.11 s after the first drawing: 1.1 MB in 0.11 s
    p.Clear();
    p.Clear();    // nothing shown any more
    p.Update(3);  // drawn again straight after a message
    p.Stop();
    p.Update(4);
    EXPECT_EQ(out, (std::vector<std::string>{kErase + "0/10 个条目   0%", kErase + "2/10 个条目  20%  10.0 MB/s  剩余 00:00",
                                             kErase, kErase + "3/10 个条目  30%  10.0 MB/s  剩余 00:00", kErase}));
}

// Long work that tells its entries beside the bar: they are counted, while the
// percentage and the time left follow the bar (the bytes).
TEST(TerminalProgressTest, CountsEntriesAndTakesThePercentageFromTheBar) {
    double now = 0;
    std::vector<std::string> out;
    TerminalProgress p([&](const std::string& s) { out.push_back(s); }, [&] { return now; },
                       [] { return std::optional<std::uint64_t>(); });
    p.Start(10000);
    p.SetEntries(1, 2);  // the first of two entries is done: a tenth of the bytes
    now += 1;
    p.Update(1000);
    now += 1;
    p.SetEntries(2, 2);
    p.Update(10000);
    EXPECT_EQ(out, (std::vector<std::string>{kErase + "1/2 个条目  10%  剩余 00:09", kErase + "2/2 个条目 100%  剩余 00:00"}));
}

#ifndef _WIN32
// Runs tessarin-cli with stderr on a new pseudo-terminal (stdout to /dev/null);
// what the terminal received.
std::string OnTerminal(std::vector<std::string> args, int& exitCode) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "openpty failed";
    args.insert(args.begin(), CliProgram());
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, STDERR_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(slave);
    std::string received;
    char buffer[4096];
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) received.append(buffer, static_cast<std::size_t>(n));
    close(master);  // read fails with EIO once the child's side is closed
    int status = 0;
    waitpid(pid, &status, 0);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return received;
}

TEST(CliProgressTest, DrawnOnATerminalOnlyAndErasedBeforeTheMessage) {
    TempDir dir;
    const std::string archive = dir / "many.ARC";
    ArcPlan many;
    for (int i = 0; i < 300; ++i) many.records.push_back(Entry("f\\" + std::to_string(i), 0x1A, std::string(2000, 'a' + i % 26)));
    WriteFileBytes(archive, BuildArc(many));
    WriteFileBytes(dir / "source.bin", "new data");
    const struct {
        const char* label;
        std::vector<std::string> args;
        std::string finalText;  // on the terminal after the line is erased, "\n" made "\r\n" ("" for nothing)
    } rows[] = {
        {"extract all", {"extract", archive, dir / "out"}, "全部资源文件导出完成。\r\n"},
        {"replace", {"replace", archive, "f\\7.1A", dir / "source.bin"}, "替换完成。\r\n"},
        {"verify, its report on stdout", {"verify", archive}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        int code = -1;
        const std::string terminal = OnTerminal(row.args, code);
        EXPECT_EQ(code, 0) << terminal;
        EXPECT_NE(terminal.find("/300 个条目"), std::string::npos) << terminal;
        EXPECT_EQ(terminal.substr(0, kErase.size()), kErase);
        const std::size_t last = terminal.rfind(kErase);
        ASSERT_NE(last, std::string::npos);
        EXPECT_EQ(terminal.substr(last), kErase + row.finalText);

        std::vector<std::string> quiet = row.args;
        quiet.insert(quiet.begin(), "--quiet");
        EXPECT_EQ(OnTerminal(quiet, code), "") << "quiet: no progress, no message of success";
        EXPECT_EQ(code, 0);
        // On a pipe nothing is drawn: the verbs' own tests read the whole of stderr.
    }
}
#endif

}  // namespace
}  // namespace tessarin::testing
