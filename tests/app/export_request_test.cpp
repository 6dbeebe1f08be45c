// Exports run from a request on a program without a window: what they report
// (progress, questions, messages) reaches the events they were given, and the
// events' answers steer them as a window's would. The recording window serves
// as those events.
#include <gtest/gtest.h>

#include <deque>

#include "app/OpenClose.h"
#include "extract/Export.h"
#include "support/FakeWindow.h"
#include "support/Listings.h"

namespace tessarin::testing {
namespace {

using Log = std::vector<std::string>;

TEST(ExportRequestTest, ReportsReachTheEventsAndTheirAnswersSteerTheWork) {
    const ArcPlan plan = Archive({Entry("a", 0x20, "one"), Entry("c", 0x20, "three"), Stored("bad", 0x20, "junk", 4)});
    const std::string failed = "AskAfterFailure | 导出文件时发生错误，KEY：bad.20\r\n\r\n数组取数据不正确。 | Tessarin";
    const std::string begun = "ProgressBegun | 10000", stopped = "MsgBox | 已停止导出，已导出的文件保留。 | Information | Tessarin";
    const FileTree all = {{"a.txt", "one"}, {"c.txt", "three"}, {"in.txt", "old"}};
    const struct {
        const char* label;
        bool all, yes, stop, ok;  // stop: asked from the start
        std::deque<FailureChoice> answers;
        Log log;  // progress items aside; {q}: the question before replacing a.txt
        FileTree files;
    } rows[] = {
        {"all, going on after the failure", true, true, false, false, {},
         {begun, failed, "ProgressEnded", "MsgBox | 全部资源文件导出完成。 | Information | Tessarin"}, all},
        {"all, stopping at the failure", true, true, false, false, {FailureChoice::Stop}, {begun, failed, "ProgressEnded", stopped}, all},
        {"all, stop asked", true, true, true, false, {}, {begun, "ProgressEnded", stopped}, {{"in.txt", "old"}}},
        {"one over a file, yes", false, true, false, true, {}, {"{q}", "MsgBox | 资源文件导出完成。 | Information | Tessarin"},
         {{"in.txt", "old"}, {"a.txt", "one"}}},
        {"one over a file, no", false, false, false, false, {}, {"{q}"}, {{"in.txt", "old"}, {"a.txt", "kept"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        WriteFileBytes(dir / "pack.ARC", BuildArc(plan));
        FakeWindow events;
        events.yesNoAnswers = {row.yes};
        events.failureAnswers = row.answers;
        events.stopRequested = row.stop;
        Program program(static_cast<OperationEvents&>(events));
        AddExtType(program.ExtTypes, "20", "txt");
        ASSERT_TRUE(OpenArchiveAt(program, dir / "pack.ARC"));
        const std::string out = dir / "out";
        WriteFiles(out, {{"in.txt", "old"}});
        if (!row.all) WriteFileBytes(out + "/a.txt", "kept");

        const ExportRequest request{out};
        EXPECT_EQ(row.all ? ExportEntries(program, request) : ExportOneEntry(program, request, "a.20"), row.ok);
        Log expected = row.log;
        if (!row.all) expected[0] = "AskYesNo | 文件已存在，是否替换？\r\n" + out + kNativeSeparator + "a.txt | Tessarin";
        Log shown = events.log;
        std::erase_if(shown, [](const std::string& line) { return line.rfind("SetWorkItems", 0) == 0; });
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(FilesBelow(out), row.files);
        if (row.all) { EXPECT_EQ(events.Calls("SetWorkItems").front(), "SetWorkItems | 0 | 3"); }
    }
}

}  // namespace
}  // namespace tessarin::testing
