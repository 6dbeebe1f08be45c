// The window's archive check: progress, the report of failing entries, the
// sound archive's message, and stopping.
#include <gtest/gtest.h>

#include "extract/Verify.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

TEST(VerifyArchiveTest, ReportsProblemsOrSoundness) {
    ArcPlan damaged;
    damaged.records = {Entry("good", 0x20, "fine"), Stored("bad", 0x20, "junk", 4), Stored("short", 0x20, Deflate("ab"), 9),
                       Stored("past", 0x20, "x", 1, 0x7FFFFFF0)};
    ArcPlan sound;
    sound.records = {Entry("a", 0x20, "a"), Entry("b", 0x20, "b")};
    const struct {
        const char* label;
        ArcPlan plan;
        int stopAt;  // stop requested once this many entries are checked; 0: never
        std::string summary;
        std::vector<std::string> lines;  // empty: a message box, no report
    } cases[] = {
        {"damaged", damaged, 0, "共 4 个条目，发现 3 处问题。",
         {"存储的数据不是完整的 zlib 数据流（数组取数据不正确。），KEY：bad.20",
          "解压后只有 2 字节，少于记录的原始大小 9 字节，KEY：short.20"}},
        {"sound", sound, 0, "共 2 个条目，未发现问题。", {}},
        {"stopped", damaged, 1, "检查已停止：已检查 1 / 4 个条目，", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        h.OpenArchive(c.plan);
        h.window.onDoEvents = [&] {
            EXPECT_FALSE(h.window.mainEnabled);
            if (c.stopAt > 0 && h.window.bars[2].value >= c.stopAt) h.window.stopRequested = true;
        };
        h.window.ClearLog();
        EXPECT_EQ(VerifyArchive(h.program), std::string(c.label) == "sound");
        EXPECT_TRUE(h.window.mainEnabled);
        EXPECT_FALSE(h.window.bars[2].visible);
        EXPECT_FALSE(h.window.longWork);
        if (c.lines.empty() && std::string(c.label) != "stopped") {
            EXPECT_EQ(h.window.log.back(), "MsgBox | " + c.summary + " | Information | 检查档案");
            continue;
        }
        ASSERT_EQ(h.window.reports.size(), 1u);
        EXPECT_EQ(h.window.reports[0].title, "检查档案");
        EXPECT_EQ(h.window.reports[0].summary.rfind(c.summary, 0), 0u) << h.window.reports[0].summary;
        const auto& lines = h.window.reports[0].lines;
        if (std::string(c.label) == "stopped") {
            EXPECT_EQ(h.window.bars[2].max, 4);
            EXPECT_EQ(lines.size(), 1u);  // the layout's, for the record past the end
            continue;
        }
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 2), c.lines);
        EXPECT_NE(lines[2].find("条目数据超出文件末尾"), std::string::npos) << lines[2];
    }
}

}  // namespace
}  // namespace tessarin::testing
