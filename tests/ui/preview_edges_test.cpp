// The preview's edges: damaged and long text, the keys of its views, where it
// first appears and that it stays above its owner, images fitted without
// enlarging, TGA told by its header, and failures in plain words.
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>

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
        EXPECT_TRUE(Visible(preview->Message()).contains(QString::fromUtf8(row.message))) << preview->Message()->text();
        EXPECT_FALSE(preview->Message()->text().contains(QString::fromUtf8("缓冲过小")));
        EXPECT_EQ(Visible(preview->Note()), QString::fromUtf8(row.note));
        EXPECT_LE(preview->Text()->toPlainText().size(), 1 << 20);
        // The bytes of the same entry: no note of the text over them.
        if (!row.hex) preview->HexToggle()->click();
        EXPECT_TRUE(preview->Hex()->RowText(0).startsWith(row.row0)) << preview->Hex()->RowText(0);
        EXPECT_FALSE(preview->Note()->isVisible());
        if (!row.hex) preview->HexToggle()->click();
    }
}

TEST(PreviewEdges, HomeAndEndReachBothEndsOfTextAndBytes) {
    std::string lines;
    for (int i = 0; i < 5000; ++i) lines += "line " + std::to_string(i) + "\n";
    Previewer p({Entry("text", 0x20, lines), Entry("bytes", 0x99, std::string(1 << 20, '\x01') + "END")});
    PreviewWindow* preview = p.Show("text.20");
    ASSERT_NE(preview, nullptr);
    QScrollBar* bar = preview->Text()->verticalScrollBar();
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; bool end; } keys[] = {
        {Qt::Key_End, Qt::ControlModifier, true}, {Qt::Key_Home, Qt::ControlModifier, false}};
    for (const auto& k : keys) {
        QTest::keyClick(preview->Text(), k.key, k.modifiers);
        EXPECT_EQ(bar->value(), k.end ? bar->maximum() : 0) << k.key;
    }
    preview = p.Show("bytes.99");
    HexView* hex = preview->Hex();
    for (const auto& k : {keys[0], keys[1], decltype(keys[0]){Qt::Key_End, Qt::NoModifier, true}}) {
        QTest::keyClick(hex, k.key, k.modifiers);
        EXPECT_EQ(hex->verticalScrollBar()->value(), k.end ? hex->verticalScrollBar()->maximum() : 0) << k.key;
    }
    EXPECT_GT(hex->verticalScrollBar()->maximum(), 60000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hex->RowText(hex->Rows() - 1).contains("END"); }, 20000));
}

TEST(PreviewEdges, FirstPlacedInsideTheOwnersScreenAndKeptAboveIt) {
    Previewer p({Entry("one", 0x20, "first")});
    const QRect screen = p.ui.window.screen()->availableGeometry();
    // The main window at the right of the screen: there is no room to its right.
    p.ui.window.setGeometry(screen.right() - 500, screen.top() + 50, 450, 400);
    PreviewWindow* preview = p.Show("one.20");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(screen.contains(preview->frameGeometry())) << preview->frameGeometry().x() << " " << screen.width();
    EXPECT_EQ(preview->windowType(), Qt::Tool);
    EXPECT_EQ(preview->parentWidget(), &p.ui.window);
}

TEST(PreviewEdges, FitShrinksLargeImagesOnlyAndTgaIsToldByItsHeader) {
    // A 2 x 1 colour-mapped TGA whose map holds fewer entries than declared.
    const std::string badMap = std::string("\0\x01\x01\0\0\x40\0\x18\0\0\0\0\x02\0\x01\0\x08\0", 18) + "RGB" + "\0\0";
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

}  // namespace
}  // namespace tessarin::testing
