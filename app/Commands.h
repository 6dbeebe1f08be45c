#pragma once
// The main window's menu items and toolbar buttons, routed to their commands.
#include <functional>
#include <string>

#include "state/Program.h"

namespace tessarin {

// Runs one command to its end. A failure the command did not handle itself is
// shown as an unknown error instead of escaping into the window's event loop.
void RunCommand(Program& program, const std::function<void()>& command);

// Click of a menu item by name: nopen, nclose, nexit, nalle, nexport, nimport,
// nproperty, nabout. Unknown names do nothing.
void MenuClick(Program& program, const std::string& item);
// Click of toolbar button index (1-based); separators and unknown indices do nothing.
void ToolbarClick(Program& program, int index);

}  // namespace tessarin
