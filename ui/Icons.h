#pragma once
// The program's pictures, drawn as SVG for this project and rendered to
// pixmaps at the sizes the window needs.
#include <QIcon>
#include <QPixmap>
#include <vector>

namespace tessarin {

QIcon WindowIcon();                      // 16, 32 and 48 pixels
std::vector<QIcon> ToolbarImages();      // imlToolbarIcons: six 16x16 images
std::vector<QIcon> TreeImages();         // imlTreeViewIcons: eight 16x16 images
QPixmap RenderPicture(const QString& resource, int size);  // e.g. ":/icons/tessarin.svg"

}  // namespace tessarin
