// The type table file: line endings, comments, colons, spaces and lookups.
#include <gtest/gtest.h>

#include "support/ArcBuilder.h"
#include "core/ExtTypes.h"

namespace tessarin {
namespace {

using testing::TempDir;

using RowList = std::vector<std::pair<std::string, std::string>>;

// The rows loaded from a type table file of this content, and the lines it skipped.
std::pair<RowList, std::vector<int>> LoadText(const std::string& content) {
    TempDir dir;
    testing::WriteFileBytes(dir / "ExtType.Dll", content);
    ExtTypeTable table;
    const ExtTypeLoadReport report = LoadExtTypes(table, dir / "ExtType.Dll");
    RowList rows;
    for (const auto& row : table) rows.emplace_back(row.ClassExtkey, row.ClassExttype);
    return {rows, report.skippedLines};
}

TEST(ExtTypesTest, LineRules) {
    const struct {
        const char* label;
        std::string content;
        RowList rows;
        std::vector<int> skippedLines = {};
    } cases[] = {
        {"CR LF lines, last line without an ending", "1A:png\r\n1B:bmp", {{"1A", "png"}, {"1B", "bmp"}}},
        {"a CR alone ends a line", "1A:png\r1B:bmp\r", {{"1A", "png"}, {"1B", "bmp"}}},
        {"a LF alone stays in the line", "1A:png\n1B:bmp\r\n", {{"1A", "png\n1B"}}},
        {"comments and blank lines only", "// types\r\n\r\n   \r\n  // indented comment\r\n", {}},
        {"slash space slash is a row", "/ /:odd\r\n", {{"/ /", "odd"}}},
        {"two colons: the rest is dropped", "20:txt:comment\r\n", {{"20", "txt"}}},
        {"spaces next to colons are kept", " 20 : txt \r\n", {{"20 ", " txt"}}},
        {"tabs are not stripped", "\t20:txt\t\r\n", {{"\t20", "txt\t"}}},
        {"a row ending in its colon has an empty name", "30:\r\n", {{"30", ""}}},
        {"comment marker inside a row is text", "40:a//b\r\n", {{"40", "a//b"}}},
        {"names in code page 936", "50:\xCD\xBC\xC6\xAC\r\n", {{"50", "图片"}}},
        {"a line without a colon is skipped and reported", "1A:png\r\nnonsense\r\n1B:bmp\r\n",
         {{"1A", "png"}, {"1B", "bmp"}}, {2}},
    };
    for (const auto& c : cases) EXPECT_EQ(LoadText(c.content), std::pair(c.rows, c.skippedLines)) << c.label;
}

TEST(ExtTypesTest, MissingFileOrFolderGivesEmptyTable) {
    TempDir dir;
    for (const std::string& path : {dir / "absent.Dll", dir.path()}) {
        ExtTypeTable table;
        EXPECT_TRUE(LoadExtTypes(table, path).error.empty() && table.empty()) << path;
    }
}

TEST(ExtTypesTest, LookupIsExactAndTakesTheFirstRow) {
    const ExtTypeTable table = {{"1A", "png"}, {"1a", "lower"}, {"01B", "padded"}, {"1A", "second"},
                                {"FFFFFFFF", "all"}, {"0", "zero"}};
    const std::pair<std::string, std::string> cases[] = {
        {"1A", "png"}, {"1B", "1B"}, {"FFFFFFFF", "all"}, {"0", "zero"}, {"7", "7"}};
    const ExtTypeIndex index(table);
    for (const auto& [hex, name] : cases) EXPECT_EQ(index.LookupExtType(hex), name) << hex;
}

}  // namespace
}  // namespace tessarin
