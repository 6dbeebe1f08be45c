// The preview's decisions on bytes alone: DDS files that cannot be decoded,
// the encoding text is detected in, and what kind of view an entry gets.
#include <gtest/gtest.h>

#include "DdsBuilder.h"
#include "ui/DdsImage.h"
#include "ui/PreviewContent.h"

namespace tessarin {
namespace {

using testing::Dds;

TEST(DdsImage, RefusesWhatItCannotDecodeWithItsReason) {
    const std::uint32_t red[4] = {0xF800, 0, 0, 0};
    const struct { const char* name; std::string bytes; const char* error; } rows[] = {
        {"short header", std::string("DDS ") + std::string(20, '\0'), "DDS 文件头不完整"},
        {"header size", Dds(4, 4, "DXT1", 0, nullptr, "").replace(5, 1, "\x01", 1), "DDS 文件头不完整"},
        {"no width", Dds(0, 4, "DXT1", 0, nullptr, std::string(8, '\0')), "DDS 图像尺寸无效"},
        {"huge", Dds(100000, 100000, "DXT1", 0, nullptr, ""), "图像过大"},
        {"blocks cut", Dds(8, 8, "DXT5", 0, nullptr, std::string(63, '\0')), "DDS 数据不完整"},
        {"BC7", Dds(4, 4, "DX10", 0, nullptr, std::string(16, '\0')), "不支持的 DDS 压缩格式"},
        {"16-bit", Dds(4, 4, nullptr, 16, red, std::string(32, '\0')), "不支持的 DDS 像素格式"},
        {"pixels cut", Dds(4, 4, nullptr, 24, red, std::string(47, '\0')), "DDS 数据不完整"},
    };
    for (const auto& row : rows) {
        const DdsImage image = DecodeDds(reinterpret_cast<const std::uint8_t*>(row.bytes.data()), row.bytes.size(),
                                         std::int64_t{64} << 20);
        EXPECT_EQ(image.error, row.error) << row.name << " " << row.bytes.size();
        EXPECT_TRUE(image.rgba.empty()) << row.name;
    }
    // Exactly enough blocks decode.
    const std::string whole = Dds(8, 8, "DXT5", 0, nullptr, std::string(64, '\0'));
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
