// The window's archive check: progress, the report of failing entries, the
// sound archive's message, and stopping.
#include <gtest/gtest.h>

#include "extract/Verify.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

TEST(VerifyArchiveTest, ReportsProblemsOrSoundness) {
    // "cut": the 12 bytes of the stream but its 4-byte Adler-32 checksum.
    const ArcPlan damaged =
        Archive({Entry("good", 0x20, "fine"), Stored("bad", 0x20, "junk", 4), Stored("short", 0x20, Deflate("ab"), 9),
                 Stored("cut", 0x20, Deflate("abcd").substr(0, 8), 4), Stored("past", 0x20, "x", 1, 0x7FFFFFF0)});
    const ArcPlan sound = Archive({Entry("a", 0x20, "a"), Entry("b", 0x20, "b")});
    const std::size_t length = BuildArc(damaged).size();  // the layout's line, for the record past the end:
    const std::string past = "条目数据超出文件末尾（结束于 " + std::to_string(length - 1 + 0x7FFFFFF0) + "，文件长 " +
                             std::to_string(length) + " 字节），KEY：past.20";
    const struct {
        const char* label;
        ArcPlan plan;
        int stopAt;          // stop requested once this many entries are checked; 0: never
        std::string shown;   // the last call: the report (its title, summary and line count) or the closing message box
        std::vector<std::string> lines = {};  // the report's lines
    } cases[] = {
        {"damaged", damaged, 0, "ShowReport | 检查档案 | 共 5 个条目，发现 4 处问题。 | 4",
         {"存储的数据不是完整的 zlib 数据流（数组取数据不正确。），KEY：bad.20",
          "解压后只有 2 字节，少于记录的原始大小 9 字节，KEY：short.20",
          "存储的数据不完整：zlib 数据流在结束（含 Adler-32 校验）之前就已截断，KEY：cut.20", past}},
        {"sound", sound, 0, "MsgBox | 共 2 个条目，未发现问题。 | Information | 检查档案"},
        {"stopped", damaged, 1, "ShowReport | 检查档案 | 检查已停止：已检查 1 / 5 个条目，发现 1 处问题。 | 1", {past}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        h.OpenArchive(c.plan);
        h.window.onDoEvents = [&] {
            EXPECT_FALSE(h.window.mainEnabled);
            EXPECT_EQ(h.window.panels[1].rfind("正在检查 ", 0), 0u) << h.window.panels[1];
            if (c.stopAt > 0 && h.window.workDone >= static_cast<std::size_t>(c.stopAt)) h.window.stopRequested = true;
        };
        EXPECT_EQ(VerifyArchive(h.program), c.lines.empty());
        EXPECT_EQ(h.window.workTotal, c.plan.records.size());
        EXPECT_TRUE(h.window.mainEnabled && !h.window.bars[2].visible && !h.window.longWork) << "window left busy";
        EXPECT_EQ(h.window.panels[1], "发现 " + std::to_string(c.plan.records.size()) + " 个对象");
        EXPECT_EQ(h.window.log.back(), c.shown);
        ASSERT_EQ(h.window.reports.size(), c.lines.empty() ? 0u : 1u);
        for (const auto& report : h.window.reports) EXPECT_EQ(report.lines, c.lines);
    }
}

}  // namespace
}  // namespace tessarin::testing
