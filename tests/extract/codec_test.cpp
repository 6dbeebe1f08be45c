// The zlib conversions: messages, sizes, what survives a failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "support/ArcBuilder.h"
#include "support/FakeWindow.h"

namespace tessarin {
namespace {

using testing::FakeWindow;
using testing::TempDir;

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

TEST(CodecTest, UnzipToFileOutcomes) {
    const std::string plain = "The quick brown fox jumps over the lazy dog. 0123456789";
    const std::string stream = testing::Deflate(plain);
    const auto n = static_cast<std::int32_t>(plain.size());
    struct Case {
        const char* label;
        std::string stored;
        std::int32_t size;
        bool ok;
        std::string message;  // "" : none
        std::string written;  // file content when ok
    };
    const Case cases[] = {
        {"exact size", stream, n, true, "", plain},
        {"recorded size larger: zero filled", stream, n + 4, true, "", plain + std::string(4, '\0')},
        {"recorded size smaller", stream, n - 1, false, "缓冲过小，请检查。", ""},
        {"not a zlib stream", "definitely not zlib", n, false, "数组取数据不正确。", ""},
        {"truncated stream", stream.substr(0, stream.size() / 2), n, false, "数组取数据不正确。", ""},
        {"empty entry without a stream", "", 0, true, "", ""},
        {"empty entry with a stream", testing::Deflate(""), 0, true, "", ""},
        {"negative size", stream, -5, false, "记录的文件大小不正确（-5），无法解压。", ""},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string out = dir / "out.bin";
        testing::WriteFileBytes(out, "old content");
        FakeWindow window;
        const bool ok =
            UnzipToFile(window, Bytes(c.stored), static_cast<std::int32_t>(c.stored.size()), c.size, out);
        EXPECT_EQ(ok, c.ok) << c.label;
        if (c.ok) {
            EXPECT_TRUE(window.log.empty()) << c.label;
            EXPECT_EQ(testing::ReadFileBytes(out), c.written) << c.label;
        } else {
            EXPECT_EQ(window.log, std::vector<std::string>{"MsgBox | " + c.message + " | Warning | Compression Error"})
                << c.label;
            EXPECT_EQ(testing::ReadFileBytes(out), "old content") << c.label;
        }
    }
}

TEST(CodecTest, UnwritableOutputIsReportedAndLeavesNoFile) {
    TempDir dir;
    const std::string stream = testing::Deflate("abc");
    FakeWindow window;
    const std::string out = dir / "missing-folder/out.bin";
    EXPECT_FALSE(UnzipToFile(window, Bytes(stream), static_cast<std::int32_t>(stream.size()), 3, out));
    ASSERT_EQ(window.log.size(), 1u);
    EXPECT_NE(window.log[0].find(out), std::string::npos);
    EXPECT_NE(window.log[0].find("| Stop | Tessarin"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CodecTest, DiskFullLeavesNoHalfFile) {
    TempDir dir;
    const std::string plain(100000, 'x');
    const std::string stream = testing::Deflate(plain);
    const std::string out = dir / "out.bin";
    FakeWindow window;
    faults::FailAt(faults::Op::Write, 1, vberr::DiskFull);
    const bool ok = UnzipToFile(window, Bytes(stream), static_cast<std::int32_t>(stream.size()),
                                static_cast<std::int32_t>(plain.size()), out);
    faults::Reset();
    EXPECT_FALSE(ok);
    ASSERT_EQ(window.log.size(), 1u);
    EXPECT_NE(window.log[0].find(out), std::string::npos);
    EXPECT_NE(window.log[0].find("Disk full"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CodecTest, ZipOutputBoundExamples) {
    EXPECT_EQ(ZipOutputBound(100), 113);
    EXPECT_EQ(ZipOutputBound(1000), 1022);
    EXPECT_EQ(ZipOutputBound(1000000), 1010012);
}

TEST(CodecTest, ZipBytesRoundTripsAndKeepsTheLastResultOnFailure) {
    FakeWindow window;
    ZipState state;
    for (const std::string& plain : {std::string(1000, 'a'), std::string("x"), std::string()}) {
        ASSERT_TRUE(ZipBytes(window, state, Bytes(plain), static_cast<std::int32_t>(plain.size())));
        ASSERT_EQ(state.ZippedBytes.size(), static_cast<std::size_t>(state.ZippedSize));
        std::vector<std::uint8_t> back;
        EXPECT_EQ(InflateToBuffer(state.ZippedBytes.data(), state.ZippedSize,
                                  static_cast<std::int32_t>(plain.size()), back),
                  0);
        EXPECT_EQ(std::string(back.begin(), back.end()), plain);
    }
    const ZipState before = state;
    EXPECT_FALSE(ZipBytes(window, state, nullptr, -1));
    EXPECT_EQ(state.ZippedBytes, before.ZippedBytes);
    EXPECT_EQ(state.ZippedSize, before.ZippedSize);
    EXPECT_EQ(window.log, std::vector<std::string>{"MsgBox | Buffer too small | Warning | Compression Error"});
}

TEST(CodecTest, InflateToBufferReportsShortStreams) {
    const std::string stream = testing::Deflate("hello");
    std::vector<std::uint8_t> out;
    EXPECT_EQ(InflateToBuffer(Bytes(stream), static_cast<std::int32_t>(stream.size()), 10, out), 0);
    EXPECT_EQ(out.size(), 5u);
    EXPECT_NE(InflateToBuffer(Bytes(stream), static_cast<std::int32_t>(stream.size()), 4, out), 0);
}

}  // namespace
}  // namespace tessarin
