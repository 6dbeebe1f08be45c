// Replacing an entry: the rewritten archive byte for byte, the records, the
// file number, and the archives and sources that are refused untouched; the
// properties command's size text and the texts handed to frmInfo.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/platform/BinaryFile.h"
#include "core/platform/VbError.h"
#include "replace/Properties.h"
#include "app/WindowHarness.h"
#include "replace/StreamDeflate.h"

namespace tessarin::testing {
namespace {

ArcPlan ThreeEntries() {
    ArcPlan layout = Archive({Entry("ui\\logo", 0x1A, std::string(300, 'a')),
                              Entry("data\\t", 0x20, "some text " + std::string(50, 'b')),
                              Entry("top", 5, "tail entry")});
    layout.version = 3;
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
    ArcPlan large;  // larger than one step of the copy
    for (int i = 0; i < 4; ++i) large.records.push_back(Stored("big\\" + std::to_string(i), 0x1A, Noise(10 << 20, i + 1), 1));
    const struct {
        const char* label;
        const ArcPlan& layout;
        std::size_t target;
        std::string source;
        const char* from = nullptr;  // read from this file instead of source.bin
        std::vector<std::string> items = {};  // the items told beside the bar, where the row looks at them
    } cases[] = {
        {"first entry, larger data", three, 0, Noise(2000)},
        {"last entry, smaller data ends the file", noTrailer, 2, "x"},
        {"middle entry, equal stored size", equal, 1, "hello world 2"},
        {"names written back byte for byte", names, 0, Noise(100)},
        {"bytes between entries kept, replaced one", between, 1, Noise(500)},
        {"bytes between entries kept, other one", between, 0, Noise(40)},
        {"empty source stored as empty entry", three, 1, ""},
        // The entries written are counted as the copy goes: entry 0 (10 MiB)
        // carried over, entry 1 replaced, 20 MiB carried over in two steps.
        {"larger than one copy step", large, 1, "small", nullptr,
         {"SetWorkItems | 0 | 4", "SetWorkItems | 1 | 4", "SetWorkItems | 2 | 4", "SetWorkItems | 3 | 4",
          "SetWorkItems | 4 | 4", "SetWorkItems | 4 | 4"}},
#ifndef _WIN32
        // A file that reports no length is read to its end, not stored empty.
        {"source reporting no length", three, 2, ReadFileBytes("/proc/self/cmdline"), "/proc/self/cmdline"},
#endif
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

        RunReplace(h, c.from ? std::string(c.from) : h.dir / "source.bin");

        ArcPlan expected = ExpectedAfterReplace(c.layout, c.target, c.source);
        if (&c.layout == &between) expected.records[0].name = "gfx\\aold";
        EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));
        EXPECT_EQ(h.window.Calls("MsgBox"), std::vector<std::string>{kDone});
        if (!c.items.empty()) {
            EXPECT_EQ(h.window.Calls("SetWorkItems"), c.items);
            // The bar follows the bytes, forward only, to its end.
            std::vector<int> bar;
            for (const std::string& call : h.window.Calls("SetProgressValue | 2 | ")) bar.push_back(std::stoi(call.substr(23)));
            EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
            EXPECT_EQ(bar.back(), 10000);
        }
        // Open and locked under a new number (read through below); the old one is closed.
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
// layout a rewrite cannot keep or that another program replaced since it was
// opened or while the new one was written, a source that cannot be stored:
// nothing changes, and failure is reported, not success.
TEST(ReplaceTest, RefusalsLeaveArchiveAndRecordsUntouched) {
    const std::string layout = "档案的数据布局不符合替换的要求，档案未作改动：\r\n\r\n", unread = "无法读取替换文件：";
    const std::string moved = "档案文件已被其他程序替换或移走，档案未作改动：";
    const auto intact = [](ArcPlan&) {};
    enum Swap { NoSwap, SwapBefore, SwapDuring };
    const struct {
        const char* label;
        std::function<void(ArcPlan&)> breakArchive;
        const char* source;  // "" cancels; below the temporary folder unless absolute (huge.bin holds 1 GiB)
        std::string messageStart;  // "" for no message at all
        std::string icon;
        const char* key = "top.5";  // the node selected, "" for none
        Swap swap = NoSwap;  // another program renames its own archive over the path
        bool readOnly = false;           // no write permission for anyone (root included)
    } cases[] = {
        {"root folder selected", intact, "source.bin", "", "", "Root"},
        {"nothing selected", intact, "source.bin", "", "", ""},
        {"picker cancelled", intact, "", "", ""},
        {"first offset inside the directory", [](ArcPlan& s) { s.gap.clear(); s.records[0].offset = 200; },
         "source.bin", layout + "第一个条目的数据偏移 200 位于目录之内（目录结束于 248），KEY：ui\\logo.1A", "Warning"},
        {"overlapping data", [](ArcPlan& s) { s.records[2].offset = 256 + 10; }, "source.bin",
         layout + "条目数据不按目录顺序排列或与前一条目的数据重叠，KEY：top.5", "Warning"},
        {"source of 1 GiB", intact, "huge.bin", "替换文件太大，无法存入档案：", "Warning"},
        {"missing source", intact, "absent.bin", unread, "Stop"},
        {"archive itself as source", intact, "pack.ARC", unread, "Stop"},
        {"device without a length as source", intact, "/dev/zero", unread, "Stop"},
        // The lock this program holds is on a file nobody reaches any more: writing
        // would overwrite the other program's archive.
        {"archive replaced since it was opened", intact, "source.bin", moved, "Warning", "top.5", SwapBefore},
        {"archive replaced while the new one is written", intact, "source.bin", moved, "Warning", "top.5", SwapDuring},
        {"read-only archive", intact, "source.bin", "档案文件是只读的，档案未作改动：", "Warning", "top.5", NoSwap, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir aside;  // outlives the program that still holds the file moved there
        ProgramHarness h;
        ArcPlan layout = ThreeEntries();
        layout.gap = std::string(8, 'G');  // data area at 248 + 8 = 256
        c.breakArchive(layout);
        const std::string path = h.OpenArchive(layout);
        // The other program's archive holds the same bytes. Moved aside first: Windows
        // renames nothing over a file another program holds.
        const auto replaceArchive = [&] {
            WriteFileBytes(h.dir / "newer", ReadFileBytes(path));
            std::filesystem::rename(NativePath(path), NativePath(aside / "older"));
            std::filesystem::rename(NativePath(h.dir / "newer"), NativePath(path));
        };
        if (c.swap == SwapBefore) replaceArchive();
        h.window.onDoEvents = [&] {  // once the new archive is written beside it, past the checks made before
            const bool writing = FolderListing(h.dir.path()).size() > 3;
            if (c.swap == SwapDuring && writing && !FileExists(aside / "older")) replaceArchive();
        };
        if (c.readOnly) std::filesystem::permissions(NativePath(path), std::filesystem::perms::owner_read);
        const std::string before = ReadFileBytes(path);
        const auto records = Records(h.program.arc.ArcEntries);
        const std::int16_t number = h.program.arc.ArcFileNum;
        if (*c.key) h.SelectNode(c.key);
        else h.window.selected = kNoNode;
        WriteFileBytes(h.dir / "source.bin", "new data");
        WriteFileBytes(h.dir / "huge.bin", "");
        std::filesystem::resize_file(NativePath(h.dir / "huge.bin"), 0x40000000);  // sparse where the system can
        h.window.ClearLog();

        // No answer queued: the picker cancels.
        if (*c.source) h.window.openAnswers.push_back((c.source[0] == '/' ? std::string(c.source) : h.dir / c.source) + '\0');
        EXPECT_FALSE(ReplaceFile(h.program, FakeWindow::kMainHandle));

        const auto dialogs = h.window.Calls("ShowOpenDialog");
        EXPECT_EQ(dialogs.size(), std::string(c.key) == "top.5" ? 1u : 0u) << "only an entry asks for a source";
        if (c.messageStart.empty()) {
            EXPECT_EQ(h.window.log, dialogs) << "a silent refusal shows nothing else";
        }
        const auto boxes = h.window.Calls("MsgBox");
        EXPECT_EQ(boxes.size(), c.messageStart.empty() ? 0u : 1u);
        for (const std::string& box : boxes)
            EXPECT_TRUE(box.starts_with("MsgBox | " + c.messageStart) && box.ends_with(" | " + c.icon + " | Tessarin"))
                << box;
        EXPECT_EQ(ReadFileBytes(path), before);
        EXPECT_EQ(Records(h.program.arc.ArcEntries), records);
        EXPECT_EQ(std::pair(h.program.arc.ArcFileNum, h.program.files.IsOpen(number)), std::pair(number, true));
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"huge.bin", "pack.ARC", "source.bin"}));
    }
}

