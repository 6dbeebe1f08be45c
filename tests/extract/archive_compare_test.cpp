// Comparing two archives: which keys are added, removed, changed or damaged,
// in B's order then A's, on archives built byte by byte.
#include <gtest/gtest.h>

#include "extract/ArchiveCompare.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {
namespace {

// "+key", "-key", "~key", or "!key A", "!key B", "!key AB" for the damaged side(s).
std::vector<std::string> Lines(const ArchiveComparison& comparison) {
    std::vector<std::string> lines;
    for (const EntryDifference& d : comparison.differences) {
        static const char marks[] = "+-~!";
        std::string line = marks[static_cast<int>(d.change)] + d.key;
        if (d.change == EntryChange::Damaged)
            line += std::string(" ") + (d.damageA.empty() ? "" : "A") + (d.damageB.empty() ? "" : "B");
        lines.push_back(line);
    }
    return lines;
}

ArchiveComparison Compare(const ArcPlan& a, const ArcPlan& b, CompareOptions options = {}) {
    TempDir dir;
    WriteFileBytes(dir / "a.arc", BuildArc(a));
    WriteFileBytes(dir / "b.arc", BuildArc(b));
    std::string failure;
    auto ra = OpenReadOnlyArchive(dir / "a.arc", {}, failure);
    auto rb = OpenReadOnlyArchive(dir / "b.arc", {}, failure);
    EXPECT_TRUE(ra && rb) << failure;
    if (!ra || !rb) return {};
    return CompareArchives({ra->file, ra->entries}, {rb->file, rb->entries}, options);
}

// Entries are compared until a stop is asked for.
TEST(ArchiveCompareTest, EntriesByKeyInBsOrderThenAs) {
    const std::string big = Noise(700000, 3);  // several blocks of the inflating comparison
    std::string bigLastByte = big;
    bigLastByte.back() ^= 1;
    const std::string chinese = "\xCA\xFD\xBE\xDD\\\xB1\xED";  // 数据\表
    const struct {
        const char* label;
        std::vector<RecordPlan> a, b;
        std::vector<std::string> lines;
        bool checkAdded = false;
        std::size_t stopAfter = 0;  // entries compared before a stop is asked for; 0: never
    } cases[] = {
        {"equal stored bytes", {Entry("x", 0x20, "one"), Entry("y", 1, "two")}, {Entry("x", 0x20, "one"), Entry("y", 1, "two")}, {}},
        {"recompressed, same content", {Entry("big", 1, big), Entry("s", 1, "small")},
         {Stored("big", 1, StoredBlocks(big), 700000), Stored("s", 1, StoredBlocks("small"), 5)}, {}},
        {"changed in the last byte of a large entry", {Entry("big", 1, big)}, {Stored("big", 1, StoredBlocks(bigLastByte), 700000)}, {"~big.1"}},
        {"changed, same size and other size", {Entry("x", 1, "abc"), Entry("y", 1, "abc")},
         {Entry("x", 1, "abd"), Entry("y", 1, "abcd")}, {"~x.1", "~y.1"}},
        {"added, removed, in B's then A's order", {Entry("gone1", 1, "g"), Entry("kept", 1, "k"), Entry("gone2", 1, "h")},
         {Entry("new1", 1, "n"), Entry("kept", 1, "k"), Entry("new2", 1, "m")}, {"+new1.1", "+new2.1", "-gone1.1", "-gone2.1"}},
        {"retyped: one key removed, another added", {Entry("pic", 0x20, "p")}, {Entry("pic", 0x1A, "p")}, {"+pic.1A", "-pic.20"}},
        {"Chinese names", {Entry(chinese, 0x77, "old"), Entry(chinese + "2", 0x77, "same")},
         {Entry(chinese, 0x77, "new"), Entry(chinese + "2", 0x77, "same")}, {"~数据\\表.77"}},
        {"damaged in A", {Stored("x", 1, "not a zlib stream", 3)}, {Entry("x", 1, "abc")}, {"!x.1 A"}},
        {"damaged in B, cut short", {Entry("x", 1, "abcd")}, {Stored("x", 1, Deflate("abcd").substr(0, 8), 4)}, {"!x.1 B"}},
        {"damaged in B, fewer bytes than recorded, same stream", {Entry("x", 1, "ab")}, {Stored("x", 1, Deflate("ab"), 9)}, {"!x.1 B"}},
        {"damaged on both sides", {Stored("x", 1, "junk", 3)}, {Stored("x", 1, "junk!", 3)}, {"!x.1 AB"}},
        {"an empty entry with bytes that are no stream", {Stored("e", 1, "", 0)}, {Stored("e", 1, "zz", 0)}, {"!e.1 B"}},
        {"data past the end of B", {Entry("x", 1, "abc")}, {Stored("x", 1, Deflate("abc"), 3, {}, 0x7FFFFF00)}, {"!x.1 B"}},
        {"an added damaged entry, not inflated", {}, {Stored("n", 1, "junk", 3)}, {"+n.1"}},
        {"an added damaged entry, checked", {}, {Stored("n", 1, "junk", 3), Entry("m", 1, "ok")}, {"!n.1 B", "+m.1"}, true},
        {"a key twice: paired in order", {Entry("d", 1, "1"), Entry("d", 1, "2")}, {Entry("d", 1, "1")}, {"-d.1"}},
        {"stopped after the first entry", {Entry("x", 1, "1"), Entry("y", 1, "2"), Entry("z", 1, "3")},
         {Entry("x", 1, "9"), Entry("y", 1, "8"), Entry("w", 1, "3")}, {"~x.1"}, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ArcPlan b = Archive(c.b);
        b.gap = "a gap moves every offset";
        CompareOptions options;
        options.checkAdded = c.checkAdded;
        if (c.stopAfter) options.onEntry = [&](std::size_t done) { return done < c.stopAfter; };
        const ArchiveComparison comparison = Compare(Archive(c.a), b, options);
        EXPECT_EQ(Lines(comparison), c.lines);
        EXPECT_EQ(comparison.stopped, c.stopAfter > 0);
    }
}

TEST(ArchiveCompareTest, UnreadableArchivesNamed) {
    TempDir dir;
    WriteFileBytes(dir / "text.arc", "not an archive");
    for (const std::string name : {"missing.arc", "text.arc"}) {
        std::string failure;
        EXPECT_FALSE(OpenReadOnlyArchive(dir / name, {}, failure));
        EXPECT_NE(failure.find(dir / name), std::string::npos) << failure;
    }
}

}  // namespace
}  // namespace tessarin::testing
