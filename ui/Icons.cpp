#include "ui/Icons.h"

#include <QPainter>
#include <QSvgRenderer>

namespace tessarin {

QPixmap RenderPicture(const QString& resource, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
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
