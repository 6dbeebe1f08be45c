#pragma once
// A decoded image in a scrolling area, over a checkerboard that shows where it
// is transparent: fitted to the window (a large image shrunk, a small one at
// 100 %) or at a zoom (100 % and Ctrl+wheel).
#include <QAbstractScrollArea>
#include <QImage>

namespace tessarin {

class ImageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);
    // fitted: the image already scaled for the room it fits now, or null.
    void SetImage(const QImage& image, const QImage& fitted = {});
    const QImage& Image() const { return image_; }
    void FitToWindow();
    void SetZoom(double zoom);  // 1.0: 100 %
    double Zoom() const;        // the scale shown now
    bool Fitted() const { return fit_; }

signals:
    void zoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void UpdateScrollBars();
    QRect ImageRect() const;

    QImage image_;
    // The image at a smaller scale, made once per scale rather than per paint.
    QImage scaled_;
    bool fit_ = true;
    double zoom_ = 1.0;
};

}  // namespace tessarin
