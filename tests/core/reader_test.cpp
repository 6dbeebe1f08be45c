// Reading the header and directory: every field of a one-entry archive, the
// field rules, and every truncation of a valid archive.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "core/ArcReader.h"
#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"

// Designated initializers below leave the other members at their defaults on
// purpose; GCC warns about each member left out.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tessarin {
namespace {

using testing::RecordPlan;
using testing::BuildArc;

// What a read gave, and what it told its receiver on the way.
struct Read : ArcReadReceiver {
    ArcReadResult result;
    ArcEntryList entries;
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

// Reads bytes written as a file, or a file that is not there when there are none.
Read ReadBytes(const std::optional<std::string>& bytes, const ExtTypeTable& types = {}) {
    testing::TempDir dir;
    if (bytes) testing::WriteFileBytes(dir / "a.arc", *bytes);
    Read read;
    read.result = ReadArcFile(dir / "a.arc", types, read.entries, read);
    return read;
}

// One entry ui\logo, type 26, 16 stored bytes, 32 original bytes, its data at 88.
const std::string kOneEntry = BuildArc({.records = {testing::Stored("ui\\logo", 0x1A, "0123456789abcdef", 32)}});

// Every field of the first entry, one line.
std::string Fields(const ARCFileCls& e) {
    return e.ArcFileKey + " | " + e.ArcFileName + " | " + e.ArcFilePath + " | " + e.ArcFileType + " | " +
           e.ArcFileTypeHex + " | " + std::to_string(e.ArcFileZipSize) + " | " + std::to_string(e.ArcFileOrgSize) +
           " | " + std::to_string(e.ArcFileOFSET);
}

TEST(ReaderTest, OneEntryGivesEveryField) {
    // An unnamed type keeps its code and the same key.
    for (const auto& [types, fields] :
         {std::pair(ExtTypeTable{{"1A", "png"}}, "ui\\logo.1A | logo.png | ui\\ | png | 1A | 16 | 32 | 88"),
          std::pair(ExtTypeTable{}, "ui\\logo.1A | logo.1A | ui\\ | 1A | 1A | 16 | 32 | 88")}) {
        Read read = ReadBytes(kOneEntry, types);
        ASSERT_EQ(read.result.status, ArcReadResult::Status::Ok);
        EXPECT_EQ(read.result.version, 7);
        ASSERT_EQ(read.entries.size(), 1u);
        EXPECT_EQ(Fields(read.entries[0]), fields);
        EXPECT_EQ(read.events,
                  (std::vector<std::string>{"magic", "version 7", "count 1", "record 1", "entry ui\\logo.1A"}));
    }
}

// The first record's name and number fields as read; the record after it shows
// that the next one starts where the name's characters end, and that entries keep
// directory order whatever their data offsets.
TEST(ReaderTest, NameAndNumberFieldRulesAndOffsets) {
    // The name field as it lies in the file (no padding added); a record with given type code and original size field.
    const auto named = [](std::string field) { return RecordPlan{.name = std::move(field), .typeCode = 1, .pad = false}; };
    const auto numbered = [](std::int32_t type, std::uint32_t org) {
        return RecordPlan{.name = "e", .typeCode = type, .orgField = static_cast<std::int32_t>(org)};
    };
    // Zeros inside the name dropped, a double-byte character counted once, no zero byte at all, a trail byte 0x5C
    // that is no separator, invalid bytes. Each row: key | folder | raw name | type | original size | data offset.
    const std::pair<RecordPlan, std::string> cases[] = {
        {named(testing::NameField(std::string("gfx\\a\0old", 9))), "gfx\\aold.1 | gfx\\ | gfx\\aold | 1 | 0 | 168"},
        {named(std::string("a\xC4\xE3z") + std::string(61, '\0')), "a你z.1 |  | a\xC4\xE3z | 1 | 0 | 169"},
        {named(std::string(64, 'n')), std::string(64, 'n') + ".1 |  | " + std::string(64, 'n') + " | 1 | 0 | 168"},
        {named(testing::NameField("\x95\x5C" "x")), "昞x.1 |  | \x95\x5Cx | 1 | 0 | 169"},
        {named(testing::NameField("\x80\xFF")), "\xED\xB2\x80\xED\xB3\xBF.1 |  | \x80\xFF | 1 | 0 | 168"},
        {numbered(0, 0x40000000), "e.0 |  | e | 0 | 0 | 168"},
        {numbered(10, 0x00000100), "e.A |  | e | A | -1073741568 | 168"},
        {numbered(-1, 0x7FFFFFFF), "e.FFFFFFFF |  | e | FFFFFFFF | 1073741823 | 168"},
        {numbered(INT32_MIN, 0xC0000000), "e.80000000 |  | e | 80000000 | -2147483648 | 168"},
        {RecordPlan{.name = "b", .typeCode = 1, .offset = 500}, "b.1 |  | b | 1 | 0 | 500"},  // data after the next's
    };
    for (const auto& [record, fields] : cases) {
        Read read = ReadBytes(BuildArc({.records = {record, testing::Entry("next", 2, "x")}}));
        ASSERT_EQ(read.entries.size(), 2u) << fields;
        const ARCFileCls& e = read.entries[0];
        EXPECT_EQ(e.ArcFileKey + " | " + e.ArcFilePath + " | " + read.rawNames[0] + " | " + e.ArcFileTypeHex +
                      " | " + std::to_string(e.ArcFileOrgSize) + " | " + std::to_string(e.ArcFileOFSET),
                  fields);
        EXPECT_EQ(read.entries[1].ArcFileKey, "next.2") << fields;
    }
}

TEST(ReaderTest, HeaderAndFailureCases) {
    using S = ArcReadResult::Status;
    testing::ArcPlan overflow;
    for (int i = 0; i < 3; ++i) overflow.records.push_back(testing::Entry("d\\e" + std::to_string(i), 1, "x"));
    overflow.records[1].orgField = static_cast<std::int32_t>(0x90000000u);
    const std::string negative = BuildArc({.version = 3, .count = -2, .records = overflow.records});
    const std::tuple<const char*, std::optional<std::string>, S, int, std::size_t> cases[] = {
        {"lower-case magic", std::string("arc\0", 4) + std::string(8, '\0'), S::WrongMagic, 0, 0},
        {"lead bytes eat the magic", "\x81\x81\x81\x81", S::Failed, 62, 0},
        {"overflowing original size", BuildArc(overflow), S::Failed, 6, 1},
        {"negative count reads nothing", negative, S::Ok, 0, 0},
        {"missing file", std::nullopt, S::Failed, 53, 0},
    };
    for (const auto& [label, bytes, status, error, entries] : cases) {
        const Read read = ReadBytes(bytes);
        EXPECT_EQ(std::tuple(read.result.status, read.result.errorNumber, read.entries.size(),
                             read.result.errorDescription),
                  std::tuple(status, error, entries, error ? VbErrorDescription(error) : "")) << label;
    }
    EXPECT_EQ(ReadBytes(negative).result.version, 3);
}

// Every prefix of a valid archive either reads or fails cleanly with 62. An entry
// is there once its name is: numbers past the end read as zero, as nothing does
// before the count's low byte.
TEST(ReaderTest, EveryTruncationReadsOrFailsCleanly) {
    // The second name is 数据\表, its characters counted once.
    const std::string full = BuildArc({.records = {testing::Entry("ui\\logo", 0x1A, "logo"),
                                                   testing::Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", -1, "table"),
                                                   testing::Entry("x", 0, "")}});
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
