#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/OpenClose.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/VbError.h"
#include "support/ProgramHarness.h"

namespace tessarin {
namespace {

using testing::ArcPlan;
using testing::Entry;
using testing::ProgramHarness;
using Log = std::vector<std::string>;

// Three entries: one in nested folders, one whose code has no name, one at the top.
ArcPlan ThreeEntries() {
    ArcPlan plan;
    plan.version = 7;
    plan.records = {Entry("ui\\img\\logo", 0x1A, "logo bytes"), Entry("ui\\bg", 0x1B, "bg"),
                    Entry("readme", 0x20, "hello")};
    return plan;
}

// The window effects before the file is opened.
Log BeforeOpen(const std::string& fileName) {
    return {"ShowOpenDialog | 4097 | ARC文件 (*.ARC)|*.ARC | ", "SetPanelText | 2 | ARC File: " + fileName,
            "SetProgressWidth | 1 | 5835", "SetCaption | " + fileName + " - Tessarin"};
}

// The effects of an accepted magic and header up to record `records`.
Log ReadDirectory(int version, int count, int records) {
    Log log = {"TreeBeginReset",
               "SetPanelText | 3 | ARC Version: " + std::to_string(version),
               "SetProgressVisible | 1 | true",
               "SetProgressMin | 1 | 0",
               "SetProgressMax | 1 | " + std::to_string(count),
               "SetPanelText | 1 | 发现 " + std::to_string(count) + " 个对象"};
    for (int i = 1; i <= records; ++i) log.push_back("SetProgressValue | 1 | " + std::to_string(i));
    log.insert(log.end(), {"TreeEndReset", "TreeSelect | 0", "TreeEnsureVisible | 0"});
    return log;
}

Log Concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string UnknownError(int number) {
    return "MsgBox | 发现未知的错误,错误编号:" + std::to_string(number) + "\r\n\r\n错误信息:" +
           VbErrorDescription(number) + " | Information | 提示";
}

// True when nothing in this program keeps the file locked any more.
bool Unlocked(const std::string& path) {
    try {
        BinaryFile::Open(path, OpenMode::ReadLocked);
        return true;
    } catch (const VbError&) {
        return false;
    }
}

TEST(LoadArcFileTest, OpensReadsAndBuildsTheTree) {
    ProgramHarness h;
    const std::string path = h.OpenArchive(ThreeEntries());

    const Log expected = Concat(Concat(BeforeOpen("pack.ARC"), ReadDirectory(7, 3, 3)),
                                {"TreeExpand | 0", "SetProgressVisible | 1 | false", "SetMenuEnabled | nopen | false",
                                 "SetMenuEnabled | nclose | true", "SetMenuEnabled | nobject | true",
                                 "SetButtonEnabled | 1 | false", "SetButtonEnabled | 2 | true",
                                 "SetButtonEnabled | 4 | true"});
    EXPECT_EQ(h.window.log, expected);
    EXPECT_EQ(h.window.caption, "pack.ARC - Tessarin");

    const auto& arc = h.program.arc;
    EXPECT_EQ(arc.OpenArcPath, path);  // cut at the NUL
    ASSERT_EQ(arc.ArcEntries.size(), 3u);
    EXPECT_EQ(arc.ArcEntries[0].ArcFileKey, "ui\\img\\logo.1A");
    EXPECT_EQ(arc.ArcEntries[0].ArcFileName, "logo.png");
    EXPECT_EQ(arc.ArcEntries[1].ArcFileName, "bg.1B");
    EXPECT_EQ(arc.ArcEntries[2].ArcFileKey, "readme.20");

    const auto& tree = h.program.tree;
    EXPECT_EQ(tree.Node(tree.Root()).key, "Root");
    EXPECT_EQ(tree.Node(tree.Root()).text, path);
    EXPECT_EQ(tree.Node(tree.Root()).image, kImageArchive);
    for (const auto& entry : arc.ArcEntries) {
        const NodeId node = tree.Find(entry.ArcFileKey);
        ASSERT_NE(node, kNoNode) << entry.ArcFileKey;
        EXPECT_EQ(tree.Node(node).text, entry.ArcFileName);
    }
    EXPECT_EQ(tree.Size(), 1u + 2u + 3u);  // root, ui\ and ui\img\, three entries
    EXPECT_FALSE(Unlocked(path));          // kept open and locked while open
}

TEST(LoadArcFileTest, CancelChangesNothing) {
    ProgramHarness h;
    LoadArcFile(h.program);
    EXPECT_EQ(h.window.log, Log{"ShowOpenDialog | 4097 | ARC文件 (*.ARC)|*.ARC | "});
    EXPECT_EQ(h.window.caption, "Tessarin");
    EXPECT_EQ(h.program.arc.OpenArcPath, "");
}

struct FailureCase {
    const char* name;
    std::string bytes;          // the file's content
    Log afterOpen;              // effects after BeforeOpen, message included
    std::size_t entriesKept;    // records in ArcEntries afterwards
    bool readStarted;           // the tree and panels 1 and 3 were reached
};

std::string WithCount(ArcPlan plan, std::int16_t count) {
    plan.count = count;
    return testing::BuildArc(plan);
}

std::string WithOverflowAt(ArcPlan plan, std::size_t index) {
    plan.records[index].orgField = static_cast<std::int32_t>(0x80000000u);
    return testing::BuildArc(plan);
}

class LoadArcFileFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LoadArcFileFailureTest, ShowsItsMessageAndKeepsTheNoArchiveState) {
    const FailureCase& c = GetParam();
    ProgramHarness h;
    // An earlier tree and records, to see what a failure keeps.
    h.program.tree.AddRoot(kRootKey, "earlier", kImageArchive);
    AddArcEntry(h.program.arc.ArcEntries, "x.png", "", "x", "png", 1, 1, 0, "1A");

