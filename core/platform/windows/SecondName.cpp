// Hard links on Windows (NTFS); FAT and network shares without them copy instead.
#include <windows.h>

#include <string>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

bool LinkFile(const std::string& existing, const std::string& newName) {
    faults::Check(faults::Op::Open);
    if (::CreateHardLinkW(win::Wide(newName).c_str(), win::Wide(existing).c_str(), nullptr)) return true;
    const DWORD err = ::GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) throw VbError(vberr::FileAlreadyExists);
    return false;
}

}  // namespace tessarin
