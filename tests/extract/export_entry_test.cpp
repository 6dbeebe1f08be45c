#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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

const std::string kDone = "MsgBox | 资源文件导出完成。 | Information | Tessarin";

RecordPlan Stored(std::string name, std::int32_t code, std::string data, std::int32_t orgSize) {
    RecordPlan r;
    r.name = std::move(name);
    r.typeCode = code;
    r.data = std::move(data);
    r.orgSize = orgSize;
    return r;
}

ArcPlan Sample() {
    ArcPlan plan;
    RecordPlan pastEnd = Stored("past", 0x1A, "", 10);
    pastEnd.storedSize = 100;  // runs past the end of the file
    RecordPlan negative = Stored("negative", 0x20, "", 0);
    negative.storedSize = -5;
    plan.records = {Entry("ui\\img\\logo", 0x1A, "logo bytes, inflated"),
                    Stored("empty", 0x20, "", 0),
                    Stored("corrupt", 0x1A, "not a zlib stream", 12),
                    pastEnd,
                    negative,
                    Entry("slash/../../up", 0x1A, "x")};
    return plan;
}

struct ExtSubCase {
    const char* name;
    std::string key;
    int check1;
    std::string folder;        // answer of the folder picker, relative to the temp folder; "" cancels
    std::string existing;      // content of a file already at out/<node text>; "" for none
    Log afterPicker;           // messages after the picker ({path} stands for the output path)
    std::optional<std::string> fileContent;  // expected content of out/<node text>; nullopt: no file
};

std::string Fill(std::string text, const std::string& path) {
    const auto at = text.find("{path}");
    if (at != std::string::npos) text.replace(at, 6, path);
    return text;
}

class ExtSubTest : public ::testing::TestWithParam<ExtSubCase> {};

TEST_P(ExtSubTest, ExportsTheSelectedEntry) {
    const ExtSubCase& c = GetParam();
    ProgramHarness h;
    h.OpenArchive(Sample());
    h.SelectNode(c.key);
    h.window.check1 = c.check1;
    const std::string out = h.dir / "out";
    fs::create_directory(out);
    const std::string text = h.program.tree.Node(h.window.selected).text;
    const std::string target = out + "/" + text;
    if (!c.existing.empty()) testing::WriteFileBytes(target, c.existing);
    if (!c.folder.empty()) h.window.folderAnswers.push_back(h.dir / c.folder);
    h.window.ClearLog();

    ExtSub(h.program, 0x2002);

    Log expected = {"BrowseForFolder | 8194 | 选保存文件的目录 |  | 64"};
    for (const auto& line : c.afterPicker) expected.push_back(Fill(line, target));
    EXPECT_EQ(h.window.log, expected);
    if (!c.fileContent) {
        EXPECT_FALSE(fs::exists(target));
    } else {
        EXPECT_EQ(testing::ReadFileBytes(target), c.fileContent);
    }
    // Only the one file, straight in the chosen folder.
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(h.dir.path())) files += item.is_regular_file();
    EXPECT_EQ(files, 1u + (c.fileContent ? 1u : 0u));
}

