#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/platform/VbError.h"
#include "extract/Export.h"
#include "support/ProgramHarness.h"

namespace tessarin {
namespace {

using testing::ArcPlan;
using testing::Entry;
using testing::ProgramHarness;
using testing::RecordPlan;
using Log = std::vector<std::string>;
namespace fs = std::filesystem;

const std::string kPrompt = "BrowseForFolder | 4097 | 导出全部资源文件： \r\n请选择要保存的资源文件的目录 |  | 64";
const std::string kAllDone = "MsgBox | 全部资源文件导出完成。 | Information | Tessarin";

std::string EntryFailed(const std::string& key) { return "MsgBox | 导出文件时发生错误，KEY：" + key + " | Stop | Tessarin"; }
std::string Refused(const std::string& name, const std::string& key) {
    return "MsgBox | 文件名可能写到所选目录之外，已拒绝导出：" + name + "\r\n\r\nKEY：" + key + " | Stop | Tessarin";
}

// Every regular file below root, by path relative to it, with its content.
std::map<std::string, std::string> FilesUnder(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file()) {
            files[fs::relative(item.path(), root).string()] = testing::ReadFileBytes(item.path().string());
        }
    }
    return files;
}

struct ExportAllCase {
    const char* name;
    std::vector<RecordPlan> records;
    int check1;
    std::vector<Log> perEntry;  // messages of each entry, in order
    std::map<std::string, std::string> files;  // what the chosen folder holds afterwards
    std::string blocker = "";  // a file put in the chosen folder beforehand, where a folder is needed
};

class ExportAllTest : public ::testing::TestWithParam<ExportAllCase> {};

TEST_P(ExportAllTest, WritesEachEntryWithProgressAndMessages) {
    const ExportAllCase& c = GetParam();
    ProgramHarness h;
    ArcPlan plan;
    plan.records = c.records;
    AddExtType(h.program.ExtTypes, "21", "png");  // a second code named png
    h.OpenArchive(plan);
    ASSERT_TRUE(h.window.Calls("MsgBox").empty());
    h.window.check1 = c.check1;
    // Deep below the temporary folder, so that escapes have somewhere to land.
    const std::string out = h.dir / "x/y/out";
    fs::create_directories(out);
    if (!c.blocker.empty()) testing::WriteFileBytes(out + "/" + c.blocker, "blocker");
    h.window.folderAnswers.push_back(out);
    h.window.onDoEvents = [&] { EXPECT_FALSE(h.window.mainEnabled); };
    h.window.ClearLog();

    ExportAllEntries(h.program);

    const int n = static_cast<int>(c.records.size());
    Log expected = {kPrompt,
                    "SetProgressVisible | 2 | true",
                    "SetProgressValue | 2 | 0",
                    "SetProgressMin | 2 | 0",
                    "SetProgressMax | 2 | " + std::to_string(n),
                    "SetMainEnabled | false"};
    for (int i = 0; i < n; ++i) {
        expected.push_back("DoEvents");
        expected.push_back("SetProgressValue | 2 | " + std::to_string(i + 1));
        for (std::string line : c.perEntry[static_cast<std::size_t>(i)]) {
            if (const auto at = line.find("{out}"); at != std::string::npos) line.replace(at, 5, out);
            expected.push_back(line);
        }
    }
    expected.insert(expected.end(), {"SetMainEnabled | true", "SetProgressVisible | 2 | false", kAllDone});
    EXPECT_EQ(h.window.log, expected);
    EXPECT_EQ(h.window.bars[2].value, n);
    EXPECT_EQ(FilesUnder(out), c.files);
    // Nothing was written anywhere else: the temporary folder holds the archive and out/ only.
    for (const auto& item : fs::recursive_directory_iterator(h.dir.path())) {
        const std::string rel = fs::relative(item.path(), h.dir.path()).string();
        if (item.is_regular_file()) {
            EXPECT_TRUE(rel == "pack.ARC" || rel.rfind("x/y/out/", 0) == 0) << rel;
        }
    }
    for (const char* escaped : {"escape.png", "x/escape.png", "x/y/escape.png"}) {
        EXPECT_FALSE(fs::exists(h.dir / escaped)) << escaped;
    }
}

const std::string kRawLogo = testing::Deflate("logo");

RecordPlan Raw(std::string name, std::int32_t code, std::string data, std::int32_t orgSize) {
    RecordPlan r;
    r.name = std::move(name);
    r.typeCode = code;
    r.data = std::move(data);
    r.orgSize = orgSize;
    return r;
}

