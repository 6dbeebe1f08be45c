#pragma once
// Where this user's settings for Tessarin live: $XDG_CONFIG_HOME/Tessarin
// (~/.config/Tessarin when it is unset or not absolute) on POSIX,
// %APPDATA%\Tessarin on Windows. Program text; "" when the system names no
// such place (no HOME, no APPDATA).
#include <string>

namespace tessarin {

std::string UserConfigFolder();

}  // namespace tessarin
