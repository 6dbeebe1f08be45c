// The preview window on the offscreen platform: images of every format it
// reads, text in its encodings, bytes, and entries that are damaged, short, long,
// declared huge, inflate without end or hold DDS files that cannot be decoded.
// Pixels, texts and messages are checked.
#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>

#include <QImageReader>
#include <cstring>
#include <thread>

#include "PreviewHarness.h"
#include "ui/preview/ArrivingBytes.h"
#include "ui/preview/HexView.h"
#include "ui/preview/ImageView.h"
#include "ui/preview/PreviewContent.h"

namespace tessarin::testing {
namespace {

// The image in the given format.
std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes.toStdString();
}

// A red image in the given format.
std::string Red(const char* format, int w = 8, int h = 6) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(qRgb(255, 0, 0));
    return Encoded(image, format);
}

// A red image with noise in every pixel, so that its PNG is larger than the
// first block read and decodes while the rest is still being inflated.
std::string NoisyRedPng(int w = 600, int h = 400) {
    QImage image(w, h, QImage::Format_ARGB32);
    const std::string noise = Noise(static_cast<std::size_t>(3 * w * h));
    const auto* n = reinterpret_cast<const unsigned char*>(noise.data());
    for (int i = 0; i < w * h; ++i)
        image.setPixel(i % w, i / w, qRgb(215 + n[3 * i] % 41, n[3 * i + 1] % 50, n[3 * i + 2] % 50));
    const std::string png = Encoded(image, "PNG");
    EXPECT_GT(png.size(), 512u << 10);
    return png;
}

// One 4 x 4 block of red in each DXT kind (color0 red, every index 0).
const std::string kRedColorBlock("\x00\xf8\x1f\x00\x00\x00\x00\x00", 8);
std::string DxtBlocks(const std::string& kind, int blocks) {
    const std::string block =
        (kind == "DXT3" ? std::string(8, '\xff') : kind == "DXT5" ? std::string("\xff\0\0\0\0\0\0\0", 8) : "") + kRedColorBlock;
    return QByteArray::fromStdString(block).repeated(blocks).toStdString();
}

// A 1 x 1 red GIF (Qt reads GIF but does not write it).
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                       "\x02\x02\x44\x01\x00;", 35);

