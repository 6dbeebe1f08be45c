// Exporting the selected entry (ExtSub), every entry (ExportAllEntries) and a
// selection of several nodes (ExportSelection).
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>

#include "app/ExportCommands.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "extract/Export.h"
#include "extract/ExportRecord.h"
#include "extract/ExportSelection.h"
#include "support/ChildPeak.h"
#include "support/FaultSweep.h"
#include "support/Links.h"
#include "support/Listings.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

using Log = std::vector<std::string>;
namespace fs = std::filesystem;

std::string FailureBox(const std::string& lead, const std::string& path, int number) {
    return "MsgBox | " + lead + "\r\n" + path + "\r\n\r\n错误编号:" + std::to_string(number) + "\r\n错误信息:" +
           (number == 62 ? "输入超出文件尾" : VbErrorDescription(number)) + " | Stop | Tessarin";
}
const std::string kReadFailed = "读取归档中的资源数据时出错，文件未导出：";
const std::string kCorruptBox = "MsgBox | 数组取数据不正确。 | Warning | Compression Error";
// The text of a recorded message box.
std::string TextOf(const std::string& box) {
    const std::size_t start = box.find(" | ") + 3;
    return box.substr(start, box.rfind(" | ", box.rfind(" | ") - 1) - start);
}

// Every write permission of a file: without them it is read only (the read-only attribute on Windows).
constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// Replaces "{p}" in each line by path; the "/" of the path parts after it become
// the platform's separator, as the program writes them.
Log Filled(Log lines, const std::string& path) {
    for (std::string& line : lines) {
        const auto at = line.find("{p}");
        if (at == std::string::npos) continue;
        for (std::size_t i = at + 3; i < line.size() && line[i] != '\r'; ++i)
            if (line[i] == '/') line[i] = kNativeSeparator;
        line.replace(at, 3, path);
    }
    return lines;
}

// Opens plan and makes the folder below h.dir that an export is to write into; its path.
std::string OpenWithFolder(ProgramHarness& h, const ArcPlan& plan, const std::string& folder = "out") {
    h.OpenArchive(plan);
    fs::create_directories(NativePath(h.dir / folder));
    return h.dir / folder;
}

// Runs either export, the folder picker answering folder ("" cancels): every
// entry, or the entry with key (a file in the way is replaced when the user
// says so, yes unless told). The log then holds the export's calls only.
bool Export(ProgramHarness& h, const std::string& folder, bool all, const std::string& key = "top.20", bool replace = true) {
    if (!all) h.SelectNode(key);
    h.window.folderAnswers.push_back(folder);
    h.window.yesNoAnswers.push_back(replace);
    h.window.ClearLog();
    return all ? ExportAllEntries(h.program) : ExtSub(h.program, 0x2002);
}

