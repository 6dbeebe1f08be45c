#include "ui/Icons.h"

#include <QPainter>
#ifdef TESSARIN_PICTURES_AS_PNG
#include <QString>
#else
#include <QSvgRenderer>
#endif

namespace tessarin {

QPixmap RenderPicture(const QString& resource, int size) {
#ifdef TESSARIN_PICTURES_AS_PNG
    // Built without Qt's SVG module (Windows): the pictures were rendered to
    // NAME-SIZE.png at build time.
    QString png = resource;
    png.replace(QStringLiteral(".svg"), QStringLiteral("-%1.png").arg(size));
    const QPixmap rendered(png);
    if (!rendered.isNull()) return rendered;
#endif
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
#ifndef TESSARIN_PICTURES_AS_PNG
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
#endif
    return pixmap;
}

namespace {

QIcon IconAt(const QString& resource, std::initializer_list<int> sizes) {
    QIcon icon;
    for (int size : sizes) icon.addPixmap(RenderPicture(resource, size));
    return icon;
}

std::vector<QIcon> Icons(std::initializer_list<const char*> names) {
    std::vector<QIcon> icons;
    // 32 pixels too, for screens with two device pixels per pixel.
    for (const char* name : names) icons.push_back(IconAt(QStringLiteral(":/icons/%1.svg").arg(name), {16, 32}));
    return icons;
}

}  // namespace

QIcon WindowIcon() { return IconAt(":/icons/tessarin.svg", {16, 32, 48}); }

std::vector<QIcon> ToolbarImages() {
    return Icons({"open", "close", "exportall", "export", "replace", "properties"});
}

std::vector<QIcon> TreeImages() {
    return Icons({"tree_archive", "tree_window", "tree_window_red", "tree_window_grey", "page_blank", "page_red",
                  "page_picture", "page_wave"});
}

}  // namespace tessarin
