#include "core/platform/UserConfig.h"

#include <cstdlib>

#include "core/platform/Cp936.h"

namespace tessarin {

std::string UserConfigFolder() {
    // A relative XDG_CONFIG_HOME is ignored, as desktops ignore it: it would name a folder below wherever the program runs.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return NativeToText(config) + "/Tessarin";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return "";
    return NativeToText(home) + "/.config/Tessarin";
}

}  // namespace tessarin
