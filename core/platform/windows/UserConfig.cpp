#include "core/platform/UserConfig.h"

#include <cstdlib>

#include "core/platform/windows/Wide.h"

namespace tessarin {

std::string UserConfigFolder() {
    const wchar_t* appData = ::_wgetenv(L"APPDATA");
    if (appData == nullptr || appData[0] == L'\0') return "";
    return win::FromWide(std::wstring(appData)) + "\\Tessarin";
}

}  // namespace tessarin
