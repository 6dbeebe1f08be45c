#include "core/platform/UserConfig.h"

#include <cstdlib>

#include "core/platform/Cp936.h"

namespace tessarin {

std::string UserConfigFolder() {
    // The base directory specification: a relative XDG_CONFIG_HOME is ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return NativeToText(config) + "/Tessarin";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return "";
    return NativeToText(home) + "/.config/Tessarin";
}

}  // namespace tessarin
