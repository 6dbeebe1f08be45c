// Replacing an entry: the rewritten archive byte for byte, the records, the
// file number, and the archives and sources that are refused untouched.
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/platform/BinaryFile.h"
#include "core/platform/VbError.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

const std::string kGbName = "\xCA\xFD\xBE\xDD\\\xB1\xED";  // 数据\表
const std::string kOddBytes = "bad\\\x80\xFF\x81\x30z";    // not code page 936, and a lead with a digit trail
const std::string k64Single(64, 'n');
const std::string k64Double = std::string(63, 'd') + "\xB1\xED";  // 64 characters, 65 bytes

std::string Text(std::size_t n, char c) { return std::string(n, c); }
std::string Noise(std::size_t n) {
    std::string s;
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1103515245 + 12345;
        s.push_back(static_cast<char>(x >> 24));
    }
    return s;
}

ArcPlan ThreeEntries() {
    ArcPlan layout;
    layout.version = 3;
    layout.records = {Entry("ui\\logo", 0x1A, Text(300, 'a')), Entry("data\\t", 0x20, "some text " + Text(50, 'b')),
                    Entry("top", 5, "tail entry")};
    layout.gap = "GAPBYTES";
    layout.trailer = "TRAILER";
    return layout;
}

struct Case {
    const char* name;
    ArcPlan layout;
    std::size_t target;
    std::string source;
    std::vector<std::pair<std::size_t, std::string>> namesAfter;  // names as the reader gives them back
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    cases.push_back({"FirstEntryLargerData", ThreeEntries(), 0, Noise(2000), {}});
    {
        ArcPlan layout = ThreeEntries();
        layout.trailer.clear();
        cases.push_back({"LastEntrySmallerDataEndsTheFile", layout, 2, "", {}});
        cases.back().source = "x";
    }
    {
        ArcPlan layout = ThreeEntries();
        layout.records[1] = Entry("data\\t", 0x20, "hello world 1");
        cases.push_back({"MiddleEntryEqualStoredSize", layout, 1, "hello world 2", {}});
    }
    {
        ArcPlan layout;
        layout.records = {Entry(kGbName, 0x1A, "gb"), Entry(kOddBytes, -1, "odd"), Entry(k64Single, 7, "long"),
                        Entry(k64Double, 8, "long double")};
        layout.records[1].orgField = 0x100;  // a negative original size, written back as read
        cases.push_back({"NamesWrittenBackWithoutGap", layout, 0, Noise(100), {}});
    }
    {
        ArcPlan layout = ThreeEntries();
        layout.records[0].name = std::string("gfx\\a\0old", 9);
        layout.records[1].data += "BETWEEN";  // bytes after an entry's data are kept
        layout.records[1].storedSize = static_cast<std::int32_t>(layout.records[1].data.size() - 7);
        cases.push_back({"KeepsBytesBetweenEntriesReplacedOne", layout, 1, Noise(500), {{0, "gfx\\aold"}}});
        cases.push_back({"KeepsBytesBetweenEntriesOtherOne", layout, 0, Noise(40), {{0, "gfx\\aold"}}});
    }
    cases.push_back({"EmptySourceIsStoredAsEmptyEntry", ThreeEntries(), 1, "", {}});
    return cases;
}

class ReplaceCases : public ::testing::TestWithParam<Case> {};

TEST_P(ReplaceCases, WritesTheExpectedArchiveAndRecords) {
    const Case& c = GetParam();
    ProgramHarness h;
    const std::string path = h.OpenArchive(c.layout);
    ASSERT_EQ(h.program.arc.ArcEntries.size(), c.layout.records.size());
    const std::string key = h.program.arc.ArcEntries[c.target].ArcFileKey;
    const std::string nodeText = h.program.arc.ArcEntries[c.target].ArcFileName;
    h.SelectNode(key);
    WriteFileBytes(h.dir / "source.bin", c.source);
    const std::int16_t oldNumber = h.program.arc.ArcFileNum;
    h.window.ClearLog();

    RunReplace(h, h.dir / "source.bin");

    ArcPlan expected = ExpectedAfterReplace(c.layout, c.target, c.source);
    for (const auto& [index, name] : c.namesAfter) expected.records[index].name = name;
    EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));
    EXPECT_EQ(h.window.log, (std::vector<std::string>{
                                "ShowOpenDialog | 4097 | 所有文件 *.*|*.* | 替换" + nodeText + ":", kDone}));

    // Open and locked under a new number; the old one is closed.
    EXPECT_NE(h.program.arc.ArcFileNum, oldNumber);
    EXPECT_FALSE(h.program.files.IsOpen(oldNumber));
    try {
        BinaryFile::Open(path, OpenMode::ReadLocked);
        ADD_FAILURE() << "the replaced archive is not locked";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), vberr::PermissionDenied);
    }
    // The records equal the directory now on disk, read through the open number.
    ExpectSameRecords(h.program.arc.ArcEntries, ReadBackThroughOpenNumber(h.program));
    EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"pack.ARC", "source.bin"}));
}

INSTANTIATE_TEST_SUITE_P(Replace, ReplaceCases, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceTest, SecondReplacementWorksOnTheRewrittenArchive) {
    ProgramHarness h;
    const std::string path = h.OpenArchive(ThreeEntries());
    h.SelectNode("data\\t.20");
    WriteFileBytes(h.dir / "one", Noise(700));
    RunReplace(h, h.dir / "one");
    h.SelectNode("ui\\logo.1A");
    WriteFileBytes(h.dir / "two", "short");
    RunReplace(h, h.dir / "two");

    ArcPlan expected = ExpectedAfterReplace(ExpectedAfterReplace(ThreeEntries(), 1, Noise(700)), 0, "short");
    EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));
    EXPECT_EQ(h.window.Calls("MsgBox"), (std::vector<std::string>{kDone, kDone}));
}

