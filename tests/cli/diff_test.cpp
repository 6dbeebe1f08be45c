// tessarin-cli diff and merge run as a process: the lines, the exit codes of
// diff and cmp, the JSON list, a patch written and merged until diff finds
// only the archive's own entries, and a damaged patch refused.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/CliRunner.h"
#include "support/Listings.h"

namespace tessarin::testing {
namespace {

const std::string kChinese = "\xCA\xFD\xBE\xDD\\\xB1\xED";  // 数据\表, code page 936

ArcPlan Old() {
    return Archive({Entry("ui\\logo", 0x1A, "logo"), Entry(kChinese, 0x77, "old table"), Entry("gone", 0x20, "g"),
                    Entry("pic", 0x20, "retyped"), Entry("same", 1, "same")});
}

ArcPlan New() {
    return Archive({Entry("added", 0x20, "new"), Entry("same", 1, "same"), Entry("pic", 0x1A, "retyped"),
                    Stored("ui\\logo", 0x1A, StoredBlocks("logo"), 4), Entry(kChinese, 0x77, "new table")});
}

std::string Native(const std::string& utf8) { return TextToNative(utf8); }

// The differences as lines and exit codes, then as a JSON list.
TEST(CliDiffTest, LinesJsonAndExitCodes) {
    TempDir dir;
    ArcPlan damaged = Old();
    damaged.records[1] = Stored(kChinese, 0x77, "no stream", 9);
    WriteFiles(dir.path(),
               {{"old.arc", BuildArc(Old())}, {"new.arc", BuildArc(New())}, {"damaged.arc", BuildArc(damaged)}});
    const struct {
        const char* label;
        std::string args;
        int exitCode;
        std::string out;
        std::string err;  // found in stderr
    } rows[] = {
        {"the same archive", "old.arc old.arc", 0, "", ""},
        {"differences", "old.arc new.arc", 1,
         Native("+added.20\n+pic.1A\n~数据\\表.77\n-gone.20\n-pic.20\n"), ""},
        {"a damaged entry", "damaged.arc old.arc", 2, Native("!数据\\表.77\n"), "damaged.arc"},
        {"a missing archive", "old.arc missing.arc", 2, "", "missing.arc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::size_t space = row.args.find(' ');
        const CliRun run = Cli("diff " + Q(dir / row.args.substr(0, space)) + " " + Q(dir / row.args.substr(space + 1)), dir);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        EXPECT_EQ(run.out, row.out);
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    }
    const CliRun run = Cli("diff --json " + Q(dir / "old.arc") + " " + Q(dir / "new.arc"), dir);
    ASSERT_EQ(run.exitCode, 1) << run.err;
    const auto list = nlohmann::json::parse(run.out);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], nlohmann::json::parse(R"({"key":"added.20","change":"added","sizeA":null,"sizeB":3,
        "storedSizeA":null,"storedSizeB":)" + std::to_string(Deflate("new").size()) + "}"));
    EXPECT_EQ(list[2]["key"], "数据\\表.77");
    EXPECT_EQ(list[2]["change"], "changed");
    EXPECT_EQ(list[2]["sizeA"], 9);
    EXPECT_EQ(list[4]["change"], "removed");
}

TEST(CliDiffTest, PatchMergedLeavesOnlyTheArchivesOwnEntries) {
    TempDir dir;
    WriteFiles(dir.path(), {{"old.arc", BuildArc(Old())}, {"new.arc", BuildArc(New())}});
    const std::string old = Q(dir / "old.arc"), patch = Q(dir / "patch.arc");
    ASSERT_EQ(Cli("diff " + old + " " + Q(dir / "new.arc") + " --patch " + patch, dir).exitCode, 1);
    // A name that is taken is not written over.
    EXPECT_EQ(Cli("diff " + old + " " + Q(dir / "new.arc") + " --patch " + old, dir).exitCode, 2);
    EXPECT_EQ(ReadFileBytes(dir / "old.arc"), BuildArc(Old()));
    const std::string merged = Native("数据\\表.77\n+added.20\n+pic.1A\n");
    const CliRun dry = Cli("merge " + old + " " + patch + " --dry-run", dir);
    EXPECT_EQ(dry.out, merged);
    EXPECT_EQ(ReadFileBytes(dir / "old.arc"), BuildArc(Old()));
    const CliRun merge = Cli("merge " + old + " " + patch, dir);
    ASSERT_EQ(merge.exitCode, 0) << merge.err;
    EXPECT_EQ(merge.out, merged);
    const CliRun after = Cli("diff " + old + " " + Q(dir / "new.arc"), dir);
    EXPECT_EQ(after.exitCode, 1);
    EXPECT_EQ(after.out, "-gone.20\n-pic.20\n");
    EXPECT_EQ(Cli("verify " + old, dir).exitCode, 0);
    // A damaged patch is refused (that nothing is written, the merge's own tests show).
    WriteFileBytes(dir / "bad.arc", BuildArc(Archive({Entry("fine", 1, "f"), Stored("broken", 1, "no stream", 5)})));
    const CliRun refused = Cli("merge " + old + " " + Q(dir / "bad.arc"), dir);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("broken.1"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace tessarin::testing
