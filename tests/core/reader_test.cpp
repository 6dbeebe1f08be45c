// Reading the header and directory: the worked one-entry archive byte for byte,
// the field rules, and every truncation of a valid archive.
#include <gtest/gtest.h>

#include "core/ArcReader.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::ArcPlan;
using testing::BuildArc;
using testing::RecordPlan;
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

TEST(ReaderTest, WorkedExampleGivesEveryField) {
    ASSERT_EQ(kWorkedExample.size(), 104u);
    // With the type named, and without: an unnamed type keeps its code and the same key.
    for (const auto& [types, name, type] : {std::tuple(ExtTypeTable{{"1A", "png"}}, "logo.png", "png"),
                                            std::tuple(ExtTypeTable{}, "logo.1A", "1A")}) {
        Read read = ReadBytes(kWorkedExample, types);
        ASSERT_EQ(read.result.status, ArcReadResult::Status::Ok);
        EXPECT_EQ(read.result.version, 7);
        EXPECT_EQ(read.result.count, 1);
        ASSERT_EQ(read.entries.size(), 1u);
        const ARCFileCls& e = read.entries[0];
        EXPECT_EQ(e.ArcFileKey, "ui\\logo.1A");
        EXPECT_EQ(e.ArcFileName, name);
        EXPECT_EQ(e.ArcFilePath, "ui\\");
        EXPECT_EQ(e.ArcFileType, type);
        EXPECT_EQ(e.ArcFileTypeHex, "1A");
        EXPECT_EQ(e.ArcFileZipSize, 16);
        EXPECT_EQ(e.ArcFileOrgSize, 32);
        EXPECT_EQ(e.ArcFileOFSET, 88);
        EXPECT_EQ(read.recorder.events,
                  (std::vector<std::string>{"magic", "version 7", "count 1", "record 1", "entry ui\\logo.1A"}));
    }
}

TEST(ReaderTest, NameFieldRules) {
    const std::string zeros61(61, '\0');
    const struct {
        const char* label;
        std::string field;     // the name field as it lies in the file (no padding added)
        std::string fullName;  // "" : not checked
        std::string rawName;
        std::string folder;
    } cases[] = {
        {"zero bytes inside the name are dropped", testing::NameField(std::string("gfx\\a\0old", 9)), "gfx\\aold",
         "gfx\\aold", "gfx\\"},
        {"double-byte character counts once", std::string("a\xC4\xE3z") + zeros61, "a你z", "a\xC4\xE3z", ""},
        {"64 characters without any zero byte", std::string(64, 'n'), std::string(64, 'n'), std::string(64, 'n'), ""},
        {"a trail byte 0x5C is not a folder separator", testing::NameField("\x95\x5C" "x"), "", "\x95\x5Cx", ""},
        {"invalid bytes survive in the raw name", testing::NameField("\x80\xFF"), "\xED\xB2\x80\xED\xB3\xBF",
         "\x80\xFF", ""},
    };
    for (const auto& c : cases) {
        ArcPlan plan;
        RecordPlan r;
        r.name = c.field;
        r.pad = false;
        r.typeCode = 1;
        plan.records = {r, testing::Entry("next", 2, "x")};
        Read read = ReadBytes(BuildArc(plan));
        ASSERT_EQ(read.result.status, ArcReadResult::Status::Ok) << c.label;
        ASSERT_EQ(read.entries.size(), 2u) << c.label;
        if (!c.fullName.empty()) {
            EXPECT_EQ(read.entries[0].ArcFileKey, c.fullName + ".1") << c.label;
        }
        EXPECT_EQ(read.entries[0].ArcFilePath, c.folder) << c.label;
        EXPECT_EQ(read.recorder.rawNames[0], c.rawName) << c.label;
        // The record after a long field starts where the field's characters end.
        EXPECT_EQ(read.entries[1].ArcFileKey, "next.2") << c.label;
    }
}

TEST(ReaderTest, NumberFieldRulesAndOffsets) {
    struct Case {
        std::int32_t typeCode;
        std::int32_t orgField;
        std::string hex;
        std::int32_t orgSize;
    };
    const Case cases[] = {
        {26, 0x40000020, "1A", 32},
        {0, 0x40000000, "0", 0},
        {10, 0x00000100, "A", -1073741568},
        {-1, 0x7FFFFFFF, "FFFFFFFF", 0x3FFFFFFF},
        {INT32_MIN, static_cast<std::int32_t>(0xC0000000u), "80000000", INT32_MIN},
    };
    for (const Case& c : cases) {
        ArcPlan plan;
        plan.records = {testing::Entry("e", c.typeCode, "data")};
        plan.records[0].orgField = c.orgField;
        Read read = ReadBytes(BuildArc(plan));
        ASSERT_EQ(read.entries.size(), 1u) << c.hex;
        EXPECT_EQ(read.entries[0].ArcFileTypeHex, c.hex);
        EXPECT_EQ(read.entries[0].ArcFileOrgSize, c.orgSize) << c.hex;
    }
    // Entries keep directory order whatever their data offsets.
    ArcPlan plan;
    plan.records = {testing::Entry("b", 1, "bb"), testing::Entry("a", 1, "a")};
    plan.records[0].offset = 500;
    plan.records[1].offset = 100;
    Read read = ReadBytes(BuildArc(plan));
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0].ArcFileKey, "b.1");
    EXPECT_EQ(read.entries[0].ArcFileOFSET, 500);
    EXPECT_EQ(read.entries[1].ArcFileOFSET, 100);
}

