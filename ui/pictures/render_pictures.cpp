// render_pictures OUT_FOLDER SIZES PICTURE.svg...: writes OUT_FOLDER/NAME-SIZE.png
// for every picture and size (SIZES like 16,32,48).
// render_pictures --icon OUT.ico SIZES PICTURE.svg: one Windows icon holding the
// picture at every size, each as PNG (as Windows Vista and later read them).
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>
#include <QtEndian>
#include <cstdio>
#include <vector>

namespace {

QImage Render(const QString& svg, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void Put16(QByteArray& out, quint16 value) { out.append(reinterpret_cast<const char*>(&(value = qToLittleEndian(value))), 2); }
void Put32(QByteArray& out, quint32 value) { out.append(reinterpret_cast<const char*>(&(value = qToLittleEndian(value))), 4); }

// ICONDIR, one ICONDIRENTRY per image, then the PNG data.
QByteArray Icon(const QString& svg, const std::vector<int>& sizes) {
    std::vector<QByteArray> images;
    for (int size : sizes) images.push_back(Png(Render(svg, size)));
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = sizes[i];
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append(static_cast<char>(size >= 256 ? 0 : size));
        out.append(2, '\0');  // no palette, reserved
        Put16(out, 1);        // planes
        Put16(out, 32);       // bits per pixel
        Put32(out, static_cast<quint32>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& image : images) out += image;
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool icon = !args.isEmpty() && args.first() == "--icon";
    if (icon) args.removeFirst();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: render_pictures [--icon OUT.ico | OUT_FOLDER] SIZES PICTURE.svg...\n");
        return 2;
    }
    std::vector<int> sizes;
    for (const QString& size : args[1].split(',')) sizes.push_back(size.toInt());
    for (const QString& svg : args.mid(2)) {
        if (!QSvgRenderer(svg).isValid()) {
            std::fprintf(stderr, "render_pictures: %s is not a picture\n", qPrintable(svg));
            return 1;
        }
    }
    if (icon) {
        QFile out(args[0]);
        return out.open(QIODevice::WriteOnly) && out.write(Icon(args[2], sizes)) > 0 ? 0 : 1;
    }
    for (const QString& svg : args.mid(2))
        for (int size : sizes) {
            const QString name = QString("%1/%2-%3.png").arg(args[0], QFileInfo(svg).completeBaseName()).arg(size);
            if (!Render(svg, size).save(name, "PNG")) return 1;
        }
    return 0;
}
