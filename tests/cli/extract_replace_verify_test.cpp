// tessarin-cli extract, replace and verify, run as a process on archives built
// byte by byte: the files written, the archive rewritten, the problems found,
// the exit codes and the program's messages on stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::ArcPlan;
using testing::Entry;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun Cli(const std::string& args, const TempDir& dir) {
    // The companion is built beside the test binaries.
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

std::string Q(const std::string& s) { return "'" + s + "'"; }

ArcPlan Archive() {
    ArcPlan layout;
    layout.records = {Entry("ui\\logo", 0x1A, "logo bytes, logo bytes"), Entry("ui\\deep\\doc", 0x20, "a text file"),
                    Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x77, std::string(5000, 'z'))};  // 数据\表
    layout.gap = "gap!";
    return layout;
}

struct Fixture {
    TempDir dir;
    std::string archive = dir / "pack.ARC";
    std::string types = dir / "types.txt";
    explicit Fixture(const ArcPlan& layout) {
        WriteFileBytes(archive, BuildArc(layout));
        WriteFileBytes(types, "1A:png\r\n20:txt\r\n");
    }
};

TEST(CliExtractTest, AllEntriesInflatedOrRawInTheArchivesFolders) {
    for (bool raw : {false, true}) {
        SCOPED_TRACE(raw ? "raw" : "inflated");
        Fixture f(Archive());
        const CliRun run = Cli("extract " + Q(f.archive) + " " + Q(f.dir / "out") + " --types " + Q(f.types) +
                                (raw ? " --raw" : ""),
                            f.dir);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "全部资源文件导出完成。\n");
        const ArcPlan layout = Archive();
        auto expect = [&](const std::string& file, std::size_t record, const std::string& plain) {
            EXPECT_EQ(ReadFileBytes(f.dir / ("out/" + file)), raw ? layout.records[record].data : plain) << file;
        };
        expect("ui/logo.png", 0, "logo bytes, logo bytes");
        expect("ui/deep/doc.txt", 1, "a text file");
        expect("\xE6\x95\xB0\xE6\x8D\xAE/\xE8\xA1\xA8.77", 2, std::string(5000, 'z'));
    }
}

TEST(CliExtractTest, NamedKeysGoStraightIntoDest) {
    Fixture f(Archive());
    const CliRun run = Cli("extract " + Q(f.archive) + " " + Q(f.dir / "out") + " --raw --types " + Q(f.types) +
                            " 'ui\\deep\\doc.20' 'ui\\logo.1A'",
                        f.dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "资源文件导出完成。\n资源文件导出完成。\n");
    EXPECT_EQ(ReadFileBytes(f.dir / "out/doc.txt"), Archive().records[1].data);
    EXPECT_EQ(ReadFileBytes(f.dir / "out/logo.png"), Archive().records[0].data);
}

