// Inflation: results, messages and bytes, with either inflater and streamed;
// and the positioned reads of the stored bytes it inflates.
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <thread>

#include "core/platform/BinaryFile.h"
#include "extract/Codec.h"
#include "extract/EntrySource.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {
namespace {

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// Keeps what it is given, and the largest block it was handed.
struct CollectingSink : ByteSink {
    std::string bytes;
    std::size_t largest = 0;
    void Put(const std::uint8_t* p, std::size_t n) override {
        bytes.append(reinterpret_cast<const char*>(p), n);
        largest = std::max(largest, n);
    }
};

using Check = std::function<void(const InflateResult& result, const std::string& bytes, const char* which)>;

// Inflates stored to size with each whole-entry inflater (the one given, reused
// as the exports reuse it) and streamed, in bounded blocks; check sees each
// result with the bytes produced. The fast inflater is on again afterwards.
void InflateEachWay(WholeInflater& inflater, const std::string& stored, std::int32_t size, const Check& check) {
    for (const bool fast : FastInflateAvailable() ? std::vector{true, false} : std::vector{false}) {
        SetFastInflate(fast);
        std::string out(static_cast<std::size_t>(size) + 1, '\0');
        const InflateResult result = inflater.Inflate(Bytes(stored), stored.size(),
                                                      reinterpret_cast<std::uint8_t*>(out.data()), size);
        check(result, out.substr(0, static_cast<std::size_t>(result.produced)), fast ? "fast" : "zlib");
    }
    SetFastInflate(true);
    MemorySource source(Bytes(stored), stored.size());
    CollectingSink sink;
    check(InflateStream(source, static_cast<std::int64_t>(stored.size()), size, sink), sink.bytes, "streamed");
    EXPECT_LE(sink.largest, kStreamBlock);
}

// What an export is told for each kind of stream, by both whole-entry
// inflaters and the streamed one: the bytes, the message of a failure, and
// whether the stored bytes ran out before the stream ended.
TEST(CodecTest, InflateOutcomes) {
    const std::string plain = "The quick brown fox jumps over the lazy dog. 0123456789";
    const std::string stream = Deflate(plain);
    std::string withDictionary = stream;
    withDictionary[1] = static_cast<char>(0xBB);  // FDICT set, header check still valid (0x78BB % 31 == 0)
    const auto n = static_cast<std::int32_t>(plain.size());
    const struct {
        const char* label;
        std::string stored;
        std::int32_t size;
        std::string message;  // "": success, with plain's bytes (as many as the size allows)
        bool truncated = false;
    } cases[] = {
        {"exact size", stream, n, ""},
        {"recorded size larger", stream, n + 4, ""},
        {"bytes after the stream are ignored", stream + "trailing", n, ""},
        {"recorded size smaller", stream, n - 1, "缓冲过小，请检查。"},
        {"not a zlib stream", "definitely not zlib", n, "数组取数据不正确。"},
        {"checksum cut, all data there", stream.substr(0, stream.size() - 2), n, "缓冲过小，请检查。", true},
        {"no checksum at all", stream.substr(0, stream.size() - 4), n, "缓冲过小，请检查。", true},
        {"cut in the data", stream.substr(0, stream.size() / 2), n, "数组取数据不正确。", true},
        {"preset dictionary asked for", withDictionary, n, "数组取数据不正确。"},
        {"empty entry without a stream", "", 0, ""},
        {"empty entry with a stream", Deflate(""), 0, ""},
        {"empty entry whose stream holds a byte", Deflate("x"), 0, "缓冲过小，请检查。"},
        {"data without a stream", "", n, "数组取数据不正确。", true},
    };
    WholeInflater inflater;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        InflateEachWay(inflater, c.stored, c.size, [&](const auto& result, const auto& bytes, const char* which) {
            EXPECT_EQ(result.ok() ? "" : InflateFailureText(result.code), c.message) << which;
            if (result.ok()) EXPECT_EQ(bytes, plain.substr(0, static_cast<std::size_t>(c.size))) << which;
            else EXPECT_EQ(result.truncated, c.truncated) << which;
        });
    }
}

// zlib's own uncompress decides every stream: both inflaters and the streamed
// inflation agree with it on the result and the bytes, for whole streams
// (compressed text, barely compressible noise and zeros from a tiny stream),
// every cut and flipped bytes. Streamed output comes in bounded blocks.
TEST(CodecTest, DamagedStreamsGiveUncompressResults) {
    std::string plain, noise;
    // Larger than one streamed block, so block boundaries are crossed too.
    for (int i = 0; i < 80000; ++i) plain += std::to_string(i * 7919 % 1000) + (i % 13 ? " " : "\n");
    for (std::uint64_t x = 1; noise.size() < plain.size();) noise += static_cast<char>((x = x * 6364136223846793005u + 1) >> 56);
    const std::string stream = Deflate(plain);
    std::vector<std::string> streams = {stream, Deflate(noise), Deflate(std::string(plain.size(), '\0'))};
    for (std::size_t cut = 0; cut < stream.size(); cut += 1 + cut / 4) streams.push_back(stream.substr(0, cut));
    for (std::size_t at = 0; at < stream.size(); at += 1 + at / 4) {
        streams.push_back(stream);
        streams.back()[at] = static_cast<char>(streams.back()[at] ^ (1 << (at % 8)));
    }
    WholeInflater inflater;
    for (const std::int32_t size : {static_cast<std::int32_t>(plain.size()), static_cast<std::int32_t>(plain.size() / 2)}) {
        for (const std::string& stored : streams) {
            std::string expected(static_cast<std::size_t>(size), '\0');
            uLongf length = static_cast<uLongf>(size);
            const int code = uncompress(reinterpret_cast<Bytef*>(expected.data()), &length, Bytes(stored),
                                        static_cast<uLong>(stored.size()));
            InflateEachWay(inflater, stored, size, [&](const auto& result, const auto& bytes, const char* which) {
                ASSERT_EQ(result.code, code) << stored.size() << which;
                if (code == Z_OK) {
                    ASSERT_EQ(bytes, expected.substr(0, length)) << which;
                }
            });
        }
    }
}

// Positioned reads of an entry's stored bytes: checked against the archive's
// length, never moving the file's own position, failing past the range.
TEST(ArchiveRangeSource, ReadsItsRangeLeavingThePositionAndRefusesWhatLiesOutside) {
    TempDir dir;
    const std::string bytes = Pattern(4096);
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
