#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Commands.h"
#include "support/ProgramHarness.h"

namespace tessarin {
namespace {

using testing::ProgramHarness;

// A command and its first window call; every picker cancels.
struct Route {
    const char* menuItem;  // nullptr: no menu item
    int button;            // 0: no toolbar button
    std::string firstCall; // prefix of the command's first window call; "" for none
};

const std::vector<Route>& Routes() {
    static const std::vector<Route> routes = {
        {"nopen", 1, "ShowOpenDialog | 4097 | ARC文件 (*.ARC)|*.ARC | "},
        {"nclose", 2, "SetPanelText | 1 | 就绪"},
        {"nalle", 4, "BrowseForFolder | 4097 | 导出全部资源文件： \r\n请选择要保存的资源文件的目录 |  | 64"},
        {"nexport", 5, "BrowseForFolder | 4097 | 选保存文件的目录 |  | 64"},
        {"nimport", 6, "ShowOpenDialog | 4097 | 所有文件 *.*|*.* | 替换readme.txt:"},
        {"nproperty", 8, "Showinfo | readme.txt | 20 | txt | "},
        {"nexit", 0, "EndProgram"},
        {"nabout", 0, "ShowAbout"},
        {nullptr, 3, ""},
        {nullptr, 7, ""},
        {nullptr, 0, ""},
        {nullptr, 9, ""},
        {"nfile", 0, ""},
        {"NOPEN", 0, ""},
    };
    return routes;
}

void ExpectStartsWith(const std::vector<std::string>& log, const std::string& firstCall) {
    if (firstCall.empty()) {
        EXPECT_TRUE(log.empty()) << log.front();
        return;
    }
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().substr(0, firstCall.size()), firstCall);
}

// An open archive with its one entry selected, and a clean log.
void OpenWithEntrySelected(ProgramHarness& h) {
    testing::ArcPlan plan;
    plan.records = {testing::Entry("readme", 0x20, "hello")};
    h.OpenArchive(plan);
    h.SelectNode("readme.20");
    h.window.ClearLog();
}

TEST(CommandRouting, MenuItemsStartTheirCommands) {
    for (const Route& route : Routes()) {
        if (route.menuItem == nullptr) continue;
        SCOPED_TRACE(route.menuItem);
        ProgramHarness h;
        OpenWithEntrySelected(h);
        MenuClick(h.program, route.menuItem);
        ExpectStartsWith(h.window.log, route.firstCall);
    }
}

TEST(CommandRouting, ToolbarButtonsRouteByIndexLikeTheirMenuItems) {
    for (const Route& route : Routes()) {
        if (route.menuItem != nullptr && route.button == 0) continue;
        SCOPED_TRACE(route.button);
        ProgramHarness h;
        OpenWithEntrySelected(h);
        ToolbarClick(h.program, route.button);
        ExpectStartsWith(h.window.log, route.firstCall);
    }
}

TEST(CommandRouting, ExitEndsTheProgram) {
    ProgramHarness h;
    MenuClick(h.program, "nexit");
    EXPECT_TRUE(h.window.ended);
    EXPECT_TRUE(h.program.ending);
}

}  // namespace
}  // namespace tessarin
