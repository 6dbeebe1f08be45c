#pragma once
// The main window's menu items and toolbar buttons, routed to their commands.
#include <string>

#include "core/Program.h"

namespace tessarin {

// Click of a menu item by name: nopen, nclose, nexit, nalle, nexport, nimport,
// nproperty, nabout. Unknown names do nothing.
void MenuClick(Program& program, const std::string& item);
// Click of toolbar button index (1-based); separators and unknown indices do nothing.
void ToolbarClick(Program& program, int index);

}  // namespace tessarin
