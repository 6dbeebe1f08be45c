// tessarin-cli import, run as a process: the keys printed, the files skipped,
// the exit code, and the archive written or left alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRunner.h"

namespace tessarin::testing {
namespace {

ArcPlan Archive() {
    ArcPlan layout;
    layout.records = {Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\deep\\doc", 0x20, "text"), Entry("top", 5, "top")};
    return layout;
}

TEST(CliImportTest, PrintsReplacedKeysAndSkippedFiles) {
    const struct {
        const char* label;
        std::string options;
        std::vector<std::pair<std::string, std::string>> files;  // below the folder
        int exitCode;
        std::string out, errPart;
        bool archiveChanged;
    } cases[] = {
        {"changed and identical files", "", {{"ui/logo.png", "new"}, {"ui/deep/doc.txt", "text"}, {"top.5", "t2"}},
         0, "ui\\logo.1A\ntop.5\n", "", true},
        {"dry run writes nothing", "--dry-run", {{"ui/logo.png", "new"}}, 0, "ui\\logo.1A\n", "", false},
        {"unmatched files named on stderr", "", {{"ui/logo.txt", "?"}}, 0, "", "没有对应的对象，已跳过：ui/logo.txt",
         false},
        {"missing folder", "", {}, 1, "", "无法读取目录：", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        WriteFileBytes(dir / "pack.ARC", BuildArc(Archive()));
        WriteFileBytes(dir / "types.txt", "1A:png\r\n20:txt\r\n");
        for (const auto& [name, bytes] : c.files) {
            std::filesystem::create_directories(std::filesystem::path(dir / ("in/" + name)).parent_path());
            WriteFileBytes(dir / ("in/" + name), bytes);
        }
        const std::string before = ReadFileBytes(dir / "pack.ARC");
        const CliRun run = Cli("import " + Q(dir / "pack.ARC") + " " + Q(dir / "in") + " --types " +
                                   Q(dir / "types.txt") + " " + c.options,
                               dir);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.errPart), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileBytes(dir / "pack.ARC") != before, c.archiveChanged);
        if (c.archiveChanged) {
            const CliRun verify = Cli("verify " + Q(dir / "pack.ARC"), dir);
            EXPECT_EQ(verify.exitCode, 0) << verify.out;
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
