// Reading the header and directory: the worked one-entry archive byte for byte,
// the field rules, and every truncation of a valid archive.
#include <gtest/gtest.h>

#include "core/ArcReader.h"
#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::ArcPlan;
using testing::BuildArc;
using testing::TempDir;
using testing::WriteFileBytes;

struct Recorder : ArcReadReceiver {
    std::vector<std::string> events;
    std::vector<std::string> rawNames;
    void MagicAccepted() override { events.push_back("magic"); }
    void VersionRead(std::int16_t v) override { events.push_back("version " + std::to_string(v)); }
    void CountRead(std::int16_t c) override { events.push_back("count " + std::to_string(c)); }
    void RecordStarting(int i) override { events.push_back("record " + std::to_string(i)); }
    void EntryAdded(const ARCFileCls& e, const DirectoryRecord& r) override {
        events.push_back("entry " + e.ArcFileKey);
        rawNames.push_back(r.rawName);
    }
};

struct Read {
    ArcReadResult result;
    ArcEntryList entries;
    Recorder recorder;
};

Read ReadBytes(const std::string& bytes, const ExtTypeTable& types = {}) {
    TempDir dir;
    WriteFileBytes(dir / "a.arc", bytes);
    Read read;
    read.result = ReadArcFile(dir / "a.arc", types, read.entries, read.recorder);
    return read;
}

// One entry ui\logo, type 26, 16 stored bytes, 32 original bytes, laid out by hand.
const std::string kWorkedExample = std::string("ARC\0" "\x07\0" "\x01\0", 8)  // magic, version 7, one entry
                                   + "ui\\logo" + std::string(57, '\0')          // name padded to 64 characters
                                   + std::string("\x1A\0\0\0"                   // type code 26 -> "1A"
                                                 "\x10\0\0\0"                   // stored size 16
                                                 "\x20\0\0\x40"                 // original size field 0x40000020 -> 32
                                                 "\x58\0\0\0", 16)              // data offset 88
                                   + "0123456789abcdef";  // entry data, never looked at by the directory reader

// Every field of the first entry, one line.
std::string Fields(const ARCFileCls& e) {
    return e.ArcFileKey + " | " + e.ArcFileName + " | " + e.ArcFilePath + " | " + e.ArcFileType + " | " +
           e.ArcFileTypeHex + " | " + std::to_string(e.ArcFileZipSize) + " | " + std::to_string(e.ArcFileOrgSize) +
           " | " + std::to_string(e.ArcFileOFSET);
}

TEST(ReaderTest, WorkedExampleGivesEveryField) {
    ASSERT_EQ(kWorkedExample.size(), 104u);
    // An unnamed type keeps its code and the same key.
    for (const auto& [types, fields] :
         {std::pair(ExtTypeTable{{"1A", "png"}}, "ui\\logo.1A | logo.png | ui\\ | png | 1A | 16 | 32 | 88"),
          std::pair(ExtTypeTable{}, "ui\\logo.1A | logo.1A | ui\\ | 1A | 1A | 16 | 32 | 88")}) {
        Read read = ReadBytes(kWorkedExample, types);
        ASSERT_EQ(read.result.status, ArcReadResult::Status::Ok);
        EXPECT_EQ(read.result.version, 7);
        ASSERT_EQ(read.entries.size(), 1u);
        EXPECT_EQ(Fields(read.entries[0]), fields);
        EXPECT_EQ(read.recorder.events,
                  (std::vector<std::string>{"magic", "version 7", "count 1", "record 1", "entry ui\\logo.1A"}));
    }
}

TEST(ReaderTest, NameFieldRules) {
    const struct {
        std::string field;  // the name field as it lies in the file (no padding added)
        std::string key;
        std::string rawName;
        std::string folder;
    } cases[] = {
        {testing::NameField(std::string("gfx\\a\0old", 9)), "gfx\\aold.1", "gfx\\aold", "gfx\\"},  // zeros dropped
        {std::string("a\xC4\xE3z") + std::string(61, '\0'), "a你z.1", "a\xC4\xE3z", ""},  // counts once
        {std::string(64, 'n'), std::string(64, 'n') + ".1", std::string(64, 'n'), ""},     // no zero byte
        {testing::NameField("\x95\x5C" "x"), "昞x.1", "\x95\x5Cx", ""},  // a trail 0x5C is no separator
        {testing::NameField("\x80\xFF"), "\xED\xB2\x80\xED\xB3\xBF.1", "\x80\xFF", ""},
    };
    for (const auto& c : cases) {
        ArcPlan plan;
        plan.records = {testing::Entry("", 1, ""), testing::Entry("next", 2, "x")};
        plan.records[0].name = c.field;
        plan.records[0].pad = false;
        Read read = ReadBytes(BuildArc(plan));
        ASSERT_EQ(read.entries.size(), 2u) << c.rawName;
        EXPECT_EQ(read.entries[0].ArcFileKey, c.key);
        EXPECT_EQ(read.entries[0].ArcFilePath, c.folder) << c.rawName;
        EXPECT_EQ(read.recorder.rawNames[0], c.rawName);
        EXPECT_EQ(read.entries[1].ArcFileKey, "next.2") << "the next record starts where the name's characters end";
    }
}

