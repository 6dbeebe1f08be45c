#include "ui/preview/ImageView.h"

#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tessarin {

namespace {
constexpr int kChecker = 8;
const QColor kLightSquare(0xFF, 0xFF, 0xFF);
const QColor kDarkSquare(0xCC, 0xCC, 0xCC);
}  // namespace

ImageView::ImageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("ImageView");
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void ImageView::SetImage(const QImage& image, const QImage& fitted) {
    image_ = image;
    scaled_ = fitted;
    UpdateScrollBars();
    viewport()->update();
}

void ImageView::FitToWindow() {
    fit_ = true;
    UpdateScrollBars();
    viewport()->update();
    emit zoomChanged(Zoom());
}

void ImageView::SetZoom(double zoom) {
    fit_ = false;
    zoom_ = std::clamp(zoom, 1.0 / 64, 64.0);
    UpdateScrollBars();
    viewport()->update();
    emit zoomChanged(Zoom());
}

double ImageView::Zoom() const {
    if (!fit_ || image_.isNull()) return zoom_;
    // Fitting shrinks a large image; a small one is shown at 100 %.
    const QSize room = viewport()->size();
    return std::min({1.0, static_cast<double>(room.width()) / image_.width(),
                     static_cast<double>(room.height()) / image_.height()});
}

QRect ImageView::ImageRect() const {
    if (image_.isNull()) return {};
    const double zoom = Zoom();
    const QSize shown(std::max(1, static_cast<int>(std::lround(image_.width() * zoom))),
                      std::max(1, static_cast<int>(std::lround(image_.height() * zoom))));
    const QSize room = viewport()->size();
    // Centred while it fits; scrolled when it does not.
    const int x = shown.width() <= room.width() ? (room.width() - shown.width()) / 2 : -horizontalScrollBar()->value();
    const int y = shown.height() <= room.height() ? (room.height() - shown.height()) / 2 : -verticalScrollBar()->value();
    return QRect(QPoint(x, y), shown);
}

void ImageView::UpdateScrollBars() {
    const QSize room = viewport()->size();
    const double zoom = Zoom();
    const int w = image_.isNull() ? 0 : static_cast<int>(std::lround(image_.width() * zoom));
    const int h = image_.isNull() ? 0 : static_cast<int>(std::lround(image_.height() * zoom));
    horizontalScrollBar()->setRange(0, std::max(0, w - room.width()));
    horizontalScrollBar()->setPageStep(room.width());
    verticalScrollBar()->setRange(0, std::max(0, h - room.height()));
    verticalScrollBar()->setPageStep(room.height());
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QRect rect = ImageRect();
    if (rect.isEmpty()) return;
    const QRect visible = rect.intersected(viewport()->rect());
    // The checkerboard, anchored at the image's corner, under the image.
    for (int y = visible.top() - (visible.top() - rect.top()) % kChecker; y <= visible.bottom(); y += kChecker) {
        for (int x = visible.left() - (visible.left() - rect.left()) % kChecker; x <= visible.right(); x += kChecker) {
            const bool dark = (((x - rect.left()) / kChecker) + ((y - rect.top()) / kChecker)) % 2 != 0;
            painter.fillRect(QRect(x, y, kChecker, kChecker).intersected(visible), dark ? kDarkSquare : kLightSquare);
        }
    }
    if (rect.size() == image_.size()) {
        painter.drawImage(rect.topLeft(), image_);
        return;
    }
    if (rect.width() > image_.width()) {
        painter.drawImage(rect, image_);  // enlarged: square pixels, as they are
        return;
    }
    // A picture scaled for this size (the first one comes scaled already) is
    // kept; one a pixel off from rounding is stretched rather than made again.
    if (std::abs(scaled_.width() - rect.width()) > 1 || std::abs(scaled_.height() - rect.height()) > 1) {
        scaled_ = image_.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    painter.drawImage(rect, scaled_);
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void ImageView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) SetZoom(Zoom() * std::pow(1.25, steps));
}

}  // namespace tessarin
