// Archives spelled out byte by byte, not built by the test builder (which
// shares the reader's rule for the name field): double-byte names make their
// records 83 and 81 bytes long, so a reader or writer that counts the field in
// bytes instead of characters puts every later field in the wrong place. Then
// the layout a rewrite relies on: what is accepted at its edges and what is refused.
#include <gtest/gtest.h>

#include <sstream>

#include "core/ArcReader.h"
#include "core/ArcWriter.h"
#include "core/platform/Cp936.h"
#include "support/ArcBuilder.h"
#include "support/Listings.h"

namespace tessarin {
namespace {

// "41 52 ..." as bytes; "Z60" stands for 60 zero bytes.
std::string Bytes(const std::string& text) {
    std::string bytes;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word[0] == 'Z') bytes.append(static_cast<std::size_t>(std::stoi(word.substr(1))), '\0');
        else bytes.push_back(static_cast<char>(std::stoi(word, nullptr, 16)));
    }
    return bytes;
}

// 数据\表 (4 characters in 7 bytes), 图\ab (4 in 5) and "empty" (no data): the
// directory ends at 8 + 83 + 81 + 80 = 252 (FC), where "hi" and "ok" deflated follow.
const std::string kHead = "41 52 43 00 07 00 03 00 CA FD BE DD 5C B1 ED Z60 77 00 00 00 0A 00 00 00 02 00 00 40 FC 00 00 00 ";
const std::string kStreams = "78 9C CB C8 04 00 01 3B 00 D2 ";
const std::string kGolden = Bytes(kHead + "CD BC 5C 61 62 Z60 1A 00 00 00 0A 00 00 00 02 00 00 40 06 01 00 00 "
                                  "65 6D 70 74 79 Z59 20 00 00 00 00 00 00 00 00 00 00 40 10 01 00 00 " +
                                  kStreams + "78 9C CB CF 06 00 01 4B 00 DB");
// After 图\ab got "hello" (14 stored bytes): its sizes change, the empty entry moves by 4.
const std::string kHello = Bytes("78 9C CB 48 CD C9 C9 07 00 06 2C 02 15 13");
const std::string kReplaced = Bytes(kHead + "CD BC 5C 61 62 Z60 1A 00 00 00 0E 00 00 00 05 00 00 40 06 01 00 00 "
                                    "65 6D 70 74 79 Z59 20 00 00 00 00 00 00 00 00 00 00 40 14 01 00 00 " +
                                    kStreams) + kHello;

TEST(GoldenArchiveTest, ReadAndWrittenByCharactersNotBytes) {
    testing::TempDir dir;
    testing::WriteFileBytes(dir / "golden.arc", kGolden);
    BinaryFile old = BinaryFile::Open(dir / "golden.arc", OpenMode::ReadLocked);
    ArcEntryList entries;
    ArcReadReceiver ignore;
    ASSERT_EQ(ReadArcDirectory(old, ExtTypeTable{}, entries, ignore).status, ArcReadResult::Status::Ok);
    EXPECT_EQ(testing::Records(entries), (std::vector<std::string>{"数据\\表.77 | 表.77 | 77 | 10 | 2 | 252",
                                                                   "图\\ab.1A | ab.1A | 1A | 10 | 2 | 262",
                                                                   "empty.20 | empty.20 | 20 | 0 | 0 | 272"}));

    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "second entry replaced" : "written back unchanged");
        NewEntryData hello{1, [](BinaryFile& out) {
                               out.Write(kHello.data(), kHello.size());
                               return 5;
                           }};
        const std::string path = dir / (replace ? "replaced.arc" : "same.arc");
        {
            BinaryFile out = BinaryFile::Open(path, OpenMode::CreateNewLocked);
            WriteRewrittenArchive(old, entries, replace ? std::vector<NewEntryData>{hello} : std::vector<NewEntryData>{}, out);
        }
        EXPECT_EQ(testing::ReadFileBytes(path), replace ? kReplaced : kGolden);
    }
}

// fullName in code page 936 bytes, as it lies in the archive.
ARCFileCls Record(const std::string& fullName, std::int32_t offset, std::int32_t zipSize,
                  const std::string& hex = "1A") {
    ARCFileCls r;
    r.ArcFileKey = Cp936ToText(fullName) + "." + hex;
    r.ArcFileTypeHex = hex;
    r.ArcFileOFSET = offset;
    r.ArcFileZipSize = zipSize;
    return r;
}

TEST(LayoutProblemsTest, EdgesOfTheLayout) {
    // Two single-byte records: the directory ends at 8 + 2 * 80 = 168.
    struct Row {
        const char* name;
        ArcEntryList entries;
        std::int64_t length;
        std::vector<int> problemRecords;
    };
    const std::string longName(65, 'x');
    const Row rows[] = {
        {"data right after the directory, last ends at the end", {Record("a", 168, 10), Record("b", 178, 2)}, 180, {}},
        {"empty entries sharing an offset", {Record("a", 168, 0), Record("b", 168, 0)}, 168, {}},
        {"bytes between and after entries", {Record("a", 170, 1), Record("b", 175, 1)}, 400, {}},
        {"first offset one byte inside the directory", {Record("a", 167, 1), Record("b", 168, 1)}, 169, {0}},
        {"double-byte name makes the directory longer", {Record("\xB1\xED", 168, 1), Record("b", 169, 1)}, 170, {0}},
        {"last entry one byte past the end", {Record("a", 168, 10), Record("b", 178, 3)}, 180, {1}},
        {"overlap by one byte", {Record("a", 168, 10), Record("b", 177, 1)}, 180, {1}},
        {"negative stored size", {Record("a", 168, -1), Record("b", 168, 1)}, 180, {0}},
        {"negative offset", {Record("a", 168, 1), Record("b", -5, 1)}, 180, {1}},
        {"name of 65 characters", {Record(longName, 168, 1), Record("b", 169, 1)}, 170, {0}},
        {"type text that is no code", {Record("a", 168, 1, "XYZ"), Record("b", 169, 1)}, 170, {0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<int> found;
        for (const LayoutProblem& p : FindLayoutProblems(row.entries, row.length)) {
            found.push_back(p.index);
            EXPECT_NE(p.text.find("KEY：" + row.entries[static_cast<std::size_t>(p.index)].ArcFileKey), std::string::npos)
                << p.text;
        }
        EXPECT_EQ(found, row.problemRecords);
    }
}

}  // namespace
}  // namespace tessarin
