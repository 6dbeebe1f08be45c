// Exporting the selected entry (ExtSub) and every entry (ExportAllEntries).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "extract/Export.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

using Log = std::vector<std::string>;
namespace fs = std::filesystem;

std::string FailureBox(const std::string& lead, const std::string& path, int number) {
    return "MsgBox | " + lead + "\r\n" + path + "\r\n\r\n错误编号:" + std::to_string(number) + "\r\n错误信息:" +
           (number == 62 ? "Input past end of file" : VbErrorDescription(number)) + " | Stop | Tessarin";
}
const std::string kReadFailed = "读取归档中的资源数据时出错，文件未导出：";
std::string Refused(const std::string& name, const std::string& key) {
    return "MsgBox | 文件名可能写到所选目录之外，已拒绝导出：" + name + "\r\n\r\nKEY：" + key + " | Stop | Tessarin";
}
const std::string kCorruptBox = "MsgBox | 数组取数据不正确。 | Warning | Compression Error";

// Regular files below root, relative to it with "/" between parts, sorted.
Log FilesUnder(const std::string& root) {
    Log files;
    for (const auto& item : fs::recursive_directory_iterator(NativePath(root))) {
        if (!item.is_regular_file()) continue;
        std::string file = PathText(fs::relative(item.path(), NativePath(root)));
        std::replace_if(file.begin(), file.end(), IsNativeSeparator, '/');
        files.push_back(file);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Replaces "{p}" in each line by path.
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

TEST(ExtSubTest, ExportsTheSelectedEntry) {
    ArcPlan plan;
    plan.records = {Entry("ui\\img\\logo", 0x1A, "logo bytes, inflated"), Stored("empty", 0x20, "", 0),
                    Stored("corrupt", 0x1A, "not a zlib stream", 12), Stored("past", 0x1A, "", 10, 100),
                    Stored("negative", 0x20, "", 0, -5), Entry("slash/../../up", 0x1A, "x")};
    const std::string done = "MsgBox | 资源文件导出完成。 | Information | Tessarin";
    const std::string logo = "ui\\img\\logo.1A", inflated = "logo bytes, inflated";
    const std::string writeFailed = "写入文件时出错，文件未导出：";
    const struct {
        const char* label;
        std::string key;
        int check1;
        std::string folder;    // picker's answer below the temporary folder; "" cancels
        std::string existing;  // a file already at out/<node text>; "/" a folder; "" none
        bool diskFull;
        Log afterPicker;                      // {p} stands for out/<node text>
        std::optional<std::string> content;  // of out/<node text>; nullopt: no file
    } cases[] = {
        {"inflated", logo, 0, "out", "", false, {done}, inflated},
        {"raw replaces longer file", logo, 1, "out", std::string(500, 'z'), false, {done}, Deflate(inflated)},
        {"cancelled", logo, 0, "", "old", false, {}, "old"},
        {"empty inflated", "empty.20", 0, "out", "", false, {done}, ""},
        {"corrupt stream keeps the old file", "corrupt.1A", 0, "out", "old", false, {kCorruptBox}, "old"},
        {"corrupt stream raw is still written", "corrupt.1A", 1, "out", "", false, {done}, "not a zlib stream"},
        {"read past end", "past.1A", 1, "out", "", false, {FailureBox(kReadFailed, "{p}", 62)}, std::nullopt},
        {"negative stored size", "negative.20", 1, "out", "", false,
         {"MsgBox | " + kReadFailed + "\r\n{p}\r\n\r\n错误编号:62\r\n错误信息:记录的存储大小无效 (-5) | Stop | Tessarin"},
         std::nullopt},
        {"disk full keeps the old file", logo, 0, "out", "old", true, {FailureBox(writeFailed, "{p}", 61)}, "old"},
        {"folder in the way, raw", logo, 1, "out", "/", false, {FailureBox(writeFailed, "{p}", 75)}, std::nullopt},
        {"display name leaving the folder", "slash/../../up.1A", 0, "out", "", false,
         {Refused("slash/../../up.png", "slash/../../up.1A")}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        h.OpenArchive(plan);
        h.SelectNode(c.key);
        h.window.check1 = c.check1;
        fs::create_directory(h.dir / "out");
        const std::string target = h.dir / "out" + kNativeSeparator + h.program.tree.Node(h.window.selected).text;
        if (c.existing == "/") fs::create_directory(target);
        else if (!c.existing.empty()) WriteFileBytes(target, c.existing);
        if (!c.folder.empty()) h.window.folderAnswers.push_back(h.dir / c.folder);
        h.window.ClearLog();
        if (c.diskFull) faults::FailAt(faults::Op::Write, 1, vberr::DiskFull);
        ExtSub(h.program, 0x2002);
        faults::Reset();

        Log expected = Filled(c.afterPicker, target);
        expected.insert(expected.begin(), "BrowseForFolder | 8194 | 选保存文件的目录 |  | 64");
        EXPECT_EQ(h.window.log, expected);
        EXPECT_EQ(fs::is_regular_file(target) ? std::optional(ReadFileBytes(target)) : std::nullopt, c.content);
        EXPECT_EQ(fs::is_directory(target), c.existing == "/");
        // Only that one file, straight in the chosen folder; nothing anywhere else.
        const Log files = c.content ? Log{"out/" + fs::path(target).filename().string(), "pack.ARC"} : Log{"pack.ARC"};
        EXPECT_EQ(FilesUnder(h.dir.path()), files);
        EXPECT_FALSE(fs::exists(h.dir / "out/slash"));
    }
}

const std::string kPrompt = "BrowseForFolder | 4097 | 导出全部资源文件： \r\n请选择要保存的资源文件的目录 |  | 64";
const std::string kAllDone = "MsgBox | 全部资源文件导出完成。 | Information | Tessarin";
std::string EntryFailed(const std::string& key) { return "MsgBox | 导出文件时发生错误，KEY：" + key + " | Stop | Tessarin"; }

TEST(ExportAllTest, WritesEachEntryWithProgressAndMessages) {
    const struct {
        const char* label;
        std::vector<RecordPlan> records;
        std::vector<Log> perEntry;                 // messages of each entry ({p}: the chosen folder)
        std::map<std::string, std::string> files;  // what the chosen folder holds afterwards
        std::string blocker = "";                  // a file put in the chosen folder beforehand
    } cases[] = {
        {"nested folders, later entry with the same file wins, damaged entries among good ones",
         {Entry("top", 0x20, "top text"), Entry("a\\b\\c", 0x1A, "deep"), Entry("a\\x", 0x1A, "first"),
          Entry("a\\x", 0x21, "second"), Stored("bad", 0x1A, "not zlib", 10), Stored("gone", 0x1A, "", 4, 8, 1 << 20),
          Entry("ok", 0x1A, "after")},
         {{}, {}, {}, {}, {kCorruptBox, EntryFailed("bad.1A")},
          {FailureBox(kReadFailed, "{p}/gone.png", 62), EntryFailed("gone.1A")}, {}},
         {{"top.txt", "top text"}, {"a/b/c.png", "deep"}, {"a/x.png", "second"}, {"ok.png", "after"}}},
        {"hostile names never leave the folder",
         {Entry("..\\..\\escape", 0x1A, "1"), Entry("\\abs\\escape", 0x1A, "2"), Entry("C:\\escape", 0x1A, "3"),
          Entry("sub/../../../escape", 0x1A, "4"), Entry(".\\dot", 0x1A, "7"), Entry("ok\\fine", 0x1A, "8")},
         {{Refused("..\\..\\escape.png", "..\\..\\escape.1A")}, {Refused("\\abs\\escape.png", "\\abs\\escape.1A")},
          {Refused("C:\\escape.png", "C:\\escape.1A")}, {Refused("sub/../../../escape.png", "sub/../../../escape.1A")},
          {Refused(".\\dot.png", ".\\dot.1A")}, {}},
         {{"ok/fine.png", "8"}}},
        {"folder that cannot be created", {Entry("a\\b", 0x1A, "blocked"), Entry("c", 0x1A, "free")},
         {{FailureBox("无法创建目录，文件未导出：", "{p}/a/", 75), EntryFailed("a\\b.1A")}, {}},
         {{"a", "blocker"}, {"c.png", "free"}}, "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        ArcPlan plan;
        plan.records = c.records;
        AddExtType(h.program.ExtTypes, "21", "png");  // a second code named png
        h.OpenArchive(plan);
        const std::string out = h.dir / "x/y/out";  // deep, so that escapes have somewhere to land
        fs::create_directories(out);
        if (!c.blocker.empty()) WriteFileBytes(out + "/" + c.blocker, "blocker");
        h.window.folderAnswers.push_back(out);
        h.window.onDoEvents = [&] { EXPECT_FALSE(h.window.mainEnabled); };
        h.window.ClearLog();

        ExportAllEntries(h.program);

        const int n = static_cast<int>(c.records.size());
        Log expected = {kPrompt, "SetProgressVisible | 2 | true", "SetProgressValue | 2 | 0", "SetProgressMin | 2 | 0",
                        "SetProgressMax | 2 | " + std::to_string(n), "SetMainEnabled | false"};
        for (int i = 0; i < n; ++i) {
            expected.insert(expected.end(), {"DoEvents", "SetProgressValue | 2 | " + std::to_string(i + 1)});
            for (const std::string& line : Filled(c.perEntry[static_cast<std::size_t>(i)], out))
                expected.push_back(line);
        }
        expected.insert(expected.end(), {"SetMainEnabled | true", "SetProgressVisible | 2 | false", kAllDone});
        EXPECT_EQ(h.window.log, expected);
        // The chosen folder holds these files, and nothing was written anywhere else.
        std::map<std::string, std::string> files, expectedFiles = {{"pack.ARC", ReadFileBytes(h.dir / "pack.ARC")}};
        for (const std::string& file : FilesUnder(h.dir.path())) files[file] = ReadFileBytes(h.dir / file);
        for (const auto& [file, bytes] : c.files) expectedFiles["x/y/out/" + file] = bytes;
        EXPECT_EQ(files, expectedFiles);
    }
}

TEST(ExportAllTest, CancelAndEmptyArchive) {
    for (const bool cancel : {true, false}) {
        ProgramHarness h;
        ArcPlan plan;
        if (cancel) plan.records = {Entry("a", 0x1A, "x")};
        else h.window.folderAnswers.push_back(h.dir.path());
        h.OpenArchive(plan);
        h.window.ClearLog();
        ExportAllEntries(h.program);
        EXPECT_EQ(h.window.log, (cancel ? Log{kPrompt} : Log{kPrompt, kAllDone}));
        EXPECT_TRUE(h.window.mainEnabled);
        EXPECT_FALSE(h.window.bars[2].visible);
    }
}

}  // namespace
}  // namespace tessarin::testing
