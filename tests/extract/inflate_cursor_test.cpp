// Reading stretches of a large entry's inflated bytes in any order: the bytes
// are those of the entry, the saved points stay few, and a stream that breaks
// gives every byte before the break with the code the exports would see.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>

#include "core/platform/BinaryFile.h"
#include "extract/InflateCursor.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {
namespace {

TEST(InflateCursor, ReadsAnyStretchInAnyOrderWithFewSavedPoints) {
    const std::string plain = Pattern((20 << 20) + 12345);
    const std::string stream = Deflate(plain);
    TempDir dir;
    WriteFileBytes(dir / "a.arc", "head" + stream);
    const BinaryFile file = BinaryFile::Open(dir / "a.arc", OpenMode::ReadLocked);
    InflateCursor cursor(file, 4, static_cast<std::int64_t>(stream.size()), static_cast<std::int32_t>(plain.size()));
    const std::atomic<bool> going{false};
    const auto size = static_cast<std::int64_t>(plain.size());
    const struct { const char* name; std::int64_t at; std::size_t count, got; } rows[] = {
        {"start", 0, 100, 100},
        {"far ahead", (17 << 20) + 5, 1000, 1000},
        {"back before a saved point", (3 << 20) - 7, 20, 20},
        {"across a saved point", (8 << 20) - 10, 20, 20},
        {"cut by the end", size - 5, 100, 5},
        {"past the end", size + 10, 10, 0},
        {"from the start again", 1, 300000, 300000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string got(row.count, '\0');
        ASSERT_EQ(cursor.Read(row.at, reinterpret_cast<std::uint8_t*>(got.data()), row.count, going), row.got);
        EXPECT_TRUE(got.substr(0, row.got) == plain.substr(static_cast<std::size_t>(std::min(row.at, size)), row.got));
    }
    EXPECT_EQ(cursor.End().at, size);
    EXPECT_EQ(cursor.End().code, Z_OK);
    EXPECT_EQ(cursor.Checkpoints(), 3u);  // at 0, 8 and 16 MiB
}

TEST(InflateCursor, ABrokenStreamGivesEveryByteBeforeTheBreakAndTheExportsCode) {
    const std::string plain = Pattern(10 << 20);
    const std::string whole = StoredBlocks(plain);
    std::string badBlock = whole;
    badBlock[static_cast<std::size_t>(StoredBlockStart(150))] = '\x06';  // block type 3 does not exist
    const auto size = static_cast<std::int32_t>(plain.size());
    const struct { const char* name; std::string stream; std::int32_t size; std::int64_t end; int code; } rows[] = {
        {"whole", whole, size, size, Z_OK},
        {"cut inside a block", whole.substr(0, static_cast<std::size_t>(StoredBlockStart(100)) + 5 + 1234), size, 100 * 65535 + 1234, Z_DATA_ERROR},
        {"bad block type", badBlock, size, 150 * 65535, Z_DATA_ERROR},
        {"shorter than recorded", whole, size + 1000, size, Z_OK},
        {"longer than recorded", whole, size - 1000, size - 1000, Z_BUF_ERROR},
    };
    TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteFileBytes(dir / "a.arc", row.stream);
        const BinaryFile file = BinaryFile::Open(dir / "a.arc", OpenMode::ReadLocked);
        InflateCursor cursor(file, 0, static_cast<std::int64_t>(row.stream.size()), row.size);
        std::string got(static_cast<std::size_t>(row.size), '\0');
        const std::atomic<bool> going{false};
        const std::size_t n = cursor.Read(0, reinterpret_cast<std::uint8_t*>(got.data()), got.size(), going);
        EXPECT_EQ(static_cast<std::int64_t>(n), row.end);
        EXPECT_TRUE(got.substr(0, n) == plain.substr(0, n));
        EXPECT_EQ(cursor.End().at, row.end);
        EXPECT_EQ(cursor.End().code, row.code);
        // Nothing lies past the break, and what is before it reads again.
        EXPECT_EQ(cursor.Read(row.end, reinterpret_cast<std::uint8_t*>(got.data()), 1, going), 0u);
        ASSERT_EQ(cursor.Read(row.end - 3, reinterpret_cast<std::uint8_t*>(got.data()), 3, going), 3u);
        EXPECT_EQ(got.substr(0, 3), plain.substr(static_cast<std::size_t>(row.end - 3), 3));
    }
}

}  // namespace
}  // namespace tessarin::testing