TEST(ReaderTest, NumberFieldRulesAndOffsets) {
    const std::tuple<std::int32_t, std::int32_t, std::string, std::int32_t> cases[] = {
        {0, 0x40000000, "0", 0},
        {10, 0x00000100, "A", -1073741568},
        {-1, 0x7FFFFFFF, "FFFFFFFF", 0x3FFFFFFF},
        {INT32_MIN, static_cast<std::int32_t>(0xC0000000u), "80000000", INT32_MIN},
    };
    for (const auto& [typeCode, orgField, hex, orgSize] : cases) {
        ArcPlan plan;
        plan.records = {testing::Entry("e", typeCode, "data")};
        plan.records[0].orgField = orgField;
        Read read = ReadBytes(BuildArc(plan));
        ASSERT_EQ(read.entries.size(), 1u) << hex;
        EXPECT_EQ(read.entries[0].ArcFileTypeHex, hex);
        EXPECT_EQ(read.entries[0].ArcFileOrgSize, orgSize) << hex;
    }
    // Entries keep directory order whatever their data offsets.
    ArcPlan plan;
    plan.records = {testing::Entry("b", 1, "bb"), testing::Entry("a", 1, "a")};
    plan.records[0].offset = 500;
    plan.records[1].offset = 100;
    Read read = ReadBytes(BuildArc(plan));
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].ArcFileKey + " " + std::to_string(read.entries[0].ArcFileOFSET) + " " +
                  read.entries[1].ArcFileKey + " " + std::to_string(read.entries[1].ArcFileOFSET),
              "b.1 500 a.1 100");
}

TEST(ReaderTest, HeaderAndFailureCases) {
    using S = ArcReadResult::Status;
    ArcPlan overflow, negative;
    for (int i = 0; i < 3; ++i) overflow.records.push_back(testing::Entry("d\\e" + std::to_string(i), 1, "x"));
    overflow.records[1].orgField = static_cast<std::int32_t>(0x90000000u);
    negative.records = overflow.records;
    negative.count = -2;
    negative.version = 3;
    const struct {
        const char* label;
        std::string bytes;
        S status;
        int error;
        std::size_t entries;
    } cases[] = {
        {"lower-case magic", std::string("arc\0", 4) + std::string(8, '\0'), S::WrongMagic, 0, 0},
        {"lead bytes eat the magic", "\x81\x81\x81\x81", S::Failed, 62, 0},
        {"overflowing original size", BuildArc(overflow), S::Failed, 6, 1},
        {"negative count reads nothing", BuildArc(negative), S::Ok, 0, 0},
    };
    for (const auto& c : cases) {
        Read read = ReadBytes(c.bytes);
        EXPECT_EQ(read.result.status, c.status) << c.label;
        EXPECT_EQ(read.result.errorNumber, c.error) << c.label;
        EXPECT_EQ(read.entries.size(), c.entries) << c.label;
        EXPECT_EQ(read.result.errorDescription, c.error ? VbErrorDescription(c.error) : "") << c.label;
    }
    EXPECT_EQ(ReadBytes(BuildArc(negative)).result.version, 3);
    ArcEntryList entries;
    Recorder recorder;
    EXPECT_EQ(ReadArcFile(TempDir() / "none.arc", {}, entries, recorder).errorNumber, 53);
}

// Every prefix of a valid archive either reads or fails cleanly with 62. An entry
// is there once its name is: numbers past the end read as zero, as nothing does
// before the count's low byte.
TEST(ReaderTest, EveryTruncationReadsOrFailsCleanly) {
    ArcPlan plan;
    plan.records = {testing::Entry("ui\\logo", 0x1A, "logo"), testing::Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", -1, "table"),
                    testing::Entry("x", 0, "")};  // 数据\表, its characters counted once
    const std::string full = BuildArc(plan);
    const std::size_t nameEnds[] = {8 + 64, 8 + 80 + 64 + 3, 8 + 80 + 83 + 64};
    for (std::size_t len = 0; len <= full.size(); ++len) {
        Read read = ReadBytes(full.substr(0, len));
        std::size_t complete = 0;
        for (std::size_t end : nameEnds) complete += len >= end;
        const bool whole = complete == 3 || (len >= 4 && len < 7);
        EXPECT_EQ(read.entries.size(), complete) << len;
        EXPECT_EQ(read.result.status, whole ? ArcReadResult::Status::Ok : ArcReadResult::Status::Failed) << len;
        EXPECT_EQ(read.result.errorNumber, whole ? 0 : 62) << len;
    }
}

}  // namespace
}  // namespace tessarin
