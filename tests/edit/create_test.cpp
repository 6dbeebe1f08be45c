// A new archive from a folder: the bytes against an archive laid out
// independently, whatever order the files were written in (names as an export
// writes them, its record left out); the refusals, after which nothing is left
// behind; the progress by the sources' bytes; the new file's permissions.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "edit/CreateArchive.h"
#include "extract/ExportRecord.h"
#include "replace/ReplaceSupport.h"
#include "support/ChildPeak.h"
#include "support/Links.h"

namespace tessarin::testing {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // "/"-joined path, contents
using Names = std::vector<std::string>;

bool Create(ProgramHarness& h, const std::string& folder, const std::string& archive) {
    CreatePlan plan;
    return PlanCreate(h.program, folder, plan) && WriteNewArchive(h.program, plan, archive);
}

#ifndef _WIN32
// Empty files 0.txt, 1.txt, ... n - 1.txt.
Files Numbered(int n) {
    Files files;
    for (int i = 0; i < n; ++i) files.emplace_back(std::to_string(i) + ".txt", "");
    return files;
}
#endif

// An export's record beside the files is no entry; names of deep folders and,
// where the system keeps them as bytes, names no code page 936 text gives come back.
TEST(CreateArchiveTest, EntriesInNameOrderRightAfterTheDirectoryLinksSkipped) {
    Files files = {{"b.txt", "bee"},          {"a/z.7", Noise(3000)},     {"中/文.png", "图"},
                   {"a/z.TXT", "upper"},      {"a.FFFFFFFF", ""},         {"a/b/c/y.1b", std::string(500, 'y')},
                   {kExportRecordName, "record"}, {"a.1", "one"},     {"a/big.20", Noise(300000, 5)},
                   {"top.0", ""}};
    // Code page 936 byte order, the type code compared as unsigned between equal
    // names; a file too large to be deflated in memory between small ones.
    ArcPlan expected = Archive(
        {Entry("a", 1, "one"), Entry("a", -1, ""), Entry("a\\b\\c\\y", 0x1B, std::string(500, 'y')),
         Entry("a\\big", 0x20, Noise(300000, 5)), Entry("a\\z", 7, Noise(3000)), Entry("a\\z", 0x20, "upper"),
         Entry("b", 0x20, "bee"), Entry("top", 0, ""), Entry("\xD6\xD0\\\xCE\xC4", 0x1A, "图")});
#ifndef _WIN32
    // Wine cannot create the names such bytes give on Windows (lone surrogates).
    files.emplace_back("odd/\x80\xFF.33", "invalid bytes");
    expected.records.insert(expected.records.begin() + 7, Entry("odd\\\x80\xFF", 0x33, "invalid bytes"));
#endif
    for (const bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "files written in reverse" : "files written in order");
        ProgramHarness h;
        WriteFiles(h.dir / "src", reversed ? Files(files.rbegin(), files.rend()) : files);
        // A link to a file outside the folder is named and never followed, where this system makes links.
        WriteFileBytes(h.dir / "outside.txt", "never read");
        const bool linked = MakeLink(h.dir / "outside.txt", h.dir / "src/link.txt", false).empty();
        CreatePlan plan;
        ASSERT_TRUE(PlanCreate(h.program, h.dir / "src", plan) && WriteNewArchive(h.program, plan, h.dir / "new.arc"))
            << ::testing::PrintToString(h.window.log);
        EXPECT_EQ(plan.skipped, linked ? Names{"link.txt"} : Names{});
        EXPECT_EQ(ReadFileBytes(h.dir / "new.arc"), BuildArc(expected));
        EXPECT_EQ(FolderListing(h.dir.path()), (Names{"new.arc", "outside.txt", "src"}));
    }
}