TEST(ReplaceTest, RootFolderOrNoSelectionLeavesTheArchiveAlone) {
    for (const char* key : {"Root", "ui\\", ""}) {
        SCOPED_TRACE(key);
        ProgramHarness h;
        const std::string path = h.OpenArchive(ThreeEntries());
        const std::string before = ReadFileBytes(path);
        if (*key) h.SelectNode(key);
        else h.window.selected = kNoNode;
        h.window.ClearLog();
        RunReplace(h, "/etc/hostname");
        EXPECT_EQ(h.window.log, std::vector<std::string>{});
        EXPECT_EQ(ReadFileBytes(path), before);
    }
}

TEST(ReplaceTest, CancelledPickerChangesNothing) {
    ProgramHarness h;
    const std::string path = h.OpenArchive(ThreeEntries());
    const std::string before = ReadFileBytes(path);
    const std::int16_t number = h.program.arc.ArcFileNum;
    h.SelectNode("top.5");
    h.window.ClearLog();
    ReaplceFile(h.program, FakeWindow::kMainHandle);  // no answer scripted: cancel
    EXPECT_EQ(h.window.log, std::vector<std::string>{"ShowOpenDialog | 4097 | 所有文件 *.*|*.* | 替换top.5:"});
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(h.program.arc.ArcFileNum, number);
}

struct Refusal {
    const char* name;
    std::function<void(ArcPlan&)> breakArchive;
    std::function<std::string(const TempDir&, const std::string& archive)> makeSource;  // returns its path
    std::string messageStart;
    const char* icon;
};

std::string PlainSource(const TempDir& dir, const std::string&) {
    WriteFileBytes(dir / "source.bin", "new data");
    return dir / "source.bin";
}

std::vector<Refusal> Refusals() {
    const std::string layout = "档案的数据布局不符合替换的要求，档案未作改动：";
    return {
        {"FirstOffsetInsideDirectory", [](ArcPlan& s) { s.gap.clear(); s.records[0].offset = 200; }, PlainSource,
         layout + "\r\n\r\n第一个条目的数据偏移 200 位于目录之内（目录结束于 248），KEY：ui\\logo.1A", "Warning"},
        {"DataOutOfDirectoryOrder",
         [](ArcPlan& s) {
             std::swap(s.records[0].data, s.records[1].data);
             s.records[0].offset = 256 + static_cast<std::int32_t>(s.records[1].data.size());
             s.records[1].offset = 256;
         },
         PlainSource, layout, "Warning"},
        {"OverlappingData", [](ArcPlan& s) { s.records[2].offset = 256 + 10; }, PlainSource,
         layout + "\r\n\r\n条目数据不按目录顺序排列或与前一条目的数据重叠，KEY：top.5", "Warning"},
        {"DataBeyondTheEnd", [](ArcPlan& s) { s.records[2].storedSize = 5000; }, PlainSource,
         layout + "\r\n\r\n条目数据超出文件末尾", "Warning"},
        {"SourceOfOneGiB", [](ArcPlan&) {},
         [](const TempDir& dir, const std::string&) {
             const std::string p = dir / "huge.bin";
             WriteFileBytes(p, "");
             EXPECT_EQ(::truncate(p.c_str(), 0x40000000), 0);  // sparse: takes no disk space
             return p;
         },
         "替换文件太大，无法存入档案：", "Warning"},
        {"MissingSource", [](ArcPlan&) {}, [](const TempDir& dir, const std::string&) { return dir / "absent.bin"; },
         "无法读取替换文件：", "Stop"},
        {"FolderAsSource", [](ArcPlan&) {}, [](const TempDir& dir, const std::string&) { return dir.path(); },
         "无法读取替换文件：", "Stop"},
        {"ArchiveItselfAsSource", [](ArcPlan&) {}, [](const TempDir&, const std::string& archive) { return archive; },
         "无法读取替换文件：", "Stop"},
    };
}

class RefusedReplacements : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedReplacements, LeaveArchiveAndRecordsUntouched) {
    const Refusal& r = GetParam();
    ProgramHarness h;
    ArcPlan layout = ThreeEntries();
    layout.gap = Text(8, 'G');  // data area at 248 + 8 = 256
    r.breakArchive(layout);
    const std::string path = h.OpenArchive(layout);
    ASSERT_EQ(h.program.arc.ArcEntries.size(), 3u);
    const std::string before = ReadFileBytes(path);
    const ArcEntryList records = h.program.arc.ArcEntries;
    const std::int16_t number = h.program.arc.ArcFileNum;
    h.SelectNode("top.5");
    const std::string source = r.makeSource(h.dir, path);
    h.window.ClearLog();

    RunReplace(h, source);

    const auto boxes = h.window.Calls("MsgBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("MsgBox | " + r.messageStart, 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find(std::string(" | ") + r.icon + " | Tessarin"), std::string::npos) << boxes[0];
    EXPECT_EQ(ReadFileBytes(path), before);
    ExpectSameRecords(h.program.arc.ArcEntries, records);
    EXPECT_EQ(h.program.arc.ArcFileNum, number);
    EXPECT_TRUE(h.program.files.IsOpen(number));
    for (const std::string& name : FolderListing(h.dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

INSTANTIATE_TEST_SUITE_P(Replace, RefusedReplacements, ::testing::ValuesIn(Refusals()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessarin::testing
