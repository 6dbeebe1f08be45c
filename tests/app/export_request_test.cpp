// Exports run from a request on a program without a window: what they report
// (progress, questions, messages) reaches the events they were given, and the
// events' answers steer them as a window's would.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "app/OpenClose.h"
#include "extract/Export.h"
#include "support/ArcBuilder.h"
#include "support/Listings.h"

namespace tessarin::testing {
namespace {

namespace fs = std::filesystem;

// Records every report as "Name | arg"; answers from scripts.
struct RecordedEvents : OperationEvents {
    std::vector<std::string> log;
    std::deque<FailureChoice> failureAnswers;  // empty: go on
    bool yes = true;
    int stopAtItem = -1;  // a stop is asked once this many items are done
    std::size_t itemsDone = 0;

    void MsgBox(const std::string& text, MsgIcon, const std::string&) override { log.push_back("MsgBox | " + text); }
    void ProgressBegun(int steps) override { log.push_back("Begun | " + std::to_string(steps)); }
    void ProgressItems(std::size_t done, std::size_t total) override {
        itemsDone = done;
        log.push_back("Items | " + std::to_string(done) + "/" + std::to_string(total));
    }
    void ProgressEnded() override { log.push_back("Ended"); }
    bool StopRequested() const override { return stopAtItem >= 0 && itemsDone >= static_cast<std::size_t>(stopAtItem); }
    FailureChoice AskAfterFailure(const std::string& text, const std::string&) override {
        log.push_back("AskAfterFailure | " + text.substr(0, text.find('\r')));
        if (failureAnswers.empty()) return FailureChoice::GoOn;
        const FailureChoice choice = failureAnswers.front();
        failureAnswers.pop_front();
        return choice;
    }
    bool AskYesNo(const std::string& text, const std::string&) override {
        log.push_back("AskYesNo | " + text.substr(0, text.find('\r')));
        return yes;
    }
    void ShowReport(const std::string&, const std::string& summary, const std::vector<std::string>&) override {
        log.push_back("ShowReport | " + summary.substr(0, summary.find('\r')));
    }
};

using Log = std::vector<std::string>;
const std::string kAllDone = "MsgBox | 全部资源文件导出完成。";
const std::string kStopped = "MsgBox | 已停止导出，已导出的文件保留。";

TEST(ExportRequestTest, ReportsReachTheEventsAndTheirAnswersSteerTheWork) {
    ArcPlan plan;
    plan.records = {Entry("a", 0x20, "one"), Entry("c", 0x20, "three"), Stored("bad", 0x20, "junk", 4)};
    const std::string failed = "AskAfterFailure | 导出文件时发生错误，KEY：bad.20";
    const struct {
        const char* label;
        bool all, raw, yes, ok;
        std::deque<FailureChoice> answers;
        int stopAtItem;
        Log log;  // progress items aside
        FileTree files;
    } rows[] = {
        {"all, going on after the failure", true, false, true, false, {}, -1, {"Begun | 10000", failed, "Ended", kAllDone},
         {{"a.txt", "one"}, {"c.txt", "three"}, {"in.txt", "old"}}},
        {"all, stopping at the failure", true, false, true, false, {FailureChoice::Stop}, -1,
         {"Begun | 10000", failed, "Ended", kStopped}, {{"a.txt", "one"}, {"c.txt", "three"}, {"in.txt", "old"}}},
        {"all, stop asked after the second", true, false, true, false, {}, 1, {"Begun | 10000", "Ended", kStopped},
         {{"a.txt", "one"}, {"c.txt", "three"}, {"in.txt", "old"}}},
        {"one over a file, yes", false, false, true, true, {}, -1, {"AskYesNo | 文件已存在，是否替换？", "MsgBox | 资源文件导出完成。"},
         {{"in.txt", "old"}, {"a.txt", "one"}}},
        {"one over a file, no", false, false, false, false, {}, -1, {"AskYesNo | 文件已存在，是否替换？"},
         {{"in.txt", "old"}, {"a.txt", "kept"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        WriteFileBytes(dir / "pack.ARC", BuildArc(plan));
        RecordedEvents events;
        events.yes = row.yes;
        events.failureAnswers = row.answers;
        events.stopAtItem = row.stopAtItem;
        Program program(events);
        AddExtType(program.ExtTypes, "20", "txt");
        ASSERT_TRUE(OpenArchiveAt(program, dir / "pack.ARC"));
        const std::string out = dir / "out";
        fs::create_directory(fs::path(out));
        WriteFileBytes(out + "/in.txt", "old");
        if (!row.all) WriteFileBytes(out + "/a.txt", "kept");

        const ExportRequest request{out, row.raw};
        const bool done = row.all ? ExportEntries(program, request) : ExportOneEntry(program, request, "a.20");
        Log shown;
        for (const std::string& line : events.log)
            if (line.rfind("Items", 0) != 0) shown.push_back(line);
        EXPECT_EQ(shown, row.log);
        EXPECT_EQ(done, row.ok);
        EXPECT_EQ(FilesBelow(out), row.files);
        if (row.all) EXPECT_EQ(events.log[1], "Items | 0/3");
    }
}

}  // namespace
}  // namespace tessarin::testing