    const std::string path = h.dir / "bad.ARC";
    testing::WriteFileBytes(path, c.bytes);
    h.window.openAnswers.push_back(path + std::string(1, '\0'));
    LoadArcFile(h.program);

    EXPECT_EQ(h.window.log, Concat(BeforeOpen("bad.ARC"), c.afterOpen));
    EXPECT_EQ(h.program.arc.ArcEntries.size(), c.entriesKept);
    EXPECT_EQ(h.program.tree.Node(0).text, c.readStarted ? path : "earlier");
    EXPECT_EQ(h.window.bars[1].visible, c.readStarted);
    EXPECT_EQ(h.window.caption, "bad.ARC - Tessarin");
    EXPECT_TRUE(h.window.menuEnabled["nopen"]);
    EXPECT_FALSE(h.window.menuEnabled["nclose"]);
    EXPECT_TRUE(h.window.buttonEnabled[1]);
    EXPECT_FALSE(h.window.buttonEnabled[2]);
    EXPECT_FALSE(h.program.ending);
    EXPECT_TRUE(Unlocked(path));  // a failed open does not keep the file
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadArcFileFailureTest,
    ::testing::Values(
        FailureCase{"WrongMagic", std::string("ARX\0\7\0\0\0", 8), {"MsgBox | 文件类型不正确 | Warning | 错误提示"}, 1,
                    false},
        FailureCase{"ShorterThanMagic", "AR", {UnknownError(vberr::InputPastEnd)}, 1, false},
        FailureCase{"CountOneHigherThanRecords", WithCount(ThreeEntries(), 4),
                    Concat(ReadDirectory(7, 4, 4), {UnknownError(vberr::InputPastEnd)}), 3, true},
        FailureCase{"OverflowingOriginalSize", WithOverflowAt(ThreeEntries(), 1),
                    Concat(ReadDirectory(7, 3, 2), {UnknownError(vberr::Overflow)}), 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadArcFileTest, LockedFileShowsTheInUseMessage) {
    ProgramHarness h;
    const std::string path = h.dir / "pack.ARC";
    testing::WriteFileBytes(path, testing::BuildArc(ThreeEntries()));
    BinaryFile other = BinaryFile::Open(path, OpenMode::ReadLocked);
    h.window.openAnswers.push_back(path);
    LoadArcFile(h.program);
    EXPECT_EQ(h.window.log,
              Concat(BeforeOpen("pack.ARC"),
                     {"MsgBox | \r\n文件可能被其它应用程序占用,请关闭后再重试.\r\n\r\n" + path + " | Stop | Tessarin"}));
}

TEST(LoadArcFileTest, MissingFileWithWindowsSeparatorsNamesTheFileAfterTheLastBackslash) {
    ProgramHarness h;
    h.window.openAnswers.push_back("C:\\data\\missing.ARC");
    LoadArcFile(h.program);
    EXPECT_EQ(h.window.log, Concat(BeforeOpen("missing.ARC"), {UnknownError(vberr::FileNotFound)}));
}

TEST(LoadArcFileTest, RepeatedEntryKeyEndsTheProgram) {
    ProgramHarness h;
    ArcPlan plan;
    plan.records = {Entry("a\\x", 0x1A, "1"), Entry("a\\y", 0x1A, "2"), Entry("a\\x", 0x1A, "3"),
                    Entry("b", 0x1A, "4")};
    const std::string path = h.OpenArchive(plan);
    const Log expected =
        Concat(Concat(BeforeOpen("pack.ARC"), ReadDirectory(7, 4, 3)),
               {"MsgBox | \r\n添加信息时出错,程序将退出,详细检查扩展信息文件.\r\n\r\nPath=[a\\x] \r\n\r\nExt=[png] | "
                "Stop | 错误信息提示",
                "EndProgram"});
    EXPECT_EQ(h.window.log, expected);
    EXPECT_TRUE(h.program.ending);
    EXPECT_EQ(h.program.arc.ArcEntries.size(), 3u);  // no record after the failing one is read
    EXPECT_TRUE(Unlocked(path));
}

TEST(UnLoadArcFileTest, ResetsTheWindowAndClosesTheArchive) {
    ProgramHarness h;
    const std::string path = h.OpenArchive(ThreeEntries());
    h.SelectNode("readme.20");
    h.window.ClearLog();

    UnLoadArcFile(h.program);
    const Log expected = {
        "SetPanelText | 1 | 就绪",          "SetPanelText | 3 | ",
        "SetPanelText | 2 | ",              "SetCaption | Tessarin",
        "TreeBeginReset",                   "TreeEndReset",
        "SetMenuEnabled | nopen | true",    "SetMenuEnabled | nclose | false",
        "SetMenuEnabled | nobject | false", "SetMenuEnabled | nexport | false",
        "SetMenuEnabled | nimport | false", "SetMenuEnabled | nproperty | false",
        "SetButtonEnabled | 1 | true",      "SetButtonEnabled | 2 | false",
        "SetButtonEnabled | 4 | false",     "SetButtonEnabled | 5 | false",
        "SetButtonEnabled | 6 | false",     "SetButtonEnabled | 8 | false",
    };
    EXPECT_EQ(h.window.log, expected);
    EXPECT_TRUE(h.program.arc.ArcEntries.empty());
    EXPECT_EQ(h.program.arc.OpenArcPath, "");
    EXPECT_TRUE(h.program.tree.Empty());
    EXPECT_TRUE(Unlocked(path));

    // The next open starts afresh; the entry commands wait for a node click.
    h.window.ClearLog();
    h.window.openAnswers.push_back(path);
    LoadArcFile(h.program);
    EXPECT_EQ(h.program.arc.ArcEntries.size(), 3u);
    EXPECT_EQ(h.window.Calls("MsgBox").size(), 0u);
    EXPECT_FALSE(h.window.buttonEnabled[5]);
    EXPECT_FALSE(h.window.menuEnabled["nexport"]);
}

}  // namespace
}  // namespace tessarin
