// The export record: its text reads back exactly whatever bytes keys and paths
// hold, anything short of a whole record is refused, and an inflated export of
// all entries leaves one that matches the files it wrote.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/FileSystem.h"
#include "extract/Export.h"
#include "extract/ExportRecord.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

ExportRecord Sample() {
    ExportRecord r;
    r.archivePath = "/tmp/a folder/100% pack.arc";
    r.archive = {123, -5, 1700000000123456789, 2049, 18446744073709551615ull};
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    r.files = {{"ui\\logo.1A", {4, 1, 2, 3, 4}}, {everyByte + ".5", {0, 0, 0, 0, 0}}, {"", {7, 7, 7, 7, 7}}};
    return r;
}

// A record reads back exactly; anything short of a whole one is refused.
TEST(ExportRecordTest, ReadsBackExactlyAndRefusesAnythingButAWholeRecord) {
    const std::string good = FormatExportRecord(Sample());
    const std::optional<ExportRecord> back = ParseExportRecord(good);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->archivePath, Sample().archivePath);
    EXPECT_EQ(back->archive, Sample().archive);
    EXPECT_EQ(back->files, Sample().files);
    const std::string end = "end 3\n";
    const auto cut = good.size() - end.size();
    const struct {
        const char* label;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"other header", "tessarin-export 2" + good.substr(good.find('\n'))},
        {"no end line", good.substr(0, cut)},
        {"cut inside a line", good.substr(0, good.size() - 1)},
        {"count that does not match", good.substr(0, cut) + "end 2\n"},
        {"a line after the end", good + "file x 1 1 1 1 1\n"},
        {"broken escape", good.substr(0, cut) + "file a%4 1 1 1 1 1\nend 4\n"},
        {"lower-case escape", good.substr(0, cut) + "file a%2f 1 1 1 1 1\nend 4\n"},
        {"number with junk", good.substr(0, cut) + "file a 1x 1 1 1 1\nend 4\n"},
        {"missing field", good.substr(0, cut) + "file a 1 1 1 1\nend 4\n"},
        {"unknown line", good.substr(0, cut) + "dir a\nend 3\n"},
        {"no archive line", "tessarin-export 1\nend 0\n"},
    };
    for (const auto& c : cases) EXPECT_FALSE(ParseExportRecord(c.text)) << c.label;
}

// Inflated: the record names the archive and every file written, with the
// stamp each has; raw: no record.
TEST(ExportRecordTest, InflatedExportAllLeavesARecordOfItsFiles) {
    for (const int raw : {0, 1}) {
        SCOPED_TRACE(raw);
        ProgramHarness h;
        const std::string archive = h.OpenArchive(
            Archive({Entry("top", 0x20, "top"), Entry("a\\b\\c", 0x1A, "deep"), Stored("bad", 0x1A, "no zlib", 3)}));
        std::filesystem::create_directory(NativePath(h.dir / "out"));
        ExportEntries(h.program, ExportRequest{h.dir / "out", raw == 1});

        const std::optional<StoredExportRecord> stored = ReadExportRecord(h.dir / "out");
        ASSERT_EQ(stored.has_value(), raw == 0);
        if (raw) continue;
        EXPECT_EQ(stored->record.archivePath, ResolvedPath(archive));
        EXPECT_EQ(stored->record.archive, StampOfOpenFile(h.program.files.Get(h.program.arc.ArcFileNum)));
        const std::vector<std::pair<std::string, FileStamp>> files = {
            {"top.20", *StampOfFileBelow(h.dir / "out", "top.txt")},
            {"a\\b\\c.1A", *StampOfFileBelow(h.dir / "out", "a/b/c.png")}};
        EXPECT_EQ(stored->record.files, files);
    }
}

}  // namespace
}  // namespace tessarin::testing