TEST(CreateArchiveTest, RefusalsLeaveNothingBehind) {
    const struct {
        const char* label;
        Files files;
        const char* message;
    } rows[] = {
        {"no extension", {{"ok.txt", "x"}, {"README", "x"}}, "没有可用的扩展名（类型表中的类型名或 1 到 8 位十六进制类型代码）：README"},
        {"extension neither a type nor hexadecimal", {{"a.zzz", "x"}}, "没有可用的扩展名"},
        {"nine hexadecimal digits", {{"a.123456789", "x"}}, "没有可用的扩展名"},
        {"64 characters", {{std::string(64, 'n') + ".txt", "x"}}, "名称超过 63 个字符"},
        {"empty name", {{"f/.txt", "x"}}, "名称中有空的部分：f/.txt"},
        {"two files of one key", {{"a.txt", "1"}, {"a.20", "2"}}, "两个文件对应同一个对象，KEY：a.20"},
#ifndef _WIN32
        {"a name the export would not write", {{"a\\b.txt", "x"}}, "文件名不是导出会写出的名称"},
        // Not under Wine, where making 32,768 files takes minutes; the count check is the same code.
        {"more entries than a directory holds", Numbered(32768), "文件数超过 32767，无法存入一个档案：32768 个文件"},
#endif
        {"a folder past the walk's depth", {{Repeat("d/", 70) + "x.txt", "x"}},
         "文件夹层级超过 64 层，其中的文件无法读取：d/d/"},
        {"the archive exists", {{"a.txt", "x"}}, "档案已存在，不会覆盖"},
        {"a file of 1 GiB", {{"big.txt", ""}}, "文件太大"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ProgramHarness h;
        WriteFiles(h.dir / "src", row.files);
        const bool exists = std::string(row.label) == "the archive exists";
        if (exists) WriteFileBytes(h.dir / "new.arc", "precious");
        if (row.files[0].first == "big.txt")
            std::filesystem::resize_file(NativePath(h.dir / "src/big.txt"), std::uintmax_t{1} << 30);
        EXPECT_FALSE(Create(h, h.dir / "src", h.dir / "new.arc"));
        const auto boxes = h.window.Calls("MsgBox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(row.message), std::string::npos) << boxes[0];
        if (exists) {
            EXPECT_EQ(ReadFileBytes(h.dir / "new.arc"), "precious");
        }
        EXPECT_EQ(FolderListing(h.dir.path()), (exists ? Names{"new.arc", "src"} : Names{"src"}));
    }
}

// Files go over in batches between the threads: many files, one of them too
// large for memory in the middle, and one that grew past that bound after the
// listing (deflated apart, amid the others of its batch), each in its place
// with its own bytes.
TEST(CreateArchiveTest, ManyFilesKeepTheirPlacesAcrossBatches) {
    Files files;
    ArcPlan expected;
    for (int i = 0; i < 700; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d", i);
        const std::string data = i == 350 ? Noise(400000, 9) : std::string(name) + Noise(i % 50, i);
        files.emplace_back(std::string("n/") + name + ".txt", data);
        expected.records.push_back(Entry(std::string("n\\") + name, 0x20, data));
    }
    ProgramHarness h;
    WriteFiles(h.dir / "src", files);
    CreatePlan plan;
    ASSERT_TRUE(PlanCreate(h.program, h.dir / "src", plan));
    const std::string grown = Noise(300000, 3);
    expected.records[100] = Entry("n\\0100", 0x20, grown);
    WriteFileBytes(h.dir / "src/n/0100.txt", grown);
    ASSERT_TRUE(WriteNewArchive(h.program, plan, h.dir / "new.arc")) << ::testing::PrintToString(h.window.log);
    EXPECT_EQ(ReadFileBytes(h.dir / "new.arc"), BuildArc(expected));
}

// The bar follows the sources' bytes: with 600 small files before one large
// one, the small ones done are a sliver of the work, not most of it.
TEST(CreateArchiveTest, ProgressFollowsTheSourcesBytes) {
    Files files = {{"z.7", Noise(2 << 20, 7)}};
    for (int i = 0; i < 600; ++i) files.emplace_back("s/" + std::to_string(1000 + i) + ".txt", "tiny");
    ProgramHarness h;
    WriteFiles(h.dir / "src", files);
    int checked = 0;  // times the bar was seen between the small files and the large one
    h.window.onDoEvents = [&] {
        if (h.window.workDone == 0 || h.window.workDone == h.window.workTotal) return;
        ++checked;
        EXPECT_LT(h.window.bars[2].value, h.window.bars[2].max / 100);
    };
    ASSERT_TRUE(Create(h, h.dir / "src", h.dir / "new.arc")) << ::testing::PrintToString(h.window.Calls("MsgBox"));
    EXPECT_GT(checked, 0);
}

#ifndef _WIN32
// A new archive gets the permissions any new file gets under the umask.
TEST(CreateArchiveTest, NewArchiveFollowsTheUmask) {
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        ProgramHarness h;
        WriteFiles(h.dir / "src", {{"a.txt", "x"}});
        const mode_t old = ::umask(mask);
        const bool created = Create(h, h.dir / "src", h.dir / "new.arc");
        ::umask(old);
        ASSERT_TRUE(created);
        struct stat st {};
        ASSERT_EQ(::stat((h.dir / "new.arc").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
    }
}

// A folder or a file below the chosen one that cannot be read is a refusal
// naming it and its cause, never skipped. Run by an unprivileged user in a
// child process, since root reads everything.
TEST(CreateArchiveTest, UnreadableFolderOrFileIsRefused) {
    const struct {
        const char* locked;
        const char* message;
    } rows[] = {{"src/locked", "MsgBox | 无法读取目录，未写入任何文件："}, {"src/locked/b.txt", "MsgBox | 无法读取文件："}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.locked);
        ProgramHarness h;
        WriteFiles(h.dir / "src", {{"a.txt", "a"}, {"locked/b.txt", "b"}});
        ASSERT_EQ(::chmod(h.dir.path().c_str(), 0777), 0);  // the unprivileged user may write the archive here
        ASSERT_EQ(::chmod((h.dir / row.locked).c_str(), 0), 0);
        const ChildPeak child = RunMeasuredInChild([&]() -> int {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 2;
            const bool created = Create(h, h.dir / "src", h.dir / "new.arc");
            const auto boxes = h.window.Calls("MsgBox");
            return !created && boxes.size() == 1 && boxes[0].rfind(row.message, 0) == 0 &&
                   boxes[0].find(h.dir / row.locked) != std::string::npos &&
                   boxes[0].find("错误编号:70") != std::string::npos;
        });
        ::chmod((h.dir / row.locked).c_str(), 0755);
        EXPECT_TRUE(child.ran && child.result == 1) << "not refused naming " << row.locked;
        EXPECT_EQ(FolderListing(h.dir.path()), Names{"src"});
    }
}
#endif

}  // namespace
}  // namespace tessarin::testing
