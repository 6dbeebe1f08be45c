// The properties command: the size text and the six texts handed to frmInfo.
#include <gtest/gtest.h>

#include "replace/Properties.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

TEST(SizeTextTest, RoundsGroupsAndLeavesZeroEmpty) {
    const std::pair<const char*, const char*> table[] = {
        {"12345", "12 KB (12,345 字节)"}, {"500", "1 KB (500 字节)"},
        {"1536", "2 KB (1,536 字节)"},  // 1.5 rounds away from zero
        {"2560", "3 KB (2,560 字节)"},   {"1024", "1 KB (1,024 字节)"}, {"1023", "1 KB (1,023 字节)"},
        {"0", "1 KB ( 字节)"},           {"-256", "1 KB (-256 字节)"},  {"-1073741568", "1 KB (-1,073,741,568 字节)"},
        {"999999", "977 KB (999,999 字节)"}, {"1073741823", "1,048,576 KB (1,073,741,823 字节)"},
        {"2147483647", "2,097,152 KB (2,147,483,647 字节)"}};
    for (const auto& [size, text] : table) EXPECT_EQ(SizeText(size), text) << size;
}

TEST(ShowinfoSubTest, ShowsTheSelectedEntrysTextsAndNothingForOtherNodes) {
    ArcPlan layout;  // stored sizes 3, 1, 0 after 8 + 3 * 80 bytes of directory; the original sizes are shown
    layout.records = {Stored("data\\img\\logo", 0x1A, "png", 9), Stored("top", 0x77, "x", 2560),
                      Stored("a.b\\c", 0x20, "", 0)};
    const std::pair<const char*, std::string> rows[] = {
        {"data\\img\\logo.1A", "Showinfo | logo.png | 1A | png | data\\img\\ | 248 | 9"},
        {"top.77", "Showinfo | top.77 | 77 | 未知 |  | 251 | 2560"},
        {"a.b\\c.20", "Showinfo | c.txt | 20 | txt | a.b\\ | 252 | 0"},
        {"Root", ""}, {"data\\", ""}, {"data\\img\\", ""}, {"", ""}};  // "": nothing selected
    for (const auto& [key, shown] : rows) {
        SCOPED_TRACE(key);
        ProgramHarness h;
        h.OpenArchive(layout);
        if (*key) h.SelectNode(key);
        else h.window.selected = kNoNode;
        h.window.ClearLog();
        ShowinfoSub(h.program);
        EXPECT_EQ(h.window.log, shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{shown});
    }
}

}  // namespace
}  // namespace tessarin::testing