const std::string kDeflatedLogo = testing::Deflate("logo bytes, inflated");

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtSubTest,
    ::testing::Values(
        ExtSubCase{"Inflated", "ui\\img\\logo.1A", 0, "out", "", {kDone}, "logo bytes, inflated"},
        ExtSubCase{"FolderEndingInSeparator", "ui\\img\\logo.1A", 0, "out/", "", {kDone}, "logo bytes, inflated"},
        ExtSubCase{"RawReplacesLongerFile", "ui\\img\\logo.1A", 1, "out", std::string(500, 'z'), {kDone},
                   kDeflatedLogo},
        ExtSubCase{"Cancelled", "ui\\img\\logo.1A", 0, "", "old", {}, "old"},
        ExtSubCase{"EmptyRaw", "empty.20", 1, "out", "", {kDone}, ""},
        ExtSubCase{"EmptyInflated", "empty.20", 0, "out", "", {kDone}, ""},
        ExtSubCase{"CorruptStreamDeletesOldFileOnly", "corrupt.1A", 0, "out", "old",
                   {"MsgBox | 数组取数据不正确。 | Warning | Compression Error"}, std::nullopt},
        ExtSubCase{"CorruptStreamRawIsStillWritten", "corrupt.1A", 1, "out", "", {kDone}, "not a zlib stream"},
        ExtSubCase{"ReadPastEnd", "past.1A", 1, "out", "",
                   {"MsgBox | 读取归档中的资源数据时出错，文件未导出：\r\n{path}\r\n\r\n错误编号:62\r\n错误信息:Input "
                    "past end of file | Stop | Tessarin"},
                   std::nullopt},
        ExtSubCase{"NegativeStoredSize", "negative.20", 1, "out", "",
                   {"MsgBox | 读取归档中的资源数据时出错，文件未导出：\r\n{path}\r\n\r\n错误编号:62\r\n错误信息:"
                    "记录的存储大小无效 (-5) | Stop | Tessarin"},
                   std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtSubSafetyTest, RefusesADisplayNameThatLeavesTheFolder) {
    ProgramHarness h;
    h.OpenArchive(Sample());
    h.SelectNode("slash/../../up.1A");
    const std::string out = h.dir / "a/b/out";
    fs::create_directories(out);
    h.window.folderAnswers.push_back(out);
    h.window.ClearLog();

    ExtSub(h.program, testing::FakeWindow::kMainHandle);
    const Log expected = {
        "BrowseForFolder | 4097 | 选保存文件的目录 |  | 64",
        "MsgBox | 文件名可能写到所选目录之外，已拒绝导出：slash/../../up.png\r\n\r\nKEY：slash/../../up.1A | Stop | "
        "Tessarin"};
    EXPECT_EQ(h.window.log, expected);
    EXPECT_FALSE(fs::exists(h.dir / "a/up.png"));
    EXPECT_FALSE(fs::exists(out + "/slash"));
}

TEST(ExtSubFailureTest, FolderInTheWayGetsAMessageAndNoCompletion) {
    for (int check1 : {0, 1}) {
        ProgramHarness h;
        h.OpenArchive(Sample());
        h.SelectNode("ui\\img\\logo.1A");
        h.window.check1 = check1;
        const std::string out = h.dir / "out";
        fs::create_directories(out + "/logo.png");
        h.window.folderAnswers.push_back(out);
        h.window.ClearLog();

        ExtSub(h.program, testing::FakeWindow::kMainHandle);
        const auto boxes = h.window.Calls("MsgBox");
        ASSERT_EQ(boxes.size(), 1u) << check1;
        EXPECT_NE(boxes[0].find(out + "/logo.png"), std::string::npos) << boxes[0];
        EXPECT_NE(boxes[0].find("| Stop | Tessarin"), std::string::npos) << boxes[0];
        EXPECT_TRUE(fs::is_directory(out + "/logo.png"));
    }
}

TEST(ExportEntryFileTest, DiskFullIsReportedAndNotDone) {
    ProgramHarness h;
    h.OpenArchive(Sample());
    h.window.check1 = 1;
    const ARCFileCls logo = h.program.arc.ArcEntries[0];
    EXPECT_FALSE(ExportEntryFile(h.program, logo.ArcFileOFSET, logo.ArcFileOrgSize, logo.ArcFileZipSize, "/dev/full"));
    const auto boxes = h.window.Calls("MsgBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("MsgBox | 写入文件时出错，文件未导出：\r\n/dev/full\r\n\r\n错误编号:61", 0), 0u) << boxes[0];
    EXPECT_TRUE(fs::is_character_file("/dev/full"));  // the device is never cleaned up as a partial file
}

}  // namespace
}  // namespace tessarin
