// The properties command: the size text and the six texts handed to frmInfo.
#include <gtest/gtest.h>

#include "replace/Properties.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

TEST(SizeTextTest, RoundsGroupsAndLeavesZeroEmpty) {
    const std::pair<const char*, const char*> table[] = {
        {"12345", "12 KB (12,345 字节)"},
        {"500", "1 KB (500 字节)"},
        {"1536", "2 KB (1,536 字节)"},  // 1.5 rounds away from zero
        {"2560", "3 KB (2,560 字节)"},
        {"1024", "1 KB (1,024 字节)"},
        {"1023", "1 KB (1,023 字节)"},
        {"0", "1 KB ( 字节)"},
        {"-256", "1 KB (-256 字节)"},
        {"-1073741568", "1 KB (-1,073,741,568 字节)"},
        {"1073741823", "1,048,576 KB (1,073,741,823 字节)"},
        {"999999", "977 KB (999,999 字节)"},
        {"2147483647", "2,097,152 KB (2,147,483,647 字节)"},
    };
    for (const auto& [size, text] : table) EXPECT_EQ(SizeText(size), text) << size;
}

ArcPlan Archive() {
    ArcPlan layout;
    layout.records = {Entry("data\\img\\logo", 0x1A, "png bytes"), Entry("top", 0x77, std::string(2560, 'x')),
                    Entry("a.b\\c", 0x20, "")};
    return layout;
}

TEST(ShowinfoSubTest, ShowsTheSelectedEntrysTexts) {
    struct Row {
        const char* key;
        InfoTexts texts;
    };
    const Row rows[] = {
        {"data\\img\\logo.1A", {"logo.png", "1A", "png", "data\\img\\", "88", "9"}},
        {"top.77", {"top.77", "77", "未知", "", "", "2560"}},
        {"a.b\\c.20", {"c.txt", "20", "txt", "a.b\\", "", "0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        ProgramHarness h;
        h.OpenArchive(Archive());
        const ARCFileCls* entry = FindEntryByKey(h.program.arc.ArcEntries, row.key);
        ASSERT_NE(entry, nullptr);
        h.SelectNode(row.key);
        h.window.ClearLog();
        ShowinfoSub(h.program);
        ASSERT_EQ(h.window.shownInfos.size(), 1u);
        const InfoTexts& shown = h.window.shownInfos[0];
        EXPECT_EQ(shown.filename, row.texts.filename);
        EXPECT_EQ(shown.FiletypeHex, row.texts.FiletypeHex);
        EXPECT_EQ(shown.Filetype, row.texts.Filetype);
        EXPECT_EQ(shown.Filepath, row.texts.Filepath);
        EXPECT_EQ(shown.FileOFSET, std::to_string(entry->ArcFileOFSET));
        EXPECT_EQ(shown.Filesize, row.texts.Filesize);
        EXPECT_EQ(h.window.log.size(), 1u);  // Showinfo and nothing else
    }
}

TEST(ShowinfoSubTest, NodeWithoutRecordShowsNothing) {
    for (const char* key : {"Root", "data\\", "data\\img\\"}) {
        SCOPED_TRACE(key);
        ProgramHarness h;
        h.OpenArchive(Archive());
        h.SelectNode(key);
        h.window.ClearLog();
        ShowinfoSub(h.program);
        EXPECT_EQ(h.window.log, std::vector<std::string>{});
    }
    ProgramHarness h;
    h.OpenArchive(Archive());
    h.window.selected = kNoNode;
    h.window.ClearLog();
    ShowinfoSub(h.program);
    EXPECT_EQ(h.window.log, std::vector<std::string>{});
}

}  // namespace
}  // namespace tessarin::testing