TEST(ReaderTest, HeaderAndFailureCases) {
    using S = ArcReadResult::Status;
    struct Case {
        const char* label;
        std::string bytes;
        S status;
        int error;
        std::size_t entries;
    };
    ArcPlan three;
    for (int i = 0; i < 3; ++i) three.records.push_back(testing::Entry("d\\e" + std::to_string(i), 1, "x"));
    three.version = 3;
    ArcPlan oneShort = three;
    oneShort.count = 4;
    ArcPlan overflow = three;
    overflow.records[1].orgField = static_cast<std::int32_t>(0x90000000u);
    ArcPlan negative = three;
    negative.count = -2;
    std::string dirOnly = BuildArc(oneShort);
    const Case cases[] = {
        {"lower-case magic", std::string("arc\0", 4) + std::string(8, '\0'), S::WrongMagic, 0, 0},
        {"other file", "PK\x03\x04 hello", S::WrongMagic, 0, 0},
        {"shorter than the magic", "AR", S::Failed, 62, 0},
        {"lead bytes eat the magic", "\x81\x81\x81\x81", S::Failed, 62, 0},
        {"only the magic", std::string("ARC\0", 4), S::Ok, 0, 0},
        {"three entries", BuildArc(three), S::Ok, 0, 3},
        {"count one higher than the records", BuildArc(oneShort), S::Failed, 62, 3},
        {"overflowing original size", BuildArc(overflow), S::Failed, 6, 1},
        {"negative count reads nothing", BuildArc(negative), S::Ok, 0, 0},
    };
    for (const Case& c : cases) {
        Read read = ReadBytes(c.bytes);
        EXPECT_EQ(read.result.status, c.status) << c.label;
        EXPECT_EQ(read.result.errorNumber, c.error) << c.label;
        EXPECT_EQ(read.entries.size(), c.entries) << c.label;
        if (c.error != 0) {
            EXPECT_FALSE(read.result.errorDescription.empty()) << c.label;
        }
    }
    EXPECT_EQ(ReadBytes(BuildArc(three)).result.version, 3);
}

// Every prefix of a valid archive either reads or fails cleanly; the entries
// read are exactly those whose records lie wholly before the cut.
TEST(ReaderTest, EveryTruncationReadsOrFailsCleanly) {
    ArcPlan plan;
    plan.records = {testing::Entry("ui\\logo", 0x1A, "logo"), testing::Entry("数据\\表", -1, "table"),
                    testing::Entry("x", 0, "")};
    // Encode the second name in code page 936 by hand: 数据\表 = CA FD BE DD 5C B1 ED.
    plan.records[1].name = "\xCA\xFD\xBE\xDD\\\xB1\xED";
    const std::string full = BuildArc(plan);
    const std::size_t nameEnds[] = {8 + 64, 8 + 80 + 64 + 3, 8 + 80 + 83 + 64};
    for (std::size_t len = 0; len <= full.size(); ++len) {
        Read read = ReadBytes(full.substr(0, len));
        if (len < 4) {
            EXPECT_EQ(read.result.errorNumber, 62) << len;
            continue;
        }
        std::size_t complete = 0;
        for (std::size_t end : nameEnds) complete += len >= end;
        EXPECT_EQ(read.entries.size(), complete) << len;
        // Before the count's low byte is there, the count reads as 0: nothing to read.
        const bool whole = complete == 3 || len < 7;
        EXPECT_EQ(read.result.status, whole ? ArcReadResult::Status::Ok : ArcReadResult::Status::Failed) << len;
        if (!whole) {
            EXPECT_EQ(read.result.errorNumber, 62) << len;
        }
    }
}

TEST(ReaderTest, MissingFileAndFolderAreErrors) {
    TempDir dir;
    ArcEntryList entries;
    Recorder recorder;
    EXPECT_EQ(ReadArcFile(dir / "none.arc", {}, entries, recorder).errorNumber, 53);
    EXPECT_EQ(ReadArcFile(dir.path(), {}, entries, recorder).errorNumber, 75);
}

}  // namespace
}  // namespace tessarin
