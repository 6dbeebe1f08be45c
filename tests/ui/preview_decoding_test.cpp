// The preview's decisions on bytes alone: DDS files that cannot be decoded,
// the encoding text is detected in, and what kind of view an entry gets.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/DdsImage.h"
#include "ui/PreviewContent.h"

namespace tessarin {
namespace {

std::string DdsHeader(std::uint32_t w, std::uint32_t h, std::uint32_t flags, const char* fourCc, std::uint32_t bits) {
    std::string s(128, '\0');
    auto put = [&s](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    };
    s.replace(0, 4, "DDS ");
    put(4, 124);
    put(12, h);
    put(16, w);
    put(80, flags);
    if (fourCc) s.replace(84, 4, fourCc);
    put(88, bits);
    put(92, 0xF800);
    return s;
}

TEST(DdsImage, RefusesWhatItCannotDecodeWithItsReason) {
    const struct { const char* name; std::string bytes; const char* error; } rows[] = {
        {"short header", std::string("DDS ") + std::string(20, '\0'), "DDS 文件头不完整"},
        {"header size", DdsHeader(4, 4, 4, "DXT1", 0).replace(5, 1, "\x01", 1), "DDS 文件头不完整"},
        {"no width", DdsHeader(0, 4, 4, "DXT1", 0) + std::string(8, '\0'), "DDS 图像尺寸无效"},
        {"huge", DdsHeader(100000, 100000, 4, "DXT1", 0), "图像过大"},
        {"blocks cut", DdsHeader(8, 8, 4, "DXT5", 0) + std::string(63, '\0'), "DDS 数据不完整"},
        {"BC7", DdsHeader(4, 4, 4, "DX10", 0) + std::string(16, '\0'), "不支持的 DDS 压缩格式"},
        {"16-bit", DdsHeader(4, 4, 0x40, nullptr, 16) + std::string(32, '\0'), "不支持的 DDS 像素格式"},
        {"pixels cut", DdsHeader(4, 4, 0x40, nullptr, 24) + std::string(47, '\0'), "DDS 数据不完整"},
    };
    for (const auto& row : rows) {
        const DdsImage image = DecodeDds(reinterpret_cast<const std::uint8_t*>(row.bytes.data()), row.bytes.size(),
                                         std::int64_t{64} << 20);
        EXPECT_EQ(image.error, row.error) << row.name << " " << row.bytes.size();
        EXPECT_TRUE(image.rgba.empty()) << row.name;
    }
    // Exactly enough blocks decode.
    const std::string whole = DdsHeader(8, 8, 4, "DXT5", 0) + std::string(64, '\0');
    const DdsImage image = DecodeDds(reinterpret_cast<const std::uint8_t*>(whole.data()), whole.size(), 64);
    EXPECT_EQ(std::tuple(image.error, image.width, image.height, image.rgba.size()),
              std::tuple(std::string(), 8, 8, std::size_t{256}));
}

TEST(PreviewContent, DetectsTheEncodingAndTheKindOfView) {
    const struct { const char* name; QByteArray bytes; const char* type; PreviewKind kind; TextEncoding encoding; } rows[] = {
        {"ascii", "plain words\n", "99", PreviewKind::Text, TextEncoding::Utf8},
        {"utf-8", "\xe4\xb8\xad\xe6\x96\x87", "99", PreviewKind::Text, TextEncoding::Utf8},
        {"gbk", "\xd6\xd0\xce\xc4 text", "99", PreviewKind::Text, TextEncoding::Cp936},
        {"utf-16be bom", QByteArray("\xfe\xff\x00h\x00i", 6), "99", PreviewKind::Text, TextEncoding::Utf16Be},
        {"binary", QByteArray("\x01\x02\x00\x03", 4), "99", PreviewKind::Bytes, TextEncoding::Utf8},
        {"binary named txt", QByteArray("\x01\x02\x00\x03", 4), "txt", PreviewKind::Text, TextEncoding::Utf8},
        {"empty", QByteArray(), "99", PreviewKind::Bytes, TextEncoding::Utf8},
        {"png name, no image", "hello", "PNG", PreviewKind::Bytes, TextEncoding::Utf8},
    };
    for (const auto& row : rows) {
        const PreviewContent content = MakePreview(row.bytes, true, row.bytes.size(), row.type);
        EXPECT_EQ(content.kind, row.kind) << row.name;
        if (content.kind == PreviewKind::Text) EXPECT_EQ(content.encoding, row.encoding) << row.name;
    }
    // An image cut short by the read bound is never decoded.
    const PreviewContent cut = MakePreview(QByteArray("\x89PNG\r\n\x1a\n", 8), false, 1 << 30, "99");
    EXPECT_EQ(cut.kind, PreviewKind::Bytes);
    EXPECT_TRUE(cut.message.contains("64 MiB"));
}

}  // namespace
}  // namespace tessarin