TEST(ExtSubTest, ExportsTheSelectedEntry) {
    ArcPlan plan = Archive({Entry("ui\\img\\logo", 0x1A, "logo bytes, inflated"), Stored("empty", 0x20, "", 0),
                            Stored("corrupt", 0x1A, "not a zlib stream", 12), Stored("past", 0x1A, "", 10, 100),
                            Stored("negative", 0x20, "", 0, -5), Entry("slash/../../up", 0x1A, "x")});
    const std::string done = "MsgBox | 资源文件导出完成。 | Information | Tessarin";
    const std::string logo = "ui\\img\\logo.1A", inflated = "logo bytes, inflated";
    const std::string writeFailed = "写入文件时出错，文件未导出：";
    const struct {
        const char* label;
        std::string key;
        int check1;
        std::string existing;  // a file already at out/<node text> ("!" first: read only, "?": the user
                               // declines to replace it); "/" a folder; "" none
        Log afterPicker;                      // {p} stands for out/<node text>; none: the picker is cancelled
        std::optional<std::string> content;  // of out/<node text>; nullopt: no file
    } cases[] = {
        {"inflated", logo, 0, "", {done}, inflated},
        {"raw replaces longer file", logo, 1, std::string(500, 'z'), {done}, Deflate(inflated)},
        {"cancelled", logo, 0, "old", {}, "old"},
        {"existing file kept when the user declines", logo, 0, "?old", {}, "old"},
        {"empty inflated", "empty.20", 0, "", {done}, ""},
        {"corrupt stream keeps the old file", "corrupt.1A", 0, "old", {kCorruptBox}, "old"},
        {"corrupt stream raw is still written", "corrupt.1A", 1, "", {done}, "not a zlib stream"},
        {"read past end", "past.1A", 1, "", {FailureBox(kReadFailed, "{p}", 62)}, std::nullopt},
        {"negative stored size", "negative.20", 1, "",
         {"MsgBox | " + kReadFailed + "\r\n{p}\r\n\r\n错误编号:62\r\n错误信息:记录的存储大小无效 (-5) | Stop | Tessarin"},
         std::nullopt},
        {"read-only file kept", logo, 0, "!old", {FailureBox(writeFailed, "{p}", 70)}, "old"},
        {"folder in the way, raw", logo, 1, "/", {FailureBox(writeFailed, "{p}", 75)}, std::nullopt},
        {"display name leaving the folder", "slash/../../up.1A", 0, "",
         {"MsgBox | 文件名可能写到所选目录之外，已拒绝导出：slash/../../up.png\r\n\r\nKEY：slash/../../up.1A | Stop | Tessarin"},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        OpenWithFolder(h, plan);
        h.SelectNode(c.key);
        h.window.check1 = c.check1;
        const std::string target = h.dir / "out" + kNativeSeparator + h.program.tree.Node(h.window.selected).text;
        const bool readOnly = c.existing.starts_with('!'), declined = c.existing.starts_with('?');
        if (c.existing == "/") fs::create_directory(target);
        else if (!c.existing.empty()) WriteFileBytes(target, c.existing.substr(readOnly || declined));
        if (readOnly) fs::permissions(NativePath(target), kAnyWrite, fs::perm_options::remove);
        const bool cancelled = c.afterPicker.empty() && !declined;
        Export(h, cancelled ? "" : h.dir / "out", false, c.key, !declined);

        Log expected = Filled(c.afterPicker, target);
        // A file in the way (not a folder) is replaced only when the user says yes.
        if (!c.existing.empty() && c.existing != "/" && !cancelled)
            expected.insert(expected.begin(), "AskYesNo | 文件已存在，是否替换？\r\n" + target + " | Tessarin");
        expected.insert(expected.begin(), "BrowseForFolder | 8194 | 选保存文件的目录 |  | 64");
        EXPECT_EQ(h.window.log, expected);
        EXPECT_EQ(fs::is_directory(target), c.existing == "/");
        EXPECT_TRUE(!readOnly || (fs::status(NativePath(target)).permissions() & kAnyWrite) == fs::perms::none)
            << "made writable";
        // Only that one file, straight in the chosen folder; nothing anywhere else.
        FileTree files = {{"pack.ARC", ReadFileBytes(h.dir / "pack.ARC")}};
        if (c.content) files["out/" + fs::path(target).filename().string()] = *c.content;
        EXPECT_EQ(FilesBelow(h.dir.path()), files);
        EXPECT_FALSE(fs::exists(h.dir / "out/slash"));
    }
}

const std::string kPrompt = "BrowseForFolder | 4097 | 导出全部资源文件： \r\n请选择要保存的资源文件的目录 |  | 64";
const std::string kAllDone = "MsgBox | 全部资源文件导出完成。 | Information | Tessarin";
const std::string kStopped = "MsgBox | 已停止导出，已导出的文件保留。 | Information | Tessarin";
// One box for a failed entry: the entry, then why.
std::string EntryFailed(const std::string& key, const std::string& reasonBox) {
    return "AskAfterFailure | 导出文件时发生错误，KEY：" + key + "\r\n\r\n" + TextOf(reasonBox) + " | Tessarin";
}
std::string LinkRefused(const std::string& link, const std::string& key) {
    return "AskAfterFailure | 路径经过一个链接，可能写到所选目录之外，已拒绝导出：" + link + "\r\n\r\nKEY：" + key +
           " | Tessarin";
}

// One run over entries of every kind: nested folders, damaged and short entries
// among good ones, one that would write over an earlier entry's file, a folder
// that a file is in the way of, and names that would leave the chosen folder.
// Each failure costs its entry only; nothing is written anywhere else.
TEST(ExportAllTest, WritesEachEntryWithProgressAndMessages) {
    ArcPlan plan = Archive({Entry("top", 0x20, "top text"), Entry("a\\b\\c", 0x1A, "deep"), Entry("a\\x", 0x1A, "first"),
                            Entry("a\\x", 0x21, "second"), Stored("bad", 0x1A, "not zlib", 10), Stored("gone", 0x1A, "", 4, 8, 1 << 20),
                            Entry("ok", 0x1A, "after"), Stored("pad", 0x20, Deflate("short"), 8), Stored("empty", 0x20, "", 0),
                            Entry("blk\\b", 0x1A, "blocked"), Entry("..\\..\\escape", 0x1A, "1"), Entry("\\abs\\escape", 0x1A, "2"),
                            Entry("sub/../../../escape", 0x1A, "3"), Entry("ok\\fine", 0x1A, "4")});
    const auto refused = [](const std::string& name) {  // with the choice how to go on
        return Log{"AskAfterFailure | 文件名可能写到所选目录之外，已拒绝导出：" + name + ".png\r\n\r\nKEY：" + name + ".1A | Tessarin"};
    };
    const std::vector<Log> perEntry = {  // messages of each entry ({p}: the chosen folder)
        {}, {}, {}, {"AskAfterFailure | 这个文件已由本次导出的另一个条目写入，后一个条目未导出：{p}/a/x.png\r\n\r\nKEY：a\\x.21\r\n"
            "已写入的 KEY：a\\x.1A | Tessarin"}, {EntryFailed("bad.1A", kCorruptBox)},
        {EntryFailed("gone.1A", FailureBox(kReadFailed, "{p}/gone.png", 62))}, {}, {}, {},
        {EntryFailed("blk\\b.1A", FailureBox("无法创建目录，文件未导出：", "{p}/blk/", 75))}, refused("..\\..\\escape"),
        refused("\\abs\\escape"), refused("sub/../../../escape"), {}};
    ProgramHarness h;
    AddExtType(h.program.ExtTypes, "21", "png");  // a second code named png
    const std::string out = OpenWithFolder(h, plan, "x/y/out");  // deep, so that escapes have somewhere to land
    WriteFileBytes(out + "/blk", "blocker");
    std::size_t events = 0;
    h.window.onDoEvents = [&] {
        EXPECT_FALSE(h.window.mainEnabled);
        EXPECT_EQ(h.window.panels[1].rfind("正在导出 ", 0), 0u) << h.window.panels[1];
        ++events;
    };

    EXPECT_FALSE(Export(h, out, true));

    const std::size_t n = plan.records.size();
    const std::string items = " | " + std::to_string(n);
    Log expected = {kPrompt, "SetProgressVisible | 2 | true", "SetProgressMin | 2 | 0", "SetProgressMax | 2 | 10000",
                    "SetMainEnabled | false", "BeginLongWork", "SetWorkItems | 0" + items};
    for (std::size_t i = 0; i < n; ++i) {
        expected.push_back("SetWorkItems | " + std::to_string(i) + items);
        for (const std::string& line : Filled(perEntry[i], out)) expected.push_back(line);
    }
    expected.insert(expected.end(), {"EndLongWork", "SetMainEnabled | true", "SetProgressVisible | 2 | false", kAllDone});
    // Left out: the event pumps (they also come while waiting for a worker), panel 1 (timed) and the bar,
    // which follows the bytes and only moves forward (its values are tried with LongWork itself).
    Log log;
    std::vector<int> bar;
    for (const std::string& line : h.window.log) {
        if (line.starts_with("SetProgressValue | 2 | ")) bar.push_back(std::stoi(line.substr(23)));
        else if (line != "DoEvents" && !line.starts_with("SetPanelText | 1 | ")) log.push_back(line);
    }
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
    EXPECT_EQ(h.window.panels[1], "发现 14 个对象");
    EXPECT_EQ(log, expected);
    EXPECT_GE(events, n);
    EXPECT_EQ(FilesBelow(out), (FileTree{{"top.txt", "top text"}, {"a/b/c.png", "deep"}, {"a/x.png", "first"}, {"ok.png", "after"},
                                  {"pad.txt", std::string("short\0\0\0", 8)}, {"empty.txt", ""}, {"blk", "blocker"},
                                  {"ok/fine.png", "4"}}));
    // Nothing was written anywhere else: beside the chosen folder's files there is only the archive, as it was.
    FileTree everything = {{"pack.ARC", BuildArc(plan)}};
    for (const auto& [file, bytes] : FilesBelow(out)) everything["x/y/out/" + file] = bytes;
    EXPECT_EQ(FilesBelow(h.dir.path()), everything);
}

// Names that differ only in letter case are one file where the file system
// ignores case, as Windows does for Greek, Cyrillic and full-width letters as
// much as for ASCII: there the second entry is refused and the first one's
// file kept. Where case matters, each entry has a file of its own.
TEST(ExportAllTest, NamesDifferingOnlyInCaseAreOneFileWhereTheFileSystemSaysSo) {
    // n\Δ n\δ, Д д, Ａ ａ, A a (code page 936)
    const ArcPlan plan = Archive({Entry("n\\\xA6\xA4", 0x20, "first 1"), Entry("n\\\xA6\xC4", 0x20, "second 1"),
                                  Entry("\xA7\xA5", 0x20, "first 2"), Entry("\xA7\xD5", 0x20, "second 2"),
                                  Entry("\xA3\xC1", 0x20, "first 3"), Entry("\xA3\xE1", 0x20, "second 3"),
                                  Entry("A", 0x20, "first 4"), Entry("a", 0x20, "second 4")});
    const bool oneFile = kNativeSeparator == '\\';  // Windows
    ProgramHarness h;
    const std::string out = OpenWithFolder(h, plan);
    EXPECT_EQ(Export(h, out, true), !oneFile);
    const auto refusals = h.window.Calls("AskAfterFailure");
    EXPECT_EQ(refusals.size(), oneFile ? 4u : 0u);
    for (const std::string& box : refusals) EXPECT_NE(box.find("这个文件已由本次导出的另一个条目写入"), std::string::npos);
    std::multiset<std::string> contents;
    for (const auto& [file, bytes] : FilesBelow(out)) contents.insert(bytes);
    std::multiset<std::string> expected = {"first 1", "first 2", "first 3", "first 4"};
    if (!oneFile) expected.insert({"second 1", "second 2", "second 3", "second 4"});
    EXPECT_EQ(contents, expected);
}

// Links already in the chosen folder are never followed: nothing outside it is
// created or replaced, by either export; the other entries are still written.
TEST(ExportTest, LinksInTheChosenFolderAreNeverFollowed) {
    ArcPlan plan = Archive({Entry("ui\\logo", 0x1A, "new logo"), Entry("ui\\deep\\doc", 0x20, "new doc"),
                            Entry("top", 0x20, "new top"), Entry("other\\fine", 0x20, "fine")});
    const struct {
        const char* label;
        bool all;
        std::string link;  // below out/: a folder link to outside, or a file link to outside/victim.txt
        Log messages;      // {p}: out
        FileTree out;
    } cases[] = {
        {"folder link, export all", true, "ui",
         {LinkRefused("{p}/ui", "ui\\logo.1A"), LinkRefused("{p}/ui", "ui\\deep\\doc.20")},
         {{"top.txt", "new top"}, {"other/fine.txt", "fine"}}},
        {"file link, export all: the link itself is replaced", true, "top.txt", {},
         {{"ui/logo.png", "new logo"}, {"ui/deep/doc.txt", "new doc"}, {"top.txt", "new top"}, {"other/fine.txt", "fine"}}},
        {"file link, export one: the link itself is replaced", false, "top.txt", {},
         {{"top.txt", "new top"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        const std::string out = OpenWithFolder(h, plan), outside = h.dir / "outside";
        WriteFiles(outside, {{"logo.png", "precious"}, {"victim.txt", "precious"}});
        fs::create_directories(outside + "/deep");
        const std::string why = c.link == "ui" ? MakeLink(outside, out + "/ui", true)
                                               : MakeLink(outside + "/victim.txt", out + "/" + c.link, false);
        if (!why.empty()) GTEST_SKIP() << why;
        EXPECT_EQ(Export(h, out, c.all), c.messages.empty());
        EXPECT_EQ(h.window.Calls("AskAfterFailure"), Filled(c.messages, out));
        EXPECT_EQ(FilesBelow(outside), (FileTree{{"logo.png", "precious"}, {"victim.txt", "precious"}}));
        EXPECT_EQ(fs::is_symlink(out + "/ui"), c.link == "ui");  // a folder link stays as it was
        auto written = FilesBelow(out);  // seen through the folder link: the outside folder's tree
        if (c.link == "ui") std::erase_if(written, [](const auto& file) { return file.first.starts_with("ui/"); });
        EXPECT_EQ(written, c.out);
    }
}

// Either export broken at each step: the failure is reported once with its
// number (in a message or with the choice), a file that was there stays whole,
// no temporary is left, and the same export then writes everything.
TEST(ExportTest, FailureAtEachStepKeepsWhatWasThere) {
    const std::string big(300000, 't');  // inflated in blocks
    const ArcPlan plan = Archive({Entry("ui\\logo", 0x1A, "new logo"), Entry("top", 0x20, big)});
    const FileTree whole = {{"ui/logo.png", "new logo"}, {"top.txt", big}};
    for (const bool all : {false, true}) {
        SweepFileFaults(all ? "export all" : "export one", [&](const FailingRun& failing) {
            ProgramHarness h;
            h.OpenArchive(plan);
            const std::string out = h.dir / "out";
            WriteFiles(out, {{"top.txt", "old"}});  // replaced: synced before the rename
            if (failing([&] { return Export(h, out, all); })) return true;
            const Log& log = h.window.log;
            EXPECT_EQ(std::count_if(log.begin(), log.end(), [](auto& l) { return l.find("错误编号:57") != l.npos; }), 1)
                << ::testing::PrintToString(log);
            const FileTree kept = FilesBelow(out);  // each file whole; top.txt the new one or as it was
            for (const auto& [file, bytes] : kept)
                EXPECT_TRUE(whole.count(file) && (bytes == whole.at(file) || (file == "top.txt" && bytes == "old"))) << file;
            EXPECT_EQ(kept.count("top.txt"), 1u);
            EXPECT_TRUE(Export(h, out, all));
            EXPECT_EQ(FilesBelow(out), all ? whole : (FileTree{{"top.txt", big}}));
            return false;
        });
    }
}

// Sizes and offsets are checked against the archive before anything is
// allocated, and inflation works in blocks: records that claim up to 2 GiB,
// a decompression bomb and a tiny stream declared large all stay in small memory.
TEST(ExportTest, HostileSizesKeepMemorySmall) {
    ArcPlan plan;
    for (int i = 0; i < 20; ++i) plan.records.push_back(Stored("past" + std::to_string(i), 0x1A, "x", 100, 0x7FFFFFF0));
    const std::int32_t big = 12 << 20;  // above what is inflated whole
    plan.records.push_back(Entry("bomb", 0x1A, std::string(static_cast<std::size_t>(big), '\0')));
    plan.records.push_back(Stored("short", 0x1A, Deflate("abc"), big));
    for (const bool all : {true, false}) {
        SCOPED_TRACE(all ? "export all" : "export one");
        ProgramHarness h;
        h.OpenArchive(plan);
        // The export runs in a child process whose whole peak is measured: the
        // inflaters' buffers and zlib's own allocations count too.
        const auto exportAsExpected = [&] {
            if (all) {
                if (Export(h, h.dir.path(), true)) return false;
                const Log asked = h.window.Calls("AskAfterFailure");
                return std::count_if(asked.begin(), asked.end(), [&](auto& l) { return l.find(kReadFailed) != l.npos; }) == 20;
            }
            return !Export(h, h.dir.path(), false, "past0.1A") && Export(h, h.dir.path(), false, "bomb.1A") &&
                   Export(h, h.dir.path(), false, "short.1A");
        };
#ifdef _WIN32
        EXPECT_TRUE(exportAsExpected());
#else
        const ChildPeak peak = RunMeasuredInChild([&] { return exportAsExpected() ? 1 : 0; });
        ASSERT_TRUE(peak.ran && peak.result == 1) << "the export did not run or did not end as expected";
        EXPECT_LT(peak.addedKiB, 40 << 10);
#endif
        EXPECT_TRUE(ReadFileBytes(h.dir / "bomb.png") == std::string(static_cast<std::size_t>(big), '\0'));
        EXPECT_EQ(ReadFileBytes(h.dir / "short.png"), "abc" + std::string(static_cast<std::size_t>(big) - 3, '\0'));
    }
}

// More bytes than the buffers in flight may hold, in entries of very different
// sizes up to the largest held whole: each inflater (the fast one and zlib)
// writes the same tree, byte for byte. Damaged streams are left to the codec's
// tests, which run them through both inflaters.
TEST(ExportAllTest, BothInflatersWriteTheSameTreeBeyondTheBufferBudget) {
    const std::size_t sizes[] = {7 << 20, 300 << 10, 5 << 20, 8 << 20, 1, 6 << 20, 64 << 10, 8 << 20, 0, 3 << 20, 7 << 20};
    ArcPlan plan;
    FileTree expected;
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        std::string plain = Pattern(sizes[i] + i).substr(i);  // shifted by the entry: no two alike
        const std::string name = "e" + std::to_string(i);
        plan.records.push_back(Entry(name, 0x1A, plain));
        expected[name + ".png"] = std::move(plain);
    }
    for (const bool fast : {false, true}) {
        if (fast && !FastInflateAvailable()) break;  // built without the fast inflater
        SCOPED_TRACE(fast ? "fast" : "zlib");
        SetFastInflate(fast);
        ProgramHarness h;
        const std::string out = OpenWithFolder(h, plan);
        EXPECT_TRUE(Export(h, out, true));
        EXPECT_TRUE(FilesBelow(out) == expected);
    }
    SetFastInflate(true);
}

// Stopping, and the choice after a failure: go on without messages (the
// failures are reported at the end), or stop; going on, the default answer, is
// what the full export above takes. Nothing half-written stays. An archive of
// no entries ends at once, with no long work.
TEST(ExportAllTest, StopAndFailureChoices) {
    ArcPlan plan = Archive({Entry("a", 0x20, "a"), Stored("bad1", 0x20, "junk", 4), Entry("b", 0x20, "b"),
                            Stored("bad2", 0x20, "junk", 4), Entry("c", 0x20, "c")});
    const auto failed = [](const char* key) { return std::string("数组取数据不正确。 导出文件时发生错误，KEY：") + key; };
    const struct {
        const char* label;
        std::deque<FailureChoice> answers;
        int stopAtEntry;  // stop requested while this entry (1-based) is shown; 0: never; -1: no folder picked
        FileTree files;
        std::size_t asked;
        std::string closing;  // the last call: the closing message box or report
        Log report = {};      // the report's lines
        bool empty = false;   // an archive of no entries instead
    } cases[] = {
        {"go on quietly", {FailureChoice::GoOnQuietly}, 0, {{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}}, 1,
         "ShowReport | Tessarin | 全部资源文件导出完成。\r\n2 个条目未能导出： | 2", {failed("bad1.20"), failed("bad2.20")}},
        {"stop after a failure", {FailureChoice::Stop}, 0, {{"a.txt", "a"}}, 1, kStopped},
        {"stop requested", {}, 3, {{"a.txt", "a"}, {"b.txt", "b"}}, 1, kStopped},
        {"folder picker cancelled", {}, -1, {}, 0, kPrompt},
        {"empty archive", {}, 0, {}, 0, kAllDone, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        OpenWithFolder(h, c.empty ? ArcPlan{} : plan);
        h.window.failureAnswers = c.answers;
        h.window.onDoEvents = [&] { h.window.stopRequested |= c.stopAtEntry > 0 && h.window.workDone + 1 == static_cast<std::size_t>(c.stopAtEntry); };
        EXPECT_EQ(Export(h, c.stopAtEntry < 0 ? "" : h.dir / "out", true), c.empty);
        EXPECT_EQ(FilesBelow(h.dir / "out"), c.files);
        // One box per failure, naming the entry and giving the inflater's message.
        const Log boxes = {EntryFailed("bad1.20", kCorruptBox), EntryFailed("bad2.20", kCorruptBox)};
        EXPECT_EQ(h.window.Calls("AskAfterFailure"), Log(boxes.begin(), boxes.begin() + c.asked));
        EXPECT_EQ(h.window.Calls("MsgBox | 数组取数据不正确").size(), 0u);
        EXPECT_EQ(h.window.log.back(), c.closing);
        EXPECT_EQ(h.window.reports.size(), c.report.empty() ? 0u : 1u);
        for (const auto& report : h.window.reports) EXPECT_EQ(report.lines, c.report);
        EXPECT_TRUE(h.window.mainEnabled && !h.window.longWork) << "window left busy";
        EXPECT_EQ(h.window.Calls("BeginLongWork").size(), c.stopAtEntry < 0 || c.empty ? 0u : 1u);
    }
}

// A folder node or several nodes: their entries below the selected folder (or
// the one holding them all), as export all writes them; one entry as before.
TEST(ExportSelectionTest, WritesTheEntriesBelowTheSelectedFolder) {
    ArcPlan plan = Archive({Entry("top", 0x20, "top"), Entry("a\\readme", 0x20, "readme"), Entry("a\\b\\logo", 0x1A, "logo"),
                            Entry("a\\b\\c\\raw", 0x1A, "raw"), Entry("a\\..\\..\\up", 0x20, "escape")});
    const struct { std::vector<std::string> keys; int check1; FileTree written; } rows[] = {
        {{"a\\b\\"}, 0, {{"logo.png", "logo"}, {"c/raw.png", "raw"}}},
        {{"a\\b\\c\\"}, 1, {{"raw.png", Deflate("raw")}}},
        {{"a\\readme.20", "a\\b\\logo.1A"}, 0, {{"readme.txt", "readme"}, {"b/logo.png", "logo"}}},
        {{"a\\b\\", "a\\b\\c\\raw.1A"}, 0, {{"b/logo.png", "logo"}, {"b/c/raw.png", "raw"}}},  // raw once
        {{"a\\b\\c\\", "top.20"}, 0, {{"a/b/c/raw.png", "raw"}, {"top.txt", "top"}}},
        {{"a\\"}, 0, {{"readme.txt", "readme"}, {"b/logo.png", "logo"}, {"b/c/raw.png", "raw"}}},  // up refused
        {{"a\\b\\logo.1A"}, 0, {}},  // one entry: asked before replacing, and the answer is no
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys.front() + " and " + std::to_string(row.keys.size() - 1) + " more");
        ProgramHarness h;
        const std::string out = OpenWithFolder(h, plan, "x/y/out");  // deep, so that escapes have somewhere to land
        h.window.check1 = row.check1;
        WriteFileBytes(out + "/logo.png", "old");
        h.SelectNode(row.keys.front());
        for (std::size_t i = 1; i < row.keys.size(); ++i)
            h.window.alsoSelected.push_back(h.program.tree.Find(row.keys[i]));
        h.window.folderAnswers.push_back(out);
        h.window.ClearLog();
        EXPECT_EQ(ExportSelection(h.program, FakeWindow::kMainHandle), !row.written.empty() && row.keys[0] != "a\\");
        FileTree expected = row.written;
        expected.emplace("logo.png", "old");  // kept only where no entry is written over it
        EXPECT_EQ(FilesBelow(out), expected);
        EXPECT_EQ(FilesBelow(h.dir.path()).size(), expected.size() + 1);  // and the archive: nothing elsewhere
        EXPECT_FALSE(fs::exists(NativePath(out + "/" + kExportRecordName)));  // only a whole export has one
        EXPECT_EQ(h.window.Calls("BeginLongWork").size(), row.written.empty() ? 0u : 1u);
        EXPECT_EQ(h.window.Calls("AskYesNo").size(), row.written.empty() ? 1u : 0u);
    }
}

}  // namespace
}  // namespace tessarin::testing
