#include "ui/HexView.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

namespace tessarin {

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("HexView");
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        viewport()->update();
        CheckNeedMore();
    });
}

int HexView::RowHeight() const { return fontMetrics().height(); }

void HexView::SetBytes(const QByteArray& bytes, qint64 total) {
    bytes_ = bytes;
    total_ = total;
    UpdateScrollBar();
    viewport()->update();
}

QString HexView::RowText(qint64 row) const {
    const qint64 start = row * 16;
    if (row < 0 || start >= bytes_.size()) return {};
    QString text = QStringLiteral("%1  ").arg(start, 8, 16, QChar('0')).toUpper();
    QString chars;
    for (int i = 0; i < 16; ++i) {
        if (start + i < bytes_.size()) {
            const auto b = static_cast<unsigned char>(bytes_[start + i]);
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
    // Rows are scrolled one by one; the range is capped by the int scroll bar.
    const qint64 rows = Rows();
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(std::max<qint64>(0, rows - visibleRows),
                                                                       std::numeric_limits<int>::max())));
    verticalScrollBar()->setPageStep(visibleRows);
    horizontalScrollBar()->setRange(0, std::max(0, fontMetrics().horizontalAdvance(QString(78, QChar('0'))) -
                                                       viewport()->width()));
    CheckNeedMore();
}

void HexView::CheckNeedMore() {
    if (bytes_.size() >= total_) return;
    const qint64 lastShown = verticalScrollBar()->value() + 2 * verticalScrollBar()->pageStep();
    if (lastShown >= Rows()) emit moreWanted();
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

void HexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

}  // namespace tessarin
