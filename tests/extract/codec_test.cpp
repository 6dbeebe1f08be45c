// The zlib conversions: messages, sizes, what survives a failure.
#include <gtest/gtest.h>

#include "extract/Codec.h"
#include "support/ArcBuilder.h"
#include "support/FakeWindow.h"

namespace tessarin::testing {
namespace {

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

TEST(CodecTest, UnzipToFileOutcomes) {
    const std::string plain = "The quick brown fox jumps over the lazy dog. 0123456789";
    const std::string stream = Deflate(plain), old = "old content";
    const auto n = static_cast<std::int32_t>(plain.size());
    const struct {
        const char* label;
        std::string stored;
        std::int32_t size;
        std::string message;  // "": none, success
        std::string written;  // the file afterwards
    } cases[] = {
        {"exact size", stream, n, "", plain},
        {"recorded size larger: zero filled", stream, n + 4, "", plain + std::string(4, '\0')},
        {"recorded size smaller", stream, n - 1, "缓冲过小，请检查。", old},
        {"not a zlib stream", "definitely not zlib", n, "数组取数据不正确。", old},
        {"truncated stream", stream.substr(0, stream.size() / 2), n, "数组取数据不正确。", old},
        {"empty entry without a stream", "", 0, "", ""},
        {"empty entry with a stream", Deflate(""), 0, "", ""},
        {"empty entry whose stream holds a byte", Deflate("x"), 0, "缓冲过小，请检查。", old},
        {"empty entry whose stream holds more", stream, 0, "缓冲过小，请检查。", old},
        {"negative size", stream, -5, "记录的文件大小不正确（-5），无法解压。", old},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        WriteFileBytes(dir / "out.bin", old);
        FakeWindow window;
        EXPECT_EQ(UnzipToFile(window, Bytes(c.stored), static_cast<std::int32_t>(c.stored.size()), c.size,
                              dir / "out.bin"),
                  c.message.empty());
        EXPECT_EQ(window.log, c.message.empty() ? std::vector<std::string>{}
                                                : std::vector<std::string>{"MsgBox | " + c.message +
                                                                           " | Warning | Compression Error"});
        EXPECT_EQ(ReadFileBytes(dir / "out.bin"), c.written);
    }
}

TEST(CodecTest, ZipOutputBoundExamples) {
    EXPECT_EQ((std::vector{ZipOutputBound(100), ZipOutputBound(1000), ZipOutputBound(1000000)}),
              (std::vector{113, 1022, 1010012}));
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
        // A stream shorter than recorded shows in the output's size; a longer one fails.
        EXPECT_EQ(InflateToBuffer(state.ZippedBytes.data(), state.ZippedSize,
                                  static_cast<std::int32_t>(plain.size()) + 5, back), 0);
        EXPECT_EQ(back.size(), plain.size());
        if (!plain.empty()) {
            EXPECT_NE(InflateToBuffer(state.ZippedBytes.data(), state.ZippedSize,
                                      static_cast<std::int32_t>(plain.size()) - 1, back), 0);
        }
    }
    const ZipState before = state;
    EXPECT_FALSE(ZipBytes(window, state, nullptr, -1));
    EXPECT_EQ(state.ZippedBytes, before.ZippedBytes);
    EXPECT_EQ(state.ZippedSize, before.ZippedSize);
    EXPECT_EQ(window.log, std::vector<std::string>{"MsgBox | Buffer too small | Warning | Compression Error"});
}

}  // namespace
}  // namespace tessarin::testing
