#pragma once
// Bytes as rows of an offset, 16 bytes in hexadecimal and their printable
// characters. The rows cover the bytes loaded so far; scrolling near their end
// asks for more (moreWanted) while the entry has more.
#include <QAbstractScrollArea>
#include <QByteArray>

namespace tessarin {

class HexView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit HexView(QWidget* parent = nullptr);
    // bytes: the first bytes of an entry of total bytes.
    void SetBytes(const QByteArray& bytes, qint64 total);
    // The text of one row (for copying and tests).
    QString RowText(qint64 row) const;
    qint64 Rows() const { return (bytes_.size() + 15) / 16; }

signals:
    void moreWanted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateScrollBar();
    void CheckNeedMore();
    int RowHeight() const;

    QByteArray bytes_;
    qint64 total_ = 0;
};

}  // namespace tessarin
