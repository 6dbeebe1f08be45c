// Windows: MoveFileExW without MOVEFILE_REPLACE_EXISTING fails on an existing
// name; write-through returns once the rename is on the disk.
#include "core/platform/PlaceNewFile.h"

#include <windows.h>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

void PlaceNewFile(const std::string& from, const std::string& to) {
    faults::Check(faults::Op::Rename);
    if (!::MoveFileExW(win::Wide(from).c_str(), win::Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) throw VbError(vberr::FileAlreadyExists);
        throw VbError(VbErrorFromWin32ForPath(error, to));
    }
}

}  // namespace tessarin