// One deflater used again after a file it gave up on midway gives the next
// file the bytes of zlib's one-shot compress (a fresh one's bytes and one used
// file after file are in the replaced archives of the tests above and import's).
TEST(ReplaceTest, OneDeflaterGivesEachFileTheOneShotBytes) {
    const TempDir dir;
    FileDeflater deflater;
    const auto deflate = [&](const std::string& plain, std::int64_t limit) {
        WriteFileBytes(dir / "source", plain);
        BinaryFile source = BinaryFile::Open(dir / "source", OpenMode::ReadShared);
        BinaryFile out = BinaryFile::Open(dir / "out", OpenMode::CreateLocked);
        return deflater.Deflate(source, out, limit).plain;
    };
    EXPECT_THROW(deflate(Noise(600000, 3), 300000), SourceTooLarge);
    EXPECT_EQ(deflate(Noise(400000, 7), 1 << 30), 400000);
    EXPECT_EQ(ReadFileBytes(dir / "out"), Deflate(Noise(400000, 7)));
}

#ifndef _WIN32
// The new archive is never readable by more users than the old one, not even
// while it is being written, and keeps the old one's owner and group where
// this program may give them (as root).
TEST(ReplaceTest, NewArchiveHasTheOldModeFromTheStartAndKeepsItsOwner) {
    ProgramHarness h;
    const std::string path = h.OpenArchive(ThreeEntries());
    const mode_t oldMask = ::umask(022);
    ASSERT_EQ(::chmod(path.c_str(), 0620), 0);
    ASSERT_TRUE(::geteuid() != 0 || ::chown(path.c_str(), 4321, 4322) == 0);
    struct stat before {}, whileWritten {}, after {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    // The last entry emptied, after a look at the file being written.
    const NewEntryData emptyLast = {2, [&](BinaryFile& out) {
                                        ::fstat(static_cast<int>(out.Handle()), &whileWritten);
                                        return 0;  // no bytes written, none to inflate
                                    }};
    EXPECT_TRUE(RewriteArchive(h.program, {emptyLast}, nullptr));
    ::umask(oldMask);
    EXPECT_EQ(whileWritten.st_mode & 07157, 0u) << std::oct << whileWritten.st_mode;  // none beyond 0620
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "not rewritten";
    EXPECT_EQ(after.st_mode & 07777, 0620u) << std::oct << after.st_mode;
    EXPECT_EQ(std::pair(after.st_uid, after.st_gid), std::pair(before.st_uid, before.st_gid));
}
#endif

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
    // Stored sizes 3, 1, 0 after 8 + 3 * 80 bytes of directory; the original sizes are shown.
    const ArcPlan layout = Archive({Stored("data\\img\\logo", 0x1A, "png", 9), Stored("top", 0x77, "x", 2560),
                                    Stored("a.b\\c", 0x20, "", 0)});
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
