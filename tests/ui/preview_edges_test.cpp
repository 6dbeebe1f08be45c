// The preview's edges: the keys of its views, images fitted without enlarging,
// TGA told by its header, and hostile entries shown without harm.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <tuple>
#include <zlib.h>

#include "PreviewHarness.h"
#include "ui/preview/HexView.h"
#include "ui/preview/ImageView.h"

namespace tessarin::testing {
namespace {

TEST(PreviewEdges, HomeAndEndReachBothEndsOfTextAndBytes) {
    std::string lines;
    for (int i = 0; i < 5000; ++i) lines += "line " + std::to_string(i) + "\n";
    Previewer p(std::vector<RecordPlan>{Entry("text", 0x20, lines), Entry("bytes", 0x99, std::string(1 << 20, '\x01') + "END")});
    PreviewWindow* preview = p.Show("text.20");
    ASSERT_NE(preview, nullptr);
    QScrollBar* bar = preview->Text()->verticalScrollBar();
    for (const auto& [keys, end] : {std::pair{"Ctrl+End", true}, {"Ctrl+Home", false}}) {
        QTest::keySequence(preview->Text(), QKeySequence(keys));
        // Under Wine's fonts the last line's layout may leave the bar one step short.
        EXPECT_NEAR(bar->value(), end ? bar->maximum() : 0, kDesignFontMetrics ? 0 : 1) << keys;
    }
    HexView* hex = p.Show("bytes.99")->Hex();
    bar = hex->verticalScrollBar();
    for (const auto& [keys, end] : {std::pair{"Ctrl+End", true}, {"Ctrl+Home", false}, {"End", true}}) {
        QTest::keySequence(hex, QKeySequence(keys));
        EXPECT_EQ(bar->value(), end ? bar->maximum() : 0) << keys;
    }
    EXPECT_GT(bar->maximum(), 60000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hex->RowText(hex->Rows() - 1).contains("END"); }, 20000));
}

std::string Be32(std::uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// Images whose headers declare 30000 x 30000 pixels over a few bytes of data.
std::string HugePng() {
    const std::string ihdr = "IHDR" + Be32(30000) + Be32(30000) + std::string("\x08\x06\0\0\0", 5);
    const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(ihdr.data()), uInt(ihdr.size())));
    return "\x89PNG\r\n\x1a\n" + Be32(13) + ihdr + Be32(crc) + Be32(8) + "IDAT" + std::string(12, 'x');
}
std::string HugeGif() {
    return "GIF89a" + Le(30000, 2) + Le(30000, 2) + std::string("\0\0\0,\0\0\0\0", 8) + Le(30000, 2) + Le(30000, 2) +
           std::string("\0\x02\x02\x44\x01\0;", 7);
}
std::string HugeTiff() {
    std::string s = "II*\0" + Le(8, 4) + Le(8, 2);
    for (const auto& [tag, type, value] : {std::tuple{256, 4, 30000}, {257, 4, 30000}, {258, 3, 8}, {259, 3, 1},
                                           {262, 3, 1}, {273, 4, 200}, {278, 4, 30000}, {279, 4, 16}}) {
        s += Le(tag, 2) + Le(type, 2) + Le(1, 4) + Le(value, 4);
    }
    return s + Le(0, 4) + std::string(120, '\x7f');
}
std::string HugeWebp() {
    const std::string vp8x = "VP8X" + Le(10, 4) + Le(0, 4) + Le(29999, 3) + Le(29999, 3);
    return "RIFF" + Le(std::uint32_t(4 + vp8x.size()), 4) + "WEBP" + vp8x;
}

// Hostile entries: shown as bytes with a reason (images) or as text, never a
// crash. A TGA is told by its header, and a small image is fitted at 100 %.
TEST(PreviewEdges, HostileEntriesShowAsBytesOrTextWithoutHarm) {
    // A 2 x 1 colour-mapped TGA whose map holds fewer entries than declared.
    const std::string badMap = std::string("\0\x01\x01\0\0\x40\0\x18\0\0\0\0\x02\0\x01\0\x08\0", 18) + std::string("RGB\0\0", 5);
    // message: part of the visible message ("": none shown, nullptr: as the
    // image plugins have it); status: the status bar's text ("": not checked).
    struct Row : RecordPlan { bool image; const char* message; const char* status = ""; };
    const Row rows[] = {
        {Entry("small", 0x99, kTga), true, "", "TGA  2 × 1  26 字节  100%"},  // no type name: its header says TGA
        {Entry("badmap", 0x30, badMap), false, "TGA 文件头无效", "23 字节"},
        {Entry("looksbinary", 0x99, std::string("\0\0\x05", 3) + std::string(40, '\0')), false, "", "43 字节"},
        {Entry("png", 0x99, HugePng()), false, "图像过大 (30000 × 30000)"},
        {Entry("gif", 0x99, HugeGif()), false, nullptr},
        {Entry("tiff", 0x99, HugeTiff()), false, nullptr},
        {Entry("webp", 0x99, HugeWebp()), false, nullptr},
        // A pitch that means nothing: the decoder goes by the size and the blocks.
        {Entry("ddspitch", 0x99, Dds(4, 4, "DXT1", std::string(8, '\0')).replace(20, 4, "\xff\xff\xff\xff")), true, ""},
        {Entry("ddstall", 0x99, Dds(4, 0x7FFFFFFF, "DXT1", std::string(64, '\0'))), false, "图像过大"},
        {Entry("ddsnegative", 0x99, Dds(4, -4, "DXT1", std::string(64, '\0'))), false, "DDS 图像尺寸无效"},
        {Entry("badutf8", 0x20, "\xc0\xaf\xed\xa0\x80\xf8\x88\x80\x80\x80\xff"), false, ""},
        {Entry("odd16", 0x20, std::string("\xff\xfe\x41\x00\x0a", 5)), false, "", "UTF-16LE  无换行  5 字节"},
    };
    Previewer p(rows);
    p.ShowEach(rows, [&](const auto& row, PreviewWindow* preview) {
        EXPECT_EQ(preview->Image()->isVisible(), row.image);
        const QString message = Visible(preview->Message()), expected = QString::fromUtf8(row.message);
        EXPECT_TRUE(!row.message || (message.contains(expected) && message.isEmpty() == expected.isEmpty()))
            << message.toStdString();
        EXPECT_TRUE(!*row.status || preview->Status()->text() == QString::fromUtf8(row.status))
            << preview->Status()->text().toStdString();
        // Fitting never enlarges a small image.
        const ImageView* image = preview->Image();
        EXPECT_TRUE(!row.image || (image->Fitted() && image->Zoom() == 1.0)) << image->Zoom();
    });
}

}  // namespace
}  // namespace tessarin::testing
