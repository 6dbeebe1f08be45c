#pragma once
// Bytes as rows of an offset, 16 bytes in hexadecimal and their printable
// characters. The rows cover the whole entry: the first bytes are given at
// once, the rest are asked for (bytesWanted) block by block as they are
// scrolled into view, and only the blocks nearest the view are kept.
#include <QAbstractScrollArea>
#include <QByteArray>
#include <map>

namespace tessarin {

class HexView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr qint64 kBlock = 256 << 10;
    static constexpr std::size_t kKeptBlocks = 48;

    explicit HexView(QWidget* parent = nullptr);
    // head: the first bytes of an entry whose readable bytes number total.
    void SetBytes(const QByteArray& head, qint64 total);
    // Bytes read further on, at the start of a block.
    void AddBytes(qint64 at, const QByteArray& bytes);
    // Where the readable bytes end, once known.
    void SetTotal(qint64 total);
    // The text of one row (for copying and tests); a row not read yet shows
    // its offset and "…".
    QString RowText(qint64 row) const;
    qint64 Rows() const { return (total_ + 15) / 16; }
    // The bytes held beyond the first ones, and how far bytes were read.
    qint64 HeldBytes() const;
    qint64 ReadUpTo() const { return std::max<qint64>(head_.size(), readUpTo_); }

signals:
    void bytesWanted(qint64 at, qint64 count);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Home and Ctrl+Home go to the first row, End and Ctrl+End to the last.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateScrollBar();
    // Asks for the first block in view that is not held.
    void AskForMissing();
    void DropFarBlocks();
    bool Held(qint64 block) const;
    int ByteAt(qint64 at) const;  // -1: not held
    int RowHeight() const;

    QByteArray head_;
    std::map<qint64, QByteArray> blocks_;  // by block number
    qint64 total_ = 0;
    qint64 asked_ = -1;  // the block asked for and not answered yet
    qint64 readUpTo_ = 0;
};

}  // namespace tessarin
