// The window's comparison with a second archive and merge of a patch archive:
// the rows, the question before the merge and the tree afterwards (its 撤销 is
// one of the undo tests' changes).
#include <gtest/gtest.h>

#include "app/ArchiveDifferences.h"
#include "app/Commands.h"
#include "core/platform/FileSystem.h"
#include "app/WindowHarness.h"

namespace tessarin::testing {
namespace {

ArcPlan Open() {
    return Archive({Entry("ui\\logo", 0x1A, "logo"), Entry("top", 0x20, "top"), Entry("gone", 0x20, "g")});
}

ArcPlan Other() {
    return Archive({Entry("top", 0x20, "top, longer"), Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\new", 0x20, "n"),
                    Stored("bad", 1, "junk", 2)});
}

TEST(ArchiveDifferencesTest, RowsOfTheOpenArchiveAgainstAnother) {
    WindowHarness h;
    EXPECT_FALSE(ReadyToCompare(h.program));  // nothing open yet
    h.OpenArchive(Open());
    EXPECT_TRUE(ReadyToCompare(h.program));
    WriteFileBytes(h.dir / "other.arc", BuildArc(Other()));
    const auto differences = CompareWithOpenArchive(h.program, h.dir / "other.arc");
    ASSERT_TRUE(differences) << ::testing::PrintToString(h.window.log);
    std::vector<std::string> rows;
    for (const DifferenceRow& r : differences->rows)
        rows.push_back(r.key + " " + ChangeText(r.change) + " " + std::to_string(r.sizeA) + " " + std::to_string(r.sizeB) +
                       (r.damage.empty() ? "" : " B damaged"));
    EXPECT_EQ(rows, (std::vector<std::string>{"top.20 修改 3 11", "ui\\new.20 添加 -1 1", "bad.1 损坏 -1 2 B damaged",
                                              "gone.20 删除 1 -1"}));
    // The patch refuses the damaged entry; without it, it is written.
    EXPECT_FALSE(WriteDifferencesPatch(h.program, *differences, h.dir / "patch.arc"));
    EXPECT_FALSE(FileExists(h.dir / "patch.arc"));
    EXPECT_FALSE(CompareWithOpenArchive(h.program, h.dir / "missing.arc"));
}

TEST(ArchiveDifferencesTest, MergeAsksThenRewritesOnce) {
    ArcPlan patch = Archive({Entry("top", 0x20, "new top"), Entry("ui\\added", 0x20, "added")});
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "go on" : "no");
        WindowHarness h;
        const std::string path = h.OpenArchive(Open()), before = ReadFileBytes(path);
        WriteFileBytes(h.dir / "patch.arc", BuildArc(patch));
        h.window.openAnswers.push_back(h.dir / "patch.arc");
        h.window.yesNoAnswers.push_back(yes);
        MenuClick(h.program, "nmerge");
        EXPECT_EQ(h.window.Calls("AskYesNo"),
                  std::vector<std::string>{"AskYesNo | 合并补丁档案将替换 1 个对象，添加 1 个对象。继续吗？ | Tessarin"});
        EXPECT_EQ(ReadFileBytes(path) == before, !yes);
        EXPECT_EQ(h.program.tree.Find("ui\\added.20") != kNoNode, yes);
    }
}

}  // namespace
}  // namespace tessarin::testing
