// Positioned reads of an entry's stored bytes: checked against the archive's
// length, never moving the file's own position, failing past the range.
#include <gtest/gtest.h>

#include <thread>

#include "core/platform/BinaryFile.h"
#include "extract/EntrySource.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {
namespace {

TEST(ArchiveRangeSource, ReadsItsRangeLeavingThePositionAndRefusesWhatLiesOutside) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>(i * 7));
    WriteFileBytes(dir / "a.arc", bytes);
    BinaryFile file = BinaryFile::Open(dir / "a.arc", OpenMode::ReadLocked);
    file.Seek(10);

    const struct { const char* name; std::int64_t offset, size; bool fits; } ranges[] = {
        {"inside", 100, 200, true}, {"to the end", 4000, 96, true}, {"empty at the end", 4096, 0, true},
        {"past the end", 4000, 97, false}, {"negative offset", -1, 4, false}, {"negative size", 0, -1, false},
    };
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(!ArchiveRangeSource::Check(file, r.offset, r.size).has_value(), r.fits);
        if (!r.fits) continue;
        // Two readers at once, on two threads, each gets its own range.
        std::string first(static_cast<std::size_t>(r.size), '\0'), second = first;
        std::thread other([&] {
            ArchiveRangeSource(file, r.offset, r.size).Read(reinterpret_cast<std::uint8_t*>(second.data()), second.size());
        });
        ArchiveRangeSource(file, r.offset, r.size).Read(reinterpret_cast<std::uint8_t*>(first.data()), first.size());
        other.join();
        EXPECT_EQ(first, bytes.substr(static_cast<std::size_t>(r.offset), static_cast<std::size_t>(r.size)));
        EXPECT_EQ(second, first);
    }
    EXPECT_EQ(file.Position(), 10);

    // Reading beyond the range it was made for fails, in one read or in two.
    ArchiveRangeSource source(file, 4000, 96);
    std::uint8_t buffer[100];
    EXPECT_THROW(source.Read(buffer, 97), ArchiveReadFailure);
    source.Read(buffer, 90);
    EXPECT_THROW(source.Read(buffer, 7), ArchiveReadFailure);
    // A range that claims more than the file holds fails when read.
    ArchiveRangeSource beyond(file, 4090, 10);
    EXPECT_THROW(beyond.Read(buffer, 10), ArchiveReadFailure);
}

}  // namespace
}  // namespace tessarin::testing
