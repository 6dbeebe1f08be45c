// Replacing an entry: the rewritten archive byte for byte, the records, the
// file number, and the archives and sources that are refused untouched.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>

#include "app/OpenClose.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/VbError.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

ArcPlan ThreeEntries() {
    ArcPlan layout;
    layout.version = 3;
    layout.records = {Entry("ui\\logo", 0x1A, std::string(300, 'a')),
                      Entry("data\\t", 0x20, "some text " + std::string(50, 'b')), Entry("top", 5, "tail entry")};
    layout.gap = "GAPBYTES";
    layout.trailer = "TRAILER";
    return layout;
}

TEST(ReplaceTest, WritesTheExpectedArchiveAndRecords) {
    const ArcPlan three = ThreeEntries();
    ArcPlan noTrailer = three, equal = three, names, between = three;
    noTrailer.trailer.clear();
    equal.records[1] = Entry("data\\t", 0x20, "hello world 1");
    // Double-byte, invalid-byte and 64-character names, written back without a gap.
    names.records = {Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x1A, "gb"), Entry("bad\\\x80\xFF\x81\x30z", -1, "odd"),
                     Entry(std::string(64, 'n'), 7, "long"), Entry(std::string(63, 'd') + "\xB1\xED", 8, "long double")};
    names.records[1].orgField = 0x100;  // a negative original size, written back as read
    between.records[0].name = std::string("gfx\\a\0old", 9);  // read back as "gfx\aold"
    between.records[1].data += "BETWEEN";                      // bytes after an entry's data are kept
    between.records[1].storedSize = static_cast<std::int32_t>(between.records[1].data.size() - 7);
    const struct {
        const char* label;
        const ArcPlan& layout;
        std::size_t target;
        std::string source;
    } cases[] = {
        {"first entry, larger data", three, 0, Noise(2000)},
        {"last entry, smaller data ends the file", noTrailer, 2, "x"},
        {"middle entry, equal stored size", equal, 1, "hello world 2"},
        {"names written back byte for byte", names, 0, Noise(100)},
        {"bytes between entries kept, replaced one", between, 1, Noise(500)},
        {"bytes between entries kept, other one", between, 0, Noise(40)},
        {"empty source stored as empty entry", three, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        const std::string path = h.OpenArchive(c.layout);
        ASSERT_EQ(h.program.arc.ArcEntries.size(), c.layout.records.size());
        h.SelectNode(h.program.arc.ArcEntries[c.target].ArcFileKey);
        WriteFileBytes(h.dir / "source.bin", c.source);
        const std::int16_t oldNumber = h.program.arc.ArcFileNum;
        h.window.ClearLog();

        RunReplace(h, h.dir / "source.bin");

        ArcPlan expected = ExpectedAfterReplace(c.layout, c.target, c.source);
        if (&c.layout == &between) expected.records[0].name = "gfx\\aold";
        EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));
        EXPECT_EQ(h.window.log, (std::vector<std::string>{"ShowOpenDialog | 4097 | 所有文件 *.*|*.* | 替换" +
                                                              h.program.arc.ArcEntries[c.target].ArcFileName + ":",
                                                          kDone}));
        // Open and locked under a new number; the old one is closed.
        EXPECT_NE(h.program.arc.ArcFileNum, oldNumber);
        EXPECT_FALSE(h.program.files.IsOpen(oldNumber));
        EXPECT_THROW(BinaryFile::Open(path, OpenMode::ReadLocked), VbError) << "the replaced archive is not locked";
        // The records equal the directory now on disk, read through the open number.
        EXPECT_EQ(Records(h.program.arc.ArcEntries), RecordsOnDisk(h.program));
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"pack.ARC", "source.bin"}));

        // A second replacement works on the rewritten archive.
        const std::size_t next = (c.target + 1) % c.layout.records.size();
        h.SelectNode(h.program.arc.ArcEntries[next].ArcFileKey);
        WriteFileBytes(h.dir / "source.bin", "again");
        RunReplace(h, h.dir / "source.bin");
        EXPECT_EQ(ReadFileBytes(path), BuildArc(ExpectedAfterReplace(expected, next, "again")));
    }
}

