#include "ui/preview/HexView.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <cstdlib>
#include <limits>

namespace tessarin {

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("HexView");
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        viewport()->update();
        AskForMissing();
    });
}

int HexView::RowHeight() const { return fontMetrics().height(); }

void HexView::SetBytes(const QByteArray& head, qint64 total) {
    head_ = head;
    blocks_.clear();
    total_ = std::max<qint64>(total, 0);
    asked_ = -1;
    readUpTo_ = 0;
    UpdateScrollBar();
    viewport()->update();
}

void HexView::AddBytes(qint64 at, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;  // nothing there (the end is told apart): not asked again
    if (at / kBlock == asked_) asked_ = -1;
    for (qsizetype from = 0; from < bytes.size(); from += kBlock) {
        blocks_[(at + from) / kBlock] = bytes.mid(from, kBlock);
    }
    readUpTo_ = std::max(readUpTo_, at + bytes.size());
    DropFarBlocks();
    viewport()->update();
    AskForMissing();
}

void HexView::SetTotal(qint64 total) {
    if (total == total_) return;
    total_ = std::max<qint64>(total, 0);
    UpdateScrollBar();
    viewport()->update();
}

qint64 HexView::HeldBytes() const {
    qint64 held = 0;
    for (const auto& [block, bytes] : blocks_) held += bytes.size();
    return held;
}

bool HexView::Held(qint64 block) const {
    return std::min(total_, (block + 1) * kBlock) <= head_.size() || blocks_.count(block) != 0;
}

int HexView::ByteAt(qint64 at) const {
    if (at < head_.size()) return static_cast<unsigned char>(head_[at]);
    const auto block = blocks_.find(at / kBlock);
    if (block == blocks_.end() || at % kBlock >= block->second.size()) return -1;
    return static_cast<unsigned char>(block->second[at % kBlock]);
}

QString HexView::RowText(qint64 row) const {
    const qint64 start = row * 16;
    if (row < 0 || start >= total_) return {};
    QString text = QStringLiteral("%1  ").arg(start, 8, 16, QChar('0')).toUpper();
    QString chars;
    for (int i = 0; i < 16; ++i) {
        if (start + i < total_) {
            const int b = ByteAt(start + i);
            if (b < 0) return text + QStringLiteral("…");
            text += QStringLiteral("%1 ").arg(b, 2, 16, QChar('0')).toUpper();
            chars += b >= 0x20 && b < 0x7F ? QChar(b) : QChar('.');
        } else {
            text += QStringLiteral("   ");
        }
        if (i == 7) text += QChar(' ');
    }
    return text + QChar(' ') + chars;
}

void HexView::UpdateScrollBar() {
    const int visibleRows = std::max(1, viewport()->height() / RowHeight());
    // Rows are scrolled one by one: an entry's size fits an int of rows.
    const qint64 rows = Rows();
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(std::max<qint64>(0, rows - visibleRows),
                                                                       std::numeric_limits<int>::max())));
    verticalScrollBar()->setPageStep(visibleRows);
    horizontalScrollBar()->setRange(0, std::max(0, fontMetrics().horizontalAdvance(QString(78, QChar('0'))) -
                                                       viewport()->width()));
    AskForMissing();
}

void HexView::AskForMissing() {
    const qint64 first = verticalScrollBar()->value() * qint64{16};
    const qint64 last = std::min(total_, first + (verticalScrollBar()->pageStep() + 1) * qint64{16});
    for (qint64 block = first / kBlock; block * kBlock < last; ++block) {
        if (Held(block)) continue;
        if (block != asked_) {
            asked_ = block;
            // The block after it too: scrolling on needs it next.
            emit bytesWanted(block * kBlock, 2 * kBlock);
        }
        return;
    }
}

void HexView::DropFarBlocks() {
    const qint64 shown = verticalScrollBar()->value() * qint64{16} / kBlock;
    while (blocks_.size() > kKeptBlocks) {
        // The first or the last block held, whichever lies farther from the view.
        const auto firstBlock = blocks_.begin();
        const auto lastBlock = std::prev(blocks_.end());
        blocks_.erase(std::llabs(firstBlock->first - shown) > std::llabs(lastBlock->first - shown) ? firstBlock
                                                                                                    : lastBlock);
    }
}

void HexView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const int h = RowHeight();
    const int x = 4 - horizontalScrollBar()->value();
    qint64 row = verticalScrollBar()->value();
    for (int y = 0; y < viewport()->height() && row < Rows(); y += h, ++row) {
        painter.drawText(x, y + fontMetrics().ascent(), RowText(row));
    }
}

void HexView::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Home && event->key() != Qt::Key_End) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(event->key() == Qt::Key_Home ? bar->minimum() : bar->maximum());
    horizontalScrollBar()->setValue(0);
    event->accept();
}

void HexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

}  // namespace tessarin
