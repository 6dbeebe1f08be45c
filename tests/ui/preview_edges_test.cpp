// The preview's edges: damaged and long text, the keys of its views, images
// fitted without enlarging, TGA told by its header, and failures in plain words.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolButton>
#include <tuple>
#include <zlib.h>

#include "PreviewHarness.h"
#include "ui/preview/HexView.h"
#include "ui/preview/ImageView.h"

namespace tessarin::testing {
namespace {

QString Visible(const QLabel* label) { return label->isVisible() ? label->text() : QString(); }

TEST(PreviewEdges, DamagedAndLongTextShowWhatThereIsWithTheRightNote) {
    const std::string damaged = Deflate(std::string(300000, 'q')).substr(0, 2) + std::string(141, '\xff');
    std::string lines;
    while (lines.size() < (2u << 20)) lines += "line " + std::to_string(lines.size()) + "\r\n";
    struct Row : RecordPlan { bool hex; const char* message; const char* note; const char* row0; };
    const Row rows[] = {
        // Nothing inflates: the stored bytes, as bytes, and no note of a cut.
        {Stored("damaged", 0x20, damaged, 143), true, "以下为存储的字节", "", "00000000  78 9C FF FF"},
        {Entry("long", 0x20, lines), false, "", "只显示前 1 MiB", "00000000  6C 69 6E 65"},
        // More bytes than recorded: the words verify uses, not zlib's.
        {Stored("over", 0x20, Deflate(std::string(300, 'q')), 100), false, "解压后的数据多于记录的原始大小", "", "00000000  71"},
    };
    Previewer p(rows);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PreviewWindow* preview = p.Show(Key(row));
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->Hex()->isVisible(), row.hex);
        EXPECT_TRUE(Visible(preview->Message()).contains(QString::fromUtf8(row.message))) << preview->Message()->text().toStdString();
        EXPECT_FALSE(preview->Message()->text().contains(QString::fromUtf8("缓冲过小")));
        EXPECT_EQ(Visible(preview->Note()), QString::fromUtf8(row.note));
        EXPECT_LE(preview->Text()->toPlainText().size(), 1 << 20);
        // The bytes of the same entry: no note of the text over them.
        if (!row.hex) preview->HexToggle()->click();
        EXPECT_TRUE(preview->Hex()->RowText(0).startsWith(row.row0)) << preview->Hex()->RowText(0).toStdString();
        EXPECT_FALSE(preview->Note()->isVisible());
        if (!row.hex) preview->HexToggle()->click();
    }
}

TEST(PreviewEdges, HomeAndEndReachBothEndsOfTextAndBytes) {
    std::string lines;
    for (int i = 0; i < 5000; ++i) lines += "line " + std::to_string(i) + "\n";
    Previewer p(std::vector<RecordPlan>{Entry("text", 0x20, lines), Entry("bytes", 0x99, std::string(1 << 20, '\x01') + "END")});
    PreviewWindow* preview = p.Show("text.20");
    ASSERT_NE(preview, nullptr);
    QScrollBar* bar = preview->Text()->verticalScrollBar();
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; bool end; } keys[] = {
        {Qt::Key_End, Qt::ControlModifier, true}, {Qt::Key_Home, Qt::ControlModifier, false}};
    for (const auto& k : keys) {
        QTest::keyClick(preview->Text(), k.key, k.modifiers);
        // Under Wine's fonts the last line's layout may leave the bar one step short.
        EXPECT_NEAR(bar->value(), k.end ? bar->maximum() : 0, kDesignFontMetrics ? 0 : 1) << int(k.key);
    }
    preview = p.Show("bytes.99");
    HexView* hex = preview->Hex();
    for (const auto& k : {keys[0], keys[1], decltype(keys[0]){Qt::Key_End, Qt::NoModifier, true}}) {
        QTest::keyClick(hex, k.key, k.modifiers);
        EXPECT_EQ(hex->verticalScrollBar()->value(), k.end ? hex->verticalScrollBar()->maximum() : 0) << int(k.key);
    }
    EXPECT_GT(hex->verticalScrollBar()->maximum(), 60000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hex->RowText(hex->Rows() - 1).contains("END"); }, 20000));
}

TEST(PreviewEdges, FitShrinksLargeImagesOnlyAndTgaIsToldByItsHeader) {
    // A 2 x 1 colour-mapped TGA whose map holds fewer entries than declared.
    const std::string badMap = std::string("\0\x01\x01\0\0\x40\0\x18\0\0\0\0\x02\0\x01\0\x08\0", 18) + std::string("RGB\0\0", 5);
    struct Row : RecordPlan { const char* status; const char* message; };
    const Row rows[] = {
        {Entry("small", 0x99, kTga), "TGA  2 × 1  26 字节  100%", ""},  // no type name: its header says TGA
        {Entry("badmap", 0x30, badMap), "23 字节", "TGA 文件头无效"},
        {Entry("looksbinary", 0x99, std::string("\0\0\x05", 3) + std::string(40, '\0')), "43 字节", ""},
    };
    Previewer p(rows);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PreviewWindow* preview = p.Show(Key(row));
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->Status()->text(), QString::fromUtf8(row.status));
        EXPECT_EQ(Visible(preview->Message()), QString::fromUtf8(row.message));
    }
    PreviewWindow* preview = p.Show("small.99");
    EXPECT_TRUE(preview->Image()->Fitted());
    EXPECT_EQ(preview->Image()->Zoom(), 1.0);
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

// Hostile entries: shown as bytes with a reason (images) or as text, never a crash.
TEST(PreviewEdges, HostileEntriesShowAsBytesOrTextWithoutHarm) {
    const std::string dds = Dds(4, 4, "DXT1", std::string(8, '\0'));
    struct Row : RecordPlan { bool image; const char* message; };
    const Row rows[] = {
        {Entry("png", 0x99, HugePng()), false, "图像过大 (30000 × 30000)"},
        {Entry("gif", 0x99, HugeGif()), false, ""},
        {Entry("tiff", 0x99, HugeTiff()), false, ""},
        {Entry("webp", 0x99, HugeWebp()), false, ""},
        // A pitch that means nothing: the decoder goes by the size and the blocks.
        {Entry("ddspitch", 0x99, std::string(dds).replace(20, 4, "\xff\xff\xff\xff")), true, ""},
        {Entry("ddstall", 0x99, Dds(4, 0x7FFFFFFF, "DXT1", std::string(64, '\0'))), false, "图像过大"},
        {Entry("ddsnegative", 0x99, Dds(4, -4, "DXT1", std::string(64, '\0'))), false, "DDS 图像尺寸无效"},
        {Entry("badutf8", 0x20, "\xc0\xaf\xed\xa0\x80\xf8\x88\x80\x80\x80\xff"), false, ""},
        {Entry("odd16", 0x20, std::string("\xff\xfe\x41\x00\x0a", 5)), false, ""},
    };
    Previewer p(rows);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PreviewWindow* preview = p.Show(Key(row));
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->Image()->isVisible(), row.image);
        EXPECT_TRUE(preview->Message()->text().contains(QString::fromUtf8(row.message))) << preview->Message()->text().toStdString();
    }
    EXPECT_EQ(p.ui.window.Preview()->Status()->text(), QString::fromUtf8("UTF-16LE  无换行  5 字节"));
}

}  // namespace
}  // namespace tessarin::testing
