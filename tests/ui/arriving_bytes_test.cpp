#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <cstring>
#include <thread>

#include "ui/ArrivingBytes.h"

namespace tessarin::testing {
namespace {

// A reader on one thread takes the bytes another thread fills in small steps:
// it gets them in order, waits for what has not arrived, and ends where the
// filling ends instead of waiting for bytes that never come.
TEST(ArrivingBytes, ReadsWaitForTheFillingAndEndWhereItEnds) {
    QImage original(64, 48, QImage::Format_ARGB32);
    for (int y = 0; y < original.height(); ++y) {
        for (int x = 0; x < original.width(); ++x) original.setPixel(x, y, qRgba(x * 4, y * 5, (x * y) & 0xFF, 200));
    }
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(original.save(&out, "PNG"));
    const struct { const char* name; qsizetype filled; bool asImage; } rows[] = {
        {"an image decoded as it arrives", png.size(), true},
        {"every byte in order", png.size(), false},
        {"the filling ends early", png.size() / 2, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QByteArray target(png.size(), '\0');
        char* raw = target.data();
        ArrivingBytes device(raw, target.size());
        std::jthread filling([&] {
            for (qsizetype at = 0; at < row.filled; at += 97) {
                const qsizetype n = std::min<qsizetype>(97, row.filled - at);
                std::memcpy(raw + at, png.constData() + at, static_cast<std::size_t>(n));
                device.Publish(at + n);
                std::this_thread::yield();
            }
            device.Finish();
        });
        if (row.asImage) {
            const QImage image = QImageReader(&device, "png").read();
            EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32), original);
        } else {
            EXPECT_EQ(device.readAll(), png.left(row.filled));
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