RecordPlan PastEnd(std::string name) {
    RecordPlan r = Raw(std::move(name), 0x1A, "", 4);
    r.offset = 1 << 20;
    r.storedSize = 8;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportAllTest,
    ::testing::Values(
        ExportAllCase{"NestedFoldersInflated",
                      {Entry("top", 0x20, "top text"), Entry("a\\b\\c", 0x1A, "deep"), Entry("a\\b\\d", 0x1B, "other"),
                       Entry("e\\f\\g\\h", 0x20, "parents without files"), Entry("a\\b\\c", 0x20, "same name")},
                      0,
                      {{}, {}, {}, {}, {}},
                      {{"top.txt", "top text"},
                       {"a/b/c.png", "deep"},
                       {"a/b/d.1B", "other"},
                       {"e/f/g/h.txt", "parents without files"},
                       {"a/b/c.txt", "same name"}}},
        ExportAllCase{"RawStoredBytes",
                      {Entry("ui\\logo", 0x1A, "logo"), Raw("empty", 0x20, "", 0)},
                      1,
                      {{}, {}},
                      {{"ui/logo.png", kRawLogo}, {"empty.txt", ""}}},
        ExportAllCase{"LaterEntryWithSameFileWins",
                      {Entry("a\\x", 0x1A, "first"), Entry("a\\x", 0x21, "second"), Entry("a\\y", 0x1A, "after")},
                      0,
                      {{}, {}, {}},
                      {{"a/x.png", "second"}, {"a/y.png", "after"}}},
        ExportAllCase{"CorruptAndDamagedEntriesAmongGoodOnes",
                      {Entry("ok1", 0x1A, "one"), Raw("bad", 0x1A, "not zlib", 10), PastEnd("gone"),
                       Entry("ok2", 0x1A, "two")},
                      0,
                      {{},
                       {"MsgBox | 数组取数据不正确。 | Warning | Compression Error", EntryFailed("bad.1A")},
                       {"MsgBox | 读取归档中的资源数据时出错，文件未导出：\r\n{out}/gone.png\r\n\r\n错误编号:62\r\n错误信息:"
                        "Input past end of file | Stop | Tessarin",
                        EntryFailed("gone.1A")},
                       {}},
                      {{"ok1.png", "one"}, {"ok2.png", "two"}}},
        ExportAllCase{"HostileNamesNeverLeaveTheFolder",
                      {Entry("..\\..\\escape", 0x1A, "1"), Entry("\\abs\\escape", 0x1A, "2"),
                       Entry("C:\\escape", 0x1A, "3"), Entry("sub/../../../escape", 0x1A, "4"),
                       Entry("ok\\..\\..\\..\\escape", 0x1A, "5"), Entry("two\\\\gap", 0x1A, "6"),
                       Entry(".\\dot", 0x1A, "7"), Entry("ok\\fine", 0x1A, "8")},
                      0,
                      {{Refused("..\\..\\escape.png", "..\\..\\escape.1A")},
                       {Refused("\\abs\\escape.png", "\\abs\\escape.1A")},
                       {Refused("C:\\escape.png", "C:\\escape.1A")},
                       {Refused("sub/../../../escape.png", "sub/../../../escape.1A")},
                       {Refused("ok\\..\\..\\..\\escape.png", "ok\\..\\..\\..\\escape.1A")},
                       {Refused("two\\\\gap.png", "two\\\\gap.1A")},
                       {Refused(".\\dot.png", ".\\dot.1A")},
                       {}},
                      {{"ok/fine.png", "8"}}},
        ExportAllCase{"FolderThatCannotBeCreated",
                      {Entry("a\\b", 0x1A, "blocked"), Entry("c", 0x1A, "free")},
                      0,
                      {{"MsgBox | 无法创建目录，文件未导出：\r\n{out}/a/\r\n\r\n错误编号:75\r\n错误信息:" +
                            VbErrorDescription(75) + " | Stop | Tessarin",
                        EntryFailed("a\\b.1A")},
                       {}},
                      {{"a", "blocker"}, {"c.png", "free"}},
                      "a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExportAllEdgeTest, CancelAndEmptyArchive) {
    {
        ProgramHarness h;
        ArcPlan plan;
        plan.records = {Entry("a", 0x1A, "x")};
        h.OpenArchive(plan);
        h.window.ClearLog();
        ExportAllEntries(h.program);  // the picker cancels
        EXPECT_EQ(h.window.log, Log{kPrompt});
    }
    {
        ProgramHarness h;
        h.OpenArchive(ArcPlan{});
        h.window.folderAnswers.push_back(h.dir.path());
        h.window.ClearLog();
        ExportAllEntries(h.program);
        EXPECT_EQ(h.window.log, (Log{kPrompt, kAllDone}));
        EXPECT_TRUE(h.window.mainEnabled);
        EXPECT_FALSE(h.window.bars[2].visible);
    }
}

}  // namespace
}  // namespace tessarin
