// The layout a rewrite relies on: what is accepted at its edges and what is refused.
#include <gtest/gtest.h>

#include "core/platform/Cp936.h"
#include "core/ArcWriter.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

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

TEST(NameFieldTest, SixtyFourCharactersAtMost) {
    // Padding is checked byte for byte through whole archives in replace_test; here the refusals.
    EXPECT_EQ(NameFieldBytes("ui\\logo"), std::optional(testing::NameField("ui\\logo")));
    EXPECT_FALSE(NameFieldBytes(std::string(65, 'n')).has_value());
    EXPECT_FALSE(NameFieldBytes(Cp936ToText(std::string(63, 'n') + "\xB1\xED\xB1\xED")).has_value());
}

}  // namespace
}  // namespace tessarin