TEST(Preview, ShowsImagesOfEveryFormatFittedWithFormatAndSize) {
    const std::uint32_t argb[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const std::uint32_t rgb[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    const std::string rgb24 = QByteArray("\0\0\xff", 3).repeated(16).toStdString();
    struct Row : RecordPlan { const char* status; };
    // DDS blocks and pixels exactly as many as the size needs.
    const Row rows[] = {
        {Entry("wide", 0x1A, Red("PNG", 3000, 1500)), "PNG  3000 × 1500"},  // first shown: comes fitted
        {Entry("noisy", 0x1A, NoisyRedPng()), "PNG  600 × 400"},  // decoded while it is inflated
        {Entry("jpeg", 0x99, Red("JPEG")), "JPEG  8 × 6"},  // by content, whatever the type
        {Entry("bmp", 0x99, Red("BMP")), "BMP  8 × 6"},
        {Entry("gif", 0x99, kGif), "GIF  1 × 1"},
        {Entry("tiff", 0x99, Red("TIFF")), "TIFF  8 × 6"},
        {Entry("webp", 0x99, Red("WEBP")), "WEBP  8 × 6"},
        {Entry("tga", 0x30, kTga), "TGA  2 × 1"},  // by the type's name
        {Entry("dxt1", 0x99, Dds(8, 4, "DXT1", DxtBlocks("DXT1", 2))), "DDS DXT1  8 × 4"},
        {Entry("dxt1tall", 0x99, Dds(4, 260, "DXT1", DxtBlocks("DXT1", 65))), "DDS DXT1  4 × 260"},
        {Entry("dxt3", 0x99, Dds(4, 4, "DXT3", DxtBlocks("DXT3", 1))), "DDS DXT3  4 × 4"},
        {Entry("dxt5", 0x99, Dds(5, 5, "DXT5", DxtBlocks("DXT5", 4))), "DDS DXT5  5 × 5"},
        {Entry("argb32", 0x99, Dds(4, 4, nullptr, std::string(64, '\0'), 32, argb)), "DDS ARGB32  4 × 4"},
        {Entry("rgb24", 0x99, Dds(4, 4, nullptr, rgb24, 24, rgb)), "DDS RGB24  4 × 4"},
    };
    Previewer p(rows);
    p.ShowEach(rows, [&](const auto& row, PreviewWindow* preview) {
        EXPECT_TRUE(preview->Status()->text().startsWith(QString::fromUtf8(row.status))) << preview->Status()->text().toStdString();
        EXPECT_TRUE(preview->Message()->isHidden()) << preview->Message()->text().toStdString();
        if (&row == rows) {
            const QSize room = preview->Image()->viewport()->size(), fitted = preview->Content().fitted.size();
            EXPECT_TRUE(std::abs(fitted.width() - room.width()) <= 1 || std::abs(fitted.height() - room.height()) <= 1)
                << fitted.width() << "x" << fitted.height() << " in " << room.width() << "x" << room.height();
        }
        const QImage shown = preview->Image()->viewport()->grab().toImage();
        // The middle pixel, where an image of one pixel, shown at 100 % and centred, lands.
        const QRgb centre = shown.pixel((shown.width() - 1) / 2, (shown.height() - 1) / 2);
        if (row.name == "argb32") {
            // Fully transparent: the checkerboard shows through.
            EXPECT_TRUE(centre == qRgb(255, 255, 255) || centre == qRgb(0xCC, 0xCC, 0xCC)) << std::hex << centre;
        } else {
            EXPECT_TRUE(qRed(centre) > 200 && qGreen(centre) < 70 && qBlue(centre) < 70) << std::hex << centre;
        }
    });
    // 1 shows 100 %, 0 fits again.
    PreviewWindow* preview = p.ui.window.Preview();
    QTest::keyClick(preview, Qt::Key_1);
    EXPECT_TRUE(preview->Status()->text().endsWith("100%")) << preview->Status()->text().toStdString();
    QTest::keyClick(preview, Qt::Key_0);
    EXPECT_TRUE(preview->Image()->Fitted());
}

// Text by a byte order mark, by its look, or (gbk, with a control character) by the type's name.
TEST(Preview, TextInItsDetectedEncodingWithLineEndsAndAChoiceToSwitch) {
    const std::string chinese = "\xe4\xb8\xad\xe6\x96\x87";  // 中文 in UTF-8
    struct Row : RecordPlan { const char* status; const char* encoding; const char* text = "中文\nline"; };
    const Row rows[] = {
        {Entry("bom8", 0x99, "\xef\xbb\xbf" + chinese + "\r\nline"), "UTF-8  CR LF", "UTF-8"},
        {Entry("plain8", 0x99, chinese + "\nline"), "UTF-8  LF", "UTF-8"},
        {Entry("utf16", 0x99, std::string("\xff\xfe\x2d\x4e\x87\x65\x0d\x00l\x00i\x00n\x00" "e\x00", 16)), "UTF-16LE  CR", "UTF-16LE"},
        {Entry("utf16be", 0x99, std::string("\xfe\xff\x4e\x2d\x65\x87\x00\x0a\x00l\x00i\x00n\x00" "e", 16)), "UTF-16BE  LF", "UTF-16BE"},
        {Entry("gbk", 0x20, "\xd6\xd0\xce\xc4\r\nline\x01"), "GBK (936)  CR LF", "GBK (936)", "中文\nline\x01"},
    };
    Previewer p(rows);
    p.ShowEach(rows, [&](const auto& row, PreviewWindow* preview) {
        EXPECT_EQ(preview->Text()->toPlainText(), QString::fromUtf8(row.text));
        EXPECT_TRUE(preview->Text()->isReadOnly() && preview->Text()->isVisible());
        EXPECT_TRUE(preview->Status()->text().startsWith(QString::fromUtf8(row.status))) << preview->Status()->text().toStdString();
        EXPECT_EQ(preview->Encoding()->currentText(), QString::fromUtf8(row.encoding));
    });
    // The code page 936 text read as UTF-8 is not the same text; back again it is.
    PreviewWindow* preview = p.ui.window.Preview();
    for (const int index : {0, 3}) {
        preview->Encoding()->setCurrentIndex(index);
        emit preview->Encoding()->activated(index);
        EXPECT_EQ(preview->Text()->toPlainText() == QString::fromUtf8(rows[4].text), index == 3) << index;
    }
    // The bytes of the same text on request.
    preview->HexToggle()->click();
    EXPECT_EQ(preview->Hex()->isVisible() ? preview->Hex()->RowText(0).left(22) : QString(), "00000000  D6 D0 CE C4 ");
}

TEST(Preview, BytesAndFailuresShowWhatCouldBeReadWithAMessage) {
    const std::string binary = std::string("\x00\x01\x02" "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 29);
    const std::string bomb = Deflate(std::string(80 << 20, '\0'));
    const std::string damaged = Deflate(std::string(300000, 'q')).substr(0, 2) + std::string(64, '\xff');
    const std::string cut = Deflate(binary + std::string(1 << 20, 'z')).substr(0, 40);
    const std::string png = NoisyRedPng();
    const std::uint32_t red16[4] = {0xF800, 0, 0, 0};
    const char* const dds = "00000000  44 44 53 20";
    const std::string damagedText = Deflate(std::string(300000, 'q')).substr(0, 2) + std::string(141, '\xff');
    std::string lines;
    while (lines.size() < (2u << 20)) lines += "line " + std::to_string(lines.size()) + "\r\n";
    // bytes: how many were read (-1: not checked); row0: how the first row of
    // bytes starts (nullptr: no rows); text: shown as text, the bytes on request.
    struct Row : RecordPlan {
        const char* message; qsizetype bytes; const char* row0; bool text = false; const char* note = "";
    };
    const Row rows[] = {
        {Entry("binary", 0x99, binary), "", 29, "00000000  00 01 02 41 42 43 44 45  46 47"},
        {Entry("empty", 0x99, ""), "", 0, nullptr},
        {Stored("damaged", 0x99, damaged, 300000), "数据流已损坏", 66, "00000000  78 9C FF FF"},
        {Stored("cut", 0x99, cut, 29 + (1 << 20)), "数据流已损坏", -1, "00000000  00 01 02 41"},
        {Stored("cutpng", 0x1A, Deflate(png).substr(0, png.size() / 2), png.size()), "数据流已损坏", -1, "00000000  89 50 4E 47"},
        {Stored("short", 0x99, Deflate(binary), 1000000000), "数据只有 29 字节", 29, "00000000  00 01 02"},
        {Stored("bomb", 0x99, bomb, 80 << 20), "", 8 << 20, "00000000  00 00 00"},
        {Stored("imagebomb", 0x1A, bomb, 80 << 20), "图像数据超过 64 MiB", 8 << 20, "00000000  00 00"},  // never decoded
        {Entry("notimage", 0x1A, "not an image at all"), "无法识别的图像格式", 19, "00000000  6E 6F 74"},
        {Stored("offset", 0x99, "xx", 5, 2, 1 << 30), "无法读取数据", 0, nullptr},
        // DDS files that cannot be decoded.
        {Entry("ddsshort", 0x99, "DDS " + std::string(20, '\0')), "DDS 文件头不完整", 24, dds},
        {Entry("ddsheader", 0x99, Dds(4, 4, "DXT1").replace(5, 1, "\x01", 1)), "DDS 文件头不完整", 128, dds},
        {Entry("ddsnowidth", 0x99, Dds(0, 4, "DXT1", std::string(8, '\0'))), "DDS 图像尺寸无效", 136, dds},
        {Entry("ddshuge", 0x99, Dds(20000, 20000, "DXT1", DxtBlocks("DXT1", 4))), "图像过大", 160, dds},
        {Entry("ddsblockscut", 0x99, Dds(8, 8, "DXT5", std::string(63, '\0'))), "DDS 数据不完整", 191, dds},
        {Entry("ddsbc7", 0x99, Dds(4, 4, "DX10", std::string(16, '\0'))), "不支持的 DDS 压缩格式", 144, dds},
        {Entry("dds16", 0x99, Dds(4, 4, nullptr, std::string(32, '\0'), 16, red16)), "不支持的 DDS 像素格式", 160, dds},
        {Entry("ddspixelscut", 0x99, Dds(4, 4, nullptr, std::string(47, '\0'), 24, red16)), "DDS 数据不完整", 175, dds},
        // A text of which nothing inflates: the stored bytes, as bytes, and no note of a cut.
        {Stored("damagedtext", 0x20, damagedText, 143), "以下为存储的字节", 143, "00000000  78 9C FF FF"},
        {Entry("long", 0x20, lines), "", -1, "00000000  6C 69 6E 65", true, "只显示前 1 MiB"},
        // More bytes than recorded: the words verify uses, not zlib's.
        {Stored("over", 0x20, Deflate(std::string(300, 'q')), 100), "解压后的数据多于记录的原始大小", -1, "00000000  71", true},
    };
    Previewer p(rows);
    p.ShowEach(rows, [&](const auto& row, PreviewWindow* preview) {
        EXPECT_EQ(preview->Hex()->isVisible(), !row.text);
        EXPECT_TRUE(preview->Message()->text().contains(QString::fromUtf8(row.message))) << preview->Message()->text().toStdString();
        EXPECT_EQ(preview->Message()->isVisible(), *row.message != '\0') << preview->Message()->text().toStdString();
        EXPECT_FALSE(preview->Message()->text().contains(QString::fromUtf8("缓冲过小")));
        EXPECT_EQ(Visible(preview->Note()), QString::fromUtf8(row.note));
        EXPECT_EQ(row.bytes >= 0 ? preview->Content().bytes.size() : -1, row.bytes);
        EXPECT_LE(preview->Text()->toPlainText().size(), 1 << 20);
        // The bytes of a text on request: no note of the text over them.
        if (row.text) preview->HexToggle()->click();
        EXPECT_TRUE(row.row0 ? preview->Hex()->RowText(0).startsWith(row.row0) : preview->Hex()->Rows() == 0)
            << preview->Hex()->RowText(0).toStdString();
        EXPECT_FALSE(preview->Note()->isVisible());
        if (row.text) preview->HexToggle()->click();
    });
}

// The offset and first byte a row of plain starts with.
QString RowStart(const std::string& plain, qint64 row) {
    return QStringLiteral("%1  %2").arg(row * 16, 8, 16, QChar('0')).toUpper()
        .arg(static_cast<unsigned char>(plain[static_cast<std::size_t>(row * 16)]), 2, 16, QChar('0')).toUpper();
}

TEST(Preview, BytesScrollThroughTheWholeEntryUpToWhereItBreaks) {
    const std::string big = std::string(72 << 20, '\0') + "the very last bytes!";
    const std::string pattern = Pattern(12 << 20);
    const std::string blocks = StoredBlocks(pattern);
    std::string far = blocks;
    far[static_cast<std::size_t>(StoredBlockStart(150))] = '\x06';  // block type 3 does not exist
    const auto size = [](const std::string& s) { return static_cast<std::int32_t>(s.size()); };
    // The break is found on opening (near) or once scrolled to (far); the
    // rows end with the last byte before it.
    struct Row : RecordPlan { const std::string& plain; qint64 end; const char* message; };
    const Row rows[] = {
        {Stored("big", 0x99, Deflate(big), size(big)), big, size(big), ""},
        {Stored("near", 0x99, blocks.substr(0, static_cast<std::size_t>(StoredBlockStart(60)) + 5 + 1234), size(pattern)),
         pattern, 60 * 65535 + 1234, "数据流已损坏"},
        {Stored("far", 0x99, far, size(pattern)), pattern, 150 * 65535, "数据流已损坏"},
    };
    Previewer p(rows);
    p.ShowEach(rows, [&](const auto& row, PreviewWindow* preview) {
        HexView* hex = preview->Hex();
        EXPECT_EQ(preview->Content().bytes.size(), std::min<qint64>(row.end, 8 << 20));
        QScrollBar* bar = hex->verticalScrollBar();
        bar->setValue(bar->maximum());
        const qint64 lastRow = (row.end - 1) / 16;
        ASSERT_TRUE(QTest::qWaitFor([&] { return hex->Rows() == lastRow + 1 && !hex->RowText(lastRow).endsWith(u'…'); },
                                    20000)) << hex->RowText(hex->Rows() - 1).toStdString();
        EXPECT_TRUE(hex->RowText(lastRow).startsWith(RowStart(row.plain, lastRow))) << hex->RowText(lastRow).toStdString();
        EXPECT_TRUE(preview->Message()->text().contains(QString::fromUtf8(row.message)));
        // Back in the middle: read again from the nearest saved point.
        const qint64 middle = row.end / 32 + 4097;
        bar->setValue(static_cast<int>(middle));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !hex->RowText(middle).endsWith(u'…'); }, 20000));
        EXPECT_TRUE(hex->RowText(middle).startsWith(RowStart(row.plain, middle))) << hex->RowText(middle).toStdString();
        // Held: the first bytes, the blocks near the view, the saved points.
        EXPECT_LE(hex->HeldBytes(), static_cast<qint64>(HexView::kKeptBlocks) * HexView::kBlock);
    });
    EXPECT_TRUE(p.ui.window.Preview()->Status()->text().contains(QString::fromUtf8("已读")));
}