TEST(CliExtractTest, FailuresGiveExitOneAndTheRestIsStillDone) {
    ArcPlan damaged = Archive();
    damaged.records[0].data = "not a zlib stream at all";
    struct Row {
        const char* name;
        ArcPlan layout;
        std::string keys;
        std::string errPart;
        const char* stillWritten;  // a file the run must still write, or nullptr
    };
    const Row rows[] = {
        {"unknown key", Archive(), " 'nope.1A' 'ui\\logo.1A'", "档案中没有这个条目，KEY：nope.1A", "out/logo.png"},
        {"folder key", Archive(), " 'ui\\'", "档案中没有这个条目，KEY：ui\\", nullptr},
        {"damaged entry, all", damaged, "", "数组取数据不正确。\n导出文件时发生错误，KEY：ui\\logo.1A",
         "out/ui/deep/doc.txt"},
        {"damaged entry, by key", damaged, " 'ui\\logo.1A'", "数组取数据不正确。", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f(row.layout);
        const CliRun run =
            Cli("extract " + Q(f.archive) + " " + Q(f.dir / "out") + " --types " + Q(f.types) + row.keys, f.dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(row.errPart), std::string::npos) << run.err;
        if (row.stillWritten) EXPECT_TRUE(std::ifstream(f.dir / row.stillWritten).good()) << row.stillWritten;
    }
}

TEST(CliOpenFailureTest, EveryVerbShowsTheOpeningTexts) {
    TempDir dir;
    WriteFileBytes(dir / "bad.ARC", std::string("arc\0 not an archive", 19));
    WriteFileBytes(dir / "src", "x");
    for (const std::string verb : {"extract " + Q(dir / "bad.ARC") + " " + Q(dir / "out"),
                                   "replace " + Q(dir / "bad.ARC") + " a.1 " + Q(dir / "src"),
                                   "verify " + Q(dir / "bad.ARC")}) {
        SCOPED_TRACE(verb);
        const CliRun run = Cli(verb, dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "文件类型不正确\n");
    }
    const CliRun missing = Cli("verify " + Q(dir / "absent.ARC"), dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("发现未知的错误,错误编号:53"), std::string::npos) << missing.err;
}

TEST(CliReplaceTest, RewritesExactlyTheExpectedArchive) {
    Fixture f(Archive());
    const std::string source = "brand new contents of the table, " + std::string(300, 'q');
    WriteFileBytes(f.dir / "src.bin", source);
    const CliRun run = Cli("replace " + Q(f.archive) + " 'ui\\deep\\doc.20' " + Q(f.dir / "src.bin"), f.dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "替换完成。\n");

    ArcPlan expected = Archive();
    expected.version = 7;
    expected.gap = std::string(4, '\0');
    expected.records[1] = Entry("ui\\deep\\doc", 0x20, source);
    EXPECT_EQ(ReadFileBytes(f.archive), BuildArc(expected));

    const CliRun verify = Cli("verify " + Q(f.archive), f.dir);
    EXPECT_EQ(verify.exitCode, 0) << verify.out;
}

TEST(CliReplaceTest, RefusalsLeaveTheArchiveUntouched) {
    ArcPlan outOfOrder = Archive();
    outOfOrder.records[2].offset = 8 + 3 * 80;  // inside the gap, before the first entry's data
    struct Row {
        const char* name;
        ArcPlan layout;
        std::string key;
        std::string errPart;
    };
    const Row rows[] = {
        {"unknown key", Archive(), "nope.1A", "档案中没有这个条目，KEY：nope.1A"},
        {"layout", outOfOrder, "ui\\logo.1A", "档案的数据布局不符合替换的要求，档案未作改动："},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f(row.layout);
        WriteFileBytes(f.dir / "src.bin", "new");
        const std::string before = ReadFileBytes(f.archive);
        const CliRun run = Cli("replace " + Q(f.archive) + " " + Q(row.key) + " " + Q(f.dir / "src.bin"), f.dir);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(row.errPart), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileBytes(f.archive), before);
    }
    Fixture f(Archive());
    const CliRun missing = Cli("replace " + Q(f.archive) + " 'ui\\logo.1A' " + Q(f.dir / "absent"), f.dir);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("无法读取替换文件："), std::string::npos) << missing.err;
}

TEST(CliVerifyTest, ListsEachProblem) {
    ArcPlan layout = Archive();
    layout.records[0].data = "garbage garbage";                  // not a stream
    layout.records[1].orgSize = 50;                              // inflates to 11 bytes only
    layout.records[2].orgSize = 10;                              // inflates to more than recorded
    layout.records.push_back(Entry("late", 1, "beyond"));
    layout.records.back().storedSize = 4000;                     // runs past the end of the file
    Fixture f(layout);
    const CliRun run = Cli("verify " + Q(f.archive), f.dir);
    EXPECT_EQ(run.exitCode, 1);
    for (const char* part : {"存储的数据不是完整的 zlib 数据流（数组取数据不正确。），KEY：ui\\logo.1A",
                             "解压后只有 11 字节，少于记录的原始大小 50 字节，KEY：ui\\deep\\doc.20",
                             "解压后的数据多于记录的原始大小（缓冲过小，请检查。），KEY：",
                             "条目数据超出文件末尾", "共 4 个条目，发现 4 处问题。"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;

    Fixture good(Archive());
    const CliRun ok = Cli("verify " + Q(good.archive), good.dir);
    EXPECT_EQ(ok.exitCode, 0) << ok.out;
    EXPECT_EQ(ok.out, "共 3 个条目，未发现问题。\n");
}

}  // namespace
}  // namespace tessarin