// Nothing selected that can be replaced, the picker cancelled, an archive whose
// layout a rewrite cannot keep, a source that cannot be stored: nothing changes.
TEST(ReplaceTest, RefusalsLeaveArchiveAndRecordsUntouched) {
    const std::string layout = "档案的数据布局不符合替换的要求，档案未作改动：\r\n\r\n", unread = "无法读取替换文件：";
    const auto intact = [](ArcPlan&) {};
    const struct {
        const char* label;
        std::function<void(ArcPlan&)> breakArchive;
        const char* source;  // "" cancels; below the temporary folder unless absolute (huge.bin holds 1 GiB)
        std::string messageStart;  // "" for no message at all
        const char* icon;
        const char* key = "top.5";  // the node selected, "" for none
    } cases[] = {
        {"root folder selected", intact, "source.bin", "", "", "Root"},
        {"nothing selected", intact, "source.bin", "", "", ""},
        {"picker cancelled", intact, "", "", ""},
        {"first offset inside the directory", [](ArcPlan& s) { s.gap.clear(); s.records[0].offset = 200; },
         "source.bin", layout + "第一个条目的数据偏移 200 位于目录之内（目录结束于 248），KEY：ui\\logo.1A", "Warning"},
        {"overlapping data", [](ArcPlan& s) { s.records[2].offset = 256 + 10; }, "source.bin",
         layout + "条目数据不按目录顺序排列或与前一条目的数据重叠，KEY：top.5", "Warning"},
        {"data beyond the end", [](ArcPlan& s) { s.records[2].storedSize = 5000; }, "source.bin",
         layout + "条目数据超出文件末尾", "Warning"},
        {"source of 1 GiB", intact, "huge.bin", "替换文件太大，无法存入档案：", "Warning"},
        {"missing source", intact, "absent.bin", unread, "Stop"},
        {"archive itself as source", intact, "pack.ARC", unread, "Stop"},
        {"device without a length as source", intact, "/dev/zero", unread, "Stop"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        ArcPlan layout = ThreeEntries();
        layout.gap = std::string(8, 'G');  // data area at 248 + 8 = 256
        c.breakArchive(layout);
        const std::string path = h.OpenArchive(layout);
        ASSERT_EQ(h.program.arc.ArcEntries.size(), 3u);
        const std::string before = ReadFileBytes(path);
        const auto records = Records(h.program.arc.ArcEntries);
        const std::int16_t number = h.program.arc.ArcFileNum;
        if (*c.key) h.SelectNode(c.key);
        else h.window.selected = kNoNode;
        WriteFileBytes(h.dir / "source.bin", "new data");
        WriteFileBytes(h.dir / "huge.bin", "");
        std::filesystem::resize_file(NativePath(h.dir / "huge.bin"), 0x40000000);  // sparse where the system can
        h.window.ClearLog();

        if (*c.source) RunReplace(h, c.source[0] == '/' ? std::string(c.source) : h.dir / c.source);
        else ReaplceFile(h.program, FakeWindow::kMainHandle);  // no answer queued: the picker cancels

        const auto dialogs = h.window.Calls("ShowOpenDialog");
        EXPECT_EQ(dialogs.size(), std::string(c.key) == "top.5" ? 1u : 0u) << "only an entry asks for a source";
        if (c.messageStart.empty()) {
            EXPECT_EQ(h.window.log, dialogs) << "a silent refusal shows nothing else";
        } else {
            const auto boxes = h.window.Calls("MsgBox");
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].rfind("MsgBox | " + c.messageStart, 0), 0u) << boxes[0];
            EXPECT_NE(boxes[0].find(std::string(" | ") + c.icon + " | Tessarin"), std::string::npos) << boxes[0];
        }
        EXPECT_EQ(ReadFileBytes(path), before);
        EXPECT_EQ(Records(h.program.arc.ArcEntries), records);
        EXPECT_EQ(h.program.arc.ArcFileNum, number);
        EXPECT_TRUE(h.program.files.IsOpen(number));
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"huge.bin", "pack.ARC", "source.bin"}));
    }
}

// Sources that report no length (/proc) are read to their end, not stored empty.
TEST(ReplaceTest, SourceIsReadToItsEndNotByItsReportedSize) {
#ifdef _WIN32
    GTEST_SKIP() << "files that report no length (/proc) are Linux's";
#endif
    ProgramHarness h;
    const std::string path = h.OpenArchive(ThreeEntries());
    h.SelectNode("top.5");
    RunReplace(h, "/proc/self/status");
    EXPECT_EQ(h.window.Calls("MsgBox"), std::vector<std::string>{kDone});
    const ARCFileCls& e = h.program.arc.ArcEntries[2];
    ASSERT_GT(e.ArcFileOrgSize, 10);
    const std::string stored = ReadFileBytes(path).substr(static_cast<std::size_t>(e.ArcFileOFSET));
    std::string plain(static_cast<std::size_t>(e.ArcFileOrgSize), '\0');
    uLongf length = plain.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(plain.data()), &length,
                         reinterpret_cast<const Bytef*>(stored.data()), stored.size()), Z_OK);
    EXPECT_EQ(plain.rfind("Name:", 0), 0u) << plain.substr(0, 40);
}

// Two windows on one archive: the second locked the file before the first
// replaced it (a rename over the path), so its lock is on a file nobody reaches
// any more. Its replacement is refused instead of overwriting the first one's.
TEST(ReplaceTest, StaleLockAfterAnotherReplacementIsRefused) {
    ProgramHarness first;
    const std::string path = first.OpenArchive(ThreeEntries());
    // The second program holds a lock on the archive as it was before.
    FakeWindow secondWindow;
    Program second(secondWindow);
    first.program.files.Close(first.program.arc.ArcFileNum);  // let the second open take the lock
    secondWindow.openAnswers.push_back(path);
    LoadArcFile(second);
    ASSERT_TRUE(second.ArchiveIsOpen());
    // The first replaces the archive meanwhile (as a completed replacement does).
    WriteFileBytes(first.dir / "newer", BuildArc(ExpectedAfterReplace(ThreeEntries(), 1, "first change")));
    // Moved aside first: Windows renames nothing over a file another program holds.
    std::filesystem::rename(NativePath(path), NativePath(first.dir / "older"));
    std::filesystem::rename(NativePath(first.dir / "newer"), NativePath(path));
    const std::string newer = ReadFileBytes(path);

    secondWindow.selected = second.tree.Find("top.5");
    WriteFileBytes(first.dir / "source.bin", "second change");
    secondWindow.openAnswers.push_back(first.dir / "source.bin");
    EXPECT_FALSE(ReaplceFile(second, FakeWindow::kMainHandle));
    const auto boxes = secondWindow.Calls("MsgBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("MsgBox | 档案文件已被其他程序替换或移走，档案未作改动：", 0), 0u) << boxes[0];
    EXPECT_EQ(ReadFileBytes(path), newer);
}

}  // namespace
}  // namespace tessarin::testing