// First placed inside the owner's screen, though the owner leaves no room at
// its right, and kept above it.
TEST(Preview, PlacedOnScreenFollowsTheSelectionClosesWithEscAndKeepsItsPlace) {
    Previewer p(std::vector<RecordPlan>{Entry("one", 0x20, "first"), Entry("two", 0x20, "second")});
    const QRect screen = p.ui.window.screen()->availableGeometry();
    p.ui.window.setGeometry(screen.right() - 500, screen.top() + 50, 450, 400);
    PreviewWindow* preview = p.Show("one.20");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(screen.contains(preview->frameGeometry())) << preview->frameGeometry().x() << " " << screen.width();
    EXPECT_EQ(std::tuple(preview->windowType(), preview->parentWidget(), preview->windowTitle()),
              std::tuple(Qt::Tool, &p.ui.window, QString::fromUtf8("预览 - one.txt")));
    ASSERT_EQ(p.Show("two.20"), preview);
    EXPECT_EQ(std::pair(preview->windowTitle(), preview->Text()->toPlainText()),
              std::pair(QString::fromUtf8("预览 - two.txt"), QString("second")));
    preview->setGeometry(QRect(30, 40, 500, 300));
    const QRect placed = preview->geometry();
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_FALSE(preview->isVisible());
    // Space in the tree opens it and closes it again.
    for (const bool open : {true, false}) {
        QTest::keyClick(p.ui.window.Tree(), Qt::Key_Space);
        EXPECT_EQ(preview->isVisible(), open);
    }
    // Closed, it no longer follows; opened again it is where it was.
    p.ui.Select("one.20");
    EXPECT_FALSE(preview->isVisible());
    p.ui.window.MenuAction("npreview")->trigger();
    EXPECT_EQ(std::pair(preview->isVisible(), preview->geometry()), std::pair(true, placed));
    // Closing the archive stops the reading first and leaves nothing running.
    p.ui.window.MenuAction("nclose")->trigger();
    // Nothing of the closed archive stays shown.
    EXPECT_EQ(std::tuple(preview->Loading(), preview->isVisible(), preview->Content().bytes.size(),
                         preview->windowTitle() + preview->Text()->toPlainText()),
              std::tuple(false, false, 0, QString::fromUtf8("预览")));
}

// A reader on one thread takes the bytes another thread fills in steps: it
// gets them in order, waits for what has not arrived, and ends where the
// filling ends instead of waiting for bytes that never come.
TEST(ArrivingBytes, ReadsWaitForTheFillingAndEndWhereItEnds) {
    const QByteArray png = QByteArray::fromStdString(NoisyRedPng());
    for (const bool early : {false, true}) {
        SCOPED_TRACE(early ? "the filling ends early" : "an image decoded as it arrives");
        const qsizetype filled = early ? png.size() / 2 : png.size();
        QByteArray target(png.size(), '\0');
        ArrivingBytes device(target.data(), target.size());
        std::jthread filling([&] {
            // Small steps, so that the reader often finds less than it asks for.
            for (qsizetype at = 0; at < filled; at += 97) {
                const qsizetype n = std::min<qsizetype>(97, filled - at);
                std::memcpy(target.data() + at, png.constData() + at, static_cast<std::size_t>(n));
                device.Publish(at + n);
                std::this_thread::yield();
            }
            device.Finish();
        });
        if (!early) {
            EXPECT_EQ(QImageReader(&device, "png").read(), QImage::fromData(png));
        } else {
            EXPECT_EQ(device.readAll(), png.left(filled));
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
