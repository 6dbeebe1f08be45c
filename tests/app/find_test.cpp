#include <gtest/gtest.h>

#include "app/Find.h"
#include "app/OpenClose.h"
#include "app/WindowHarness.h"

namespace tessarin {
namespace {

TEST(Find, MatchesIgnoreTheCaseOfAsciiLettersOnly) {
    const struct { const char* name; const char* text; bool found; } cases[] = {
        {"UI\\Logo", "ui\\lOGO", true}, {"ui\\logo", "LOGO", true}, {"ui\\logo", "log0", false},
        {"\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\xA9", false},  // É and é are not ASCII letters
        {"\xE8\xB5\x84\xE6\xBA\x90\\A", "\xE6\xBA\x90\\a", true},  // 资源\A
        {"abc", "", true}, {"", "a", false}, {"ab", "abc", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ContainsIgnoringAsciiCase(c.name, c.text), c.found) << c.name << " / " << c.text;
}

// Matches come in directory order and wrap; each is revealed and selected as
// a click would select it; a new archive starts the search over.
TEST(Find, SelectsMatchesInDirectoryOrderAsAClickWould) {
    testing::WindowHarness h;
    testing::ArcPlan plan = testing::Archive({testing::Entry("z\\Item", 0x20, "1"), testing::Entry("readme", 0x20, "2"),
                                              testing::Entry("a\\item", 0x1A, "3")});
    h.OpenArchive(plan);
    h.window.ClearLog();
    EntryFinder finder;
    // What the finder says, then the key of the node selected after it.
    const auto said = [&](const FindOutcome& found) { return found.status + " " + h.program.tree.Node(h.window.selected).key; };

    EXPECT_EQ(said(finder.Find(h.program, "ITEM")), "第 1 个，共 2 个 z\\Item.20");
    EXPECT_TRUE(h.window.menuEnabled["nexport"] && h.window.buttonEnabled[6]);
    EXPECT_EQ(h.window.Calls("TreeEnsureVisible").size(), 1u);
    EXPECT_EQ(said(finder.FindNext(h.program)), "第 2 个，共 2 个 a\\item.1A");
    EXPECT_EQ(said(finder.FindNext(h.program)), "第 1 个，共 2 个 z\\Item.20");

    h.window.ClearLog();
    EXPECT_EQ(finder.Find(h.program, "missing").status, "找不到“missing”。");
    EXPECT_EQ(finder.Find(h.program, "").status, "请输入要查找的文字。");
    EXPECT_TRUE(h.window.Calls("TreeSelect").empty());

    finder.Find(h.program, "item");
    finder.FindNext(h.program);  // at a\item
    UnLoadArcFile(h.program);
    // As many entries as before and more, so only the key tells that the last match is gone.
    plan.records = {testing::Entry("b\\item", 0x20, "4"), testing::Entry("c\\item", 0x20, "5"),
                    testing::Entry("d\\other", 0x20, "6"), testing::Entry("e\\item", 0x20, "7")};
    h.OpenArchive(plan, "other.ARC");
    EXPECT_EQ(said(finder.FindNext(h.program)), "第 1 个，共 3 个 b\\item.20");
}

}  // namespace
}  // namespace tessarin
