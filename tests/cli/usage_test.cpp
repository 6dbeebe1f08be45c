// The companion as a new user and a script meet it: messages that name the
// file and its cause in the locale's language, usage errors with exit code 2,
// the keys alone, sources from standard input, the user's own type table, and
// the window answering --version without a display.
#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "support/Listings.h"

namespace tessarin::testing {
namespace {

#ifndef _WIN32
ArcPlan TwoEntries() {
    return Archive({Entry("ui\\logo", 0x1A, "logo bytes"), Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x77, "table")});
}

// Which language a failure speaks, for each way of setting the locale; the
// missing archive is named in every one, and nothing is printed on stdout.
// Usage errors exit with 2 and name the word and the closest verb or option;
// --help and --version answer on stdout with 0. The user's own type table
// names the entries when it exists; --types still wins. Each key list --keys
// gives is taken back by cat as it stands; add and replace read "-" from
// standard input, and leave no copy of it behind.
TEST(CliUsageTest, MessagesUsageErrorsTypeTablesKeysAndStandardInput) {
    TempDir dir;
    WriteFiles(dir.path(), {{"plain.txt", "not an archive"}, {"a.arc", BuildArc(TwoEntries())},
                            {"config/Tessarin/ExtType.Dll", "1A:mine\r\n"}, {"types.txt", "1A:given\r\n"},
                            {"new.bin", std::string(70000, 'n') + "end"}});
    const std::string user = "XDG_CONFIG_HOME=" + Q(dir / "config") + " ";
    const struct {
        std::string environment, args;
        int exitCode;
        std::vector<std::string> err, out = {};  // words found in stderr and stdout, which are empty without
    } rows[] = {
        {"", "list gone.arc", 1, {"gone.arc", "不存在"}},
        {"LANG=en_US.UTF-8 ", "list gone.arc", 1, {"gone.arc", "does not exist"}},
        {"LANG=zh_CN.UTF-8 LC_MESSAGES=zh_CN.UTF-8 LC_ALL=en_US.UTF-8 ", "verify gone.arc", 1,
         {"gone.arc", "does not exist"}},
        {"LANG=en_US.UTF-8 LC_MESSAGES=zh_CN.UTF-8 ", "cat gone.arc k.1A", 1, {"gone.arc", "不存在"}},
        {"LANG=en_US.UTF-8 ", "list no/such/x.arc", 1, {"no/such/x.arc", "its folder does not exist"}},
        {"LC_ALL=en_US.UTF-8 ", "replace plain.txt k.1A plain.txt", 1, {"plain.txt", "not an ARC archive"}},
        {"", "lsit a.arc", 2, {"lsit", "list", "tessarin-cli"}},
        {"LC_ALL=en_US.UTF-8 ", "lsit", 2, {"unknown verb: lsit; did you mean list?"}},
        {"", "-q extarct a.arc out", 2, {"extarct", "extract"}},
        {"", "list", 2, {"ARCHIVE"}},
        {"", "", 2, {"list", "extract"}},
        {"", "list a.arc --jsno", 2, {"--jsno", "--json"}},
        {"", "list a.arc --keys --json", 2, {"--keys"}},
        {"", "cat a.arc ui\\\\logo.1A extra", 2, {"extra"}},
        {"", "--help", 0, {}, {"tessarin-cli", "list", "verify"}},
        {"", "list --help", 0, {}, {"tessarin-cli list", "--keys"}},
        {"", "--version", 0, {}, {"tessarin-cli 1."}},
        {"", "list a.arc", 0, {}, {"\tlogo.png\t"}},
        {user, "list a.arc", 0, {}, {"\tlogo.mine\t"}},
        {user, "list a.arc --types types.txt", 0, {}, {"\tlogo.given\t"}},
        {"", "cat a.arc '数据\\表.77'", 0, {}, {"table"}},
        {"", "add a.arc 'ui\\new.1A' - <new.bin", 0, {}},
        {"", "cat a.arc 'ui\\new.1A'", 0, {}, {std::string(70000, 'n') + "end"}},
        {"printf swapped | ", "replace a.arc 'ui\\logo.1A' -", 0, {"替换完成。"}},
        {"", "cat a.arc 'ui\\logo.1A'", 0, {}, {"swapped"}},
        {"printf again | ", "-q replace a.arc 'ui\\logo.1A' -", 0, {}},  // no message of success
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.environment + row.args);
        const CliRun run = RunShell("cd " + Q(dir.path()) + " && " + row.environment + Q(CliProgram()) + " " + row.args, dir);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        for (const std::string& word : row.err) EXPECT_NE(run.err.find(word), std::string::npos) << run.err;
        for (const std::string& word : row.out) EXPECT_NE(run.out.find(word), std::string::npos) << run.out;
        EXPECT_TRUE(!row.err.empty() || run.err.empty()) << run.err;
        EXPECT_TRUE(!row.out.empty() || run.out.empty()) << run.out;
    }
    EXPECT_EQ(Cli("list " + Q(dir / "a.arc") + " --keys", dir).out, "ui\\logo.1A\n数据\\表.77\nui\\new.1A\n");
    EXPECT_EQ(RunShell("ls /tmp | grep -c tessarin-stdin- || true", dir).out, "0\n");
}

// The window prints its version without a display and without Qt.
TEST(CliUsageTest, WindowAnswersVersionWithoutDisplay) {
    const std::string window = ProgramFolder() + "/tessarin";
    if (!FileExists(window)) GTEST_SKIP() << "the window is not built";
    TempDir dir;
    const CliRun run = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Q(window) + " --version", dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("tessarin 1.", 0), 0u) << run.out;
}
#endif

}  // namespace
}  // namespace tessarin::testing
