// The companion as a new user and a script meet it: messages that name the
// file and its cause in the locale's language, usage errors with exit code 2,
// the keys alone, sources from standard input, the user's own type table, and
// the window answering --version without a display.
#include <gtest/gtest.h>

#include "cli/CliRunner.h"

namespace tessarin::testing {
namespace {

#ifndef _WIN32
ArcPlan TwoEntries() {
    return Archive({Entry("ui\\logo", 0x1A, "logo bytes"), Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x77, "table")});
}

// Which language a failure speaks, for each way of setting the locale; the
// missing archive is named in every one, and nothing is printed on stdout.
TEST(CliUsageTest, MessagesNameTheFileInTheLocalesLanguage) {
    TempDir dir;
    WriteFileBytes(dir / "plain.txt", "not an archive");
    const struct {
        const char* name;
        std::string environment, args, file, words;
    } rows[] = {
        {"no locale", "", "list gone.arc", "gone.arc", "不存在"},
        {"en_US", "LANG=en_US.UTF-8 ", "list gone.arc", "gone.arc", "does not exist"},
        {"LC_ALL first", "LANG=zh_CN.UTF-8 LC_MESSAGES=zh_CN.UTF-8 LC_ALL=en_US.UTF-8 ", "verify gone.arc", "gone.arc",
         "does not exist"},
        {"LC_MESSAGES before LANG", "LANG=en_US.UTF-8 LC_MESSAGES=zh_CN.UTF-8 ", "cat gone.arc k.1A", "gone.arc",
         "不存在"},
        {"folder missing", "LANG=en_US.UTF-8 ", "list no/such/x.arc", "no/such/x.arc", "its folder does not exist"},
        {"not an archive, English", "LC_ALL=en_US.UTF-8 ", "replace plain.txt k.1A plain.txt", "plain.txt",
         "not an ARC archive"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun run = RunShell("cd " + Q(dir.path()) + " && " + row.environment + Q(CliProgram()) + " " + row.args, dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(row.file), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(row.words), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

// Usage errors exit with 2 and name the word and the closest verb or option;
// --help and --version answer on stdout with 0.
TEST(CliUsageTest, UsageErrorsHelpAndVersion) {
    TempDir dir;
    WriteFileBytes(dir / "a.arc", BuildArc(TwoEntries()));
    const struct {
        std::string args;
        int exitCode;
        std::vector<std::string> err, out;
    } rows[] = {
        {"lsit a.arc", 2, {"lsit", "list", "tessarin-cli"}, {}},
        {"-q extarct a.arc out", 2, {"extarct", "extract"}, {}},
        {"list", 2, {"ARCHIVE"}, {}},
        {"", 2, {"list", "extract"}, {}},
        {"list a.arc --jsno", 2, {"--jsno", "--json"}, {}},
        {"list a.arc --keys --json", 2, {"--keys"}, {}},
        {"cat a.arc ui\\\\logo.1A extra", 2, {"extra"}, {}},
        {"--help", 0, {}, {"tessarin-cli", "list", "verify"}},
        {"list --help", 0, {}, {"tessarin-cli list", "--keys"}},
        {"--version", 0, {}, {"tessarin-cli 1."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const CliRun run = RunShell("cd " + Q(dir.path()) + " && " + Q(CliProgram()) + " " + row.args, dir);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        for (const std::string& word : row.err) EXPECT_NE(run.err.find(word), std::string::npos) << run.err;
        for (const std::string& word : row.out) EXPECT_NE(run.out.find(word), std::string::npos) << run.out;
        EXPECT_EQ(row.exitCode == 0, run.err.empty()) << run.err;
    }
    const CliRun english = RunShell("LC_ALL=en_US.UTF-8 " + Q(CliProgram()) + " lsit", dir);
    EXPECT_NE(english.err.find("unknown verb: lsit; did you mean list?"), std::string::npos) << english.err;
}

// list --keys gives each key on its own line, and each one is taken back by
// cat as it stands; add and replace read "-" from standard input.
TEST(CliUsageTest, KeysAndStandardInputForScripts) {
    TempDir dir;
    const std::string arc = Q(dir / "a.arc");
    WriteFileBytes(dir / "a.arc", BuildArc(TwoEntries()));
    WriteFileBytes(dir / "new.bin", std::string(70000, 'n') + "end");
    const CliRun keys = Cli("list " + arc + " --keys", dir);
    ASSERT_EQ(keys.exitCode, 0) << keys.err;
    EXPECT_EQ(keys.out, "ui\\logo.1A\n数据\\表.77\n");
    EXPECT_EQ(Cli("cat " + arc + " " + Q("数据\\表.77"), dir).out, "table");

    EXPECT_EQ(Cli("add " + arc + " " + Q("ui\\new.1A") + " - <" + Q(dir / "new.bin"), dir).exitCode, 0);
    EXPECT_EQ(Cli("cat " + arc + " " + Q("ui\\new.1A"), dir).out, std::string(70000, 'n') + "end");
    const CliRun replaced = RunShell("printf swapped | " + Q(CliProgram()) + " replace " + arc + " " + Q("ui\\logo.1A") + " -", dir);
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(Cli("cat " + arc + " " + Q("ui\\logo.1A"), dir).out, "swapped");
    // Success messages go with -q; the copy of standard input goes too.
    EXPECT_NE(replaced.err, "");
    const CliRun quiet = RunShell("printf again | " + Q(CliProgram()) + " -q replace " + arc + " " + Q("ui\\logo.1A") + " -", dir);
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(RunShell("ls /tmp | grep -c tessarin-stdin- || true", dir).out, "0\n");
}

// The user's own table names the entries when it exists; --types still wins.
TEST(CliUsageTest, TheUsersOwnTypeTable) {
    TempDir dir;
    const std::string arc = Q(dir / "a.arc");
    WriteFileBytes(dir / "a.arc", BuildArc(TwoEntries()));
    std::filesystem::create_directories(dir / "config/Tessarin");
    WriteFileBytes(dir / "config/Tessarin/ExtType.Dll", "1A:mine\r\n");
    WriteFileBytes(dir / "types.txt", "1A:given\r\n");
    const std::string user = "XDG_CONFIG_HOME=" + Q(dir / "config") + " ";
    EXPECT_NE(RunShell(user + Q(CliProgram()) + " list " + arc, dir).out.find("logo.mine"), std::string::npos);
    EXPECT_NE(RunShell(user + Q(CliProgram()) + " list " + arc + " --types " + Q(dir / "types.txt"), dir)
                  .out.find("logo.given"),
              std::string::npos);
    EXPECT_EQ(RunShell(Q(CliProgram()) + " list " + arc, dir).out.find("logo.mine"), std::string::npos);
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
