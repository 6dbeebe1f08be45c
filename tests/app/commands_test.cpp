#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/Commands.h"
#include "core/platform/VbError.h"
#include "state/LongWork.h"
#include "app/WindowHarness.h"

namespace tessarin {
namespace {

// Each menu item and toolbar button, with an archive open, its one entry selected and
// every picker cancelling: the command's first window call ("" for none at all).
TEST(CommandRouting, MenuItemsAndToolbarButtonsStartTheirCommands) {
    const struct {
        const char* menuItem;  // nullptr: no menu item
        int button;            // 0: no toolbar button
        std::string firstCall;
    } routes[] = {
        {"nopen", 1, "ShowOpenDialog | 4097 | ARC文件 (*.ARC)|*.ARC | "},
        {"nclose", 2, "SetPanelText | 1 | 就绪"},
        {"nalle", 4, "BrowseForFolder | 4097 | 导出全部资源文件： \r\n请选择要保存的资源文件的目录 |  | 64"},
        {"nexport", 5, "BrowseForFolder | 4097 | 选保存文件的目录 |  | 64"},
        {"nimport", 6, "ShowOpenDialog | 4097 | 所有文件 *.*|*.* | 替换readme.txt:"},
        {"nproperty", 8, "Showinfo | readme.txt | 20 | txt | "},
        {"nverify", 0, "SetProgressVisible | 2 | true"},
        {"nimportdir", 0, "BrowseForFolder | 4097 | 选择要导入的目录（按全部导出的目录结构） |  | 64"},
        {"nexit", 0, "EndProgram"},
        {"nabout", 0, "ShowAbout"},
        {nullptr, 3, ""}, {nullptr, 7, ""}, {nullptr, 0, ""}, {nullptr, 9, ""}, {"nfile", 0, ""}, {"NOPEN", 0, ""},
    };
    const testing::ArcPlan plan = testing::Archive({testing::Entry("readme", 0x20, "hello")});
    for (const auto& route : routes)
    for (const bool viaMenu : {true, false}) {
        // Buttons are tried for every route with a button or without a menu item.
        if (viaMenu ? route.menuItem == nullptr : route.menuItem != nullptr && route.button == 0) continue;
        SCOPED_TRACE(viaMenu ? std::string(route.menuItem) : "button " + std::to_string(route.button));
        testing::WindowHarness h;
        h.OpenArchive(plan);
        h.SelectNode("readme.20");
        h.window.ClearLog();
        if (viaMenu) MenuClick(h.program, route.menuItem);
        else ToolbarClick(h.program, route.button);
        EXPECT_EQ(h.program.ending, route.firstCall == "EndProgram");
        // The first call, cut to the expected one's length; whole when none is expected.
        const auto& log = h.window.log;
        const std::size_t length = route.firstCall.empty() ? std::string::npos : route.firstCall.size();
        EXPECT_EQ(log.empty() ? "" : log.front().substr(0, length), route.firstCall);
    }
}

// Closing the window while long work runs: the work stops, and the archive's
// file stays open until the command has returned (its reader threads may still
// read it); then the files and the window close. Nothing is written.
TEST(CommandRouting, EndingDuringLongWorkClosesTheFilesOnlyOnceTheCommandReturned) {
    // The menu item, and whether to end only once the rewrite runs (import: after its question).
    const std::pair<const char*, bool> cases[] = {{"nalle", false}, {"nverify", false}, {"nimportdir", false},
                                                  {"nimportdir", true}};
    testing::ArcPlan plan;
    for (int i = 0; i < 24; ++i)
        plan.records.push_back(
            testing::Entry("f\\e" + std::to_string(i), 0x20, std::string(4000 + 97 * i, 'a' + i % 26)));
    for (const auto& [item, afterQuestion] : cases) {
        SCOPED_TRACE(std::string(item) + (afterQuestion ? " (rewrite)" : ""));
        testing::WindowHarness h;
        const std::string path = h.OpenArchive(plan), before = testing::ReadFileBytes(path);
        std::filesystem::create_directories(h.dir / "in/f");
        for (int i = 0; i < 24; ++i) testing::WriteFileBytes(h.dir / ("in/f/e" + std::to_string(i) + ".txt"), "new");
        h.window.folderAnswers.push_back(h.dir / "in");
        h.window.yesNoAnswers.push_back(true);
        std::vector<bool> openWhileRunning;
        h.window.onDoEvents = [&] {
            if (afterQuestion && h.window.Calls("AskYesNo").empty()) return;
            h.program.EndProgram();
            openWhileRunning.push_back(h.program.ArchiveIsOpen());
        };
        MenuClick(h.program, item);
        // At least one event pump came, and the archive was open at each.
        EXPECT_EQ(openWhileRunning, std::vector<bool>(std::max<std::size_t>(openWhileRunning.size(), 1), true));
        EXPECT_TRUE(h.window.ended && !h.program.ArchiveIsOpen());
        EXPECT_EQ(h.window.Calls("MsgBox"), std::vector<std::string>{});
        EXPECT_EQ(testing::ReadFileBytes(path), before);
    }
}

// Status panel 1 during long work: how many items are done, and the time left
// from the share of the bytes done, once a second has passed and something is left.
TEST(LongWorkText, CountsItemsAndTellsTheTimeLeftFromTheBytes) {
    EXPECT_EQ(LongWork::ProgressText("正在导出", 0, 1500, 0.0, 0.0), "正在导出 0 / 1500");
    EXPECT_EQ(LongWork::ProgressText("正在导出", 120, 1500, 0.08, 1.0), "正在导出 120 / 1500，剩余约 12 秒");
    // The last item holds nearly all the bytes: half the items, a tenth of the time left.
    EXPECT_EQ(LongWork::ProgressText("正在导出", 750, 1500, 0.9, 9.0), "正在导出 750 / 1500，剩余约 1 秒");
    EXPECT_EQ(LongWork::ProgressText("正在导出", 1, 2, 0.05, 5.0), "正在导出 1 / 2，剩余约 95 秒");
    EXPECT_EQ(LongWork::ProgressText("正在导出", 750, 1500, 0.5, 0.5), "正在导出 750 / 1500");
    EXPECT_EQ(LongWork::ProgressText("正在导出", 1500, 1500, 1.0, 30.0), "正在导出 1500 / 1500");
}

// Bar 2 follows the bytes of the work, panel 1 and the items told beside the
// bar count the items: a last item that holds nearly all the bytes is most of the bar.
TEST(LongWorkProgress, TheBarFollowsTheBytesAndThePanelCountsTheItems) {
    testing::WindowHarness h;
    // The bar's value and the items told beside it.
    const auto shown = [&] { return std::tuple(h.window.bars[2].value, h.window.workDone, h.window.workTotal); };
    {
        LongWork work(h.program, "正在导出", std::vector<std::uint64_t>{10, 10, 980});
        EXPECT_EQ(h.window.bars[2].max, LongWork::kBarSteps);
        work.Advance(2);
        EXPECT_EQ(shown(), std::tuple(200, 2u, 3u));
        work.ShowPartial(480);  // half of the last item's bytes
        EXPECT_EQ(h.window.bars[2].value, 5000);
        work.Advance(3);
        EXPECT_EQ(shown(), std::tuple(10000, 3u, 3u));
        EXPECT_EQ(h.window.panels[1], "正在导出 3 / 3");
    }
    {
        LongWork work(h.program, "正在写入档案", 4, 2000);
        work.Advance(1, 500);
        EXPECT_EQ(h.window.bars[2].value, 2500);
        work.AdvanceBytes(1000);
        work.ShowPartial(500);
        EXPECT_EQ(shown(), std::tuple(7500, 1u, 4u));
    }
    {
        LongWork work(h.program, "正在检查", std::vector<std::uint64_t>{0, 0});  // no bytes: by items
        work.Advance(1);
        EXPECT_EQ(h.window.bars[2].value, 5000);
    }
    EXPECT_FALSE(h.window.bars[2].visible);
}

// A failure no command handles is shown, never thrown into the window's event loop.
TEST(CommandRouting, UnhandledFailuresBecomeAMessage) {
    testing::WindowHarness h;
    const std::pair<std::function<void()>, std::string> cases[] = {  // what the command throws, the message
        {[] { throw VbError(vberr::DiskFull); }, "发现未知的错误,错误编号:61\r\n\r\n错误信息:磁盘已满"},
        {[] { throw std::bad_alloc(); }, "发现未知的错误,错误编号:7\r\n\r\n错误信息:内存溢出"},
        {[] { throw std::runtime_error("boom"); }, "发现未知的错误,错误编号:51\r\n\r\n错误信息:boom"},
        {[] {}, ""},
    };
    for (const auto& [command, message] : cases) {
        SCOPED_TRACE(message.empty() ? "nothing thrown" : message);
        h.window.ClearLog();
        RunCommand(h.program, command);
        EXPECT_EQ(h.window.log, message.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{"MsgBox | " + message + " | Information | 提示"});
    }
}

}  // namespace
}  // namespace tessarin
