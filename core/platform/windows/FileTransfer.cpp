// Copies through a buffer of at most 1 MiB; scratch files deleted by the system
// when their handle closes (also when the program is killed).
#include "core/platform/FileTransfer.h"
#include "core/platform/Native.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Folders.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace native {

void CopyFileData(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out) {
    CopyThroughBuffer(from, offset, length, out);
}

}  // namespace native

BinaryFile CreateScratchFileBeside(const std::string& path) {
    faults::Check(faults::Op::Open);
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !IsNativeSeparator(path[nameStart - 1])) --nameStart;
    const std::string prefix = path.substr(0, nameStart) + "." + path.substr(nameStart) + ".tessarin-" +
                               std::to_string(::GetCurrentProcessId()) + "-scratch-";
    for (int n = 1;; ++n) {
        const std::string scratch = prefix + std::to_string(n) + ".tmp";
        // Shared with nobody and deleted on close: no other program opens it,
        // and nothing is left of it however the run ends.
        const HANDLE h = ::CreateFileW(win::Wide(scratch).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                       CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                       nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && n < 1000) continue;
            throw VbError(VbErrorFromWin32ForPath(error, scratch));
        }
        win::LockInUse(h);
        return BinaryFile::FromHandle(reinterpret_cast<BinaryFile::NativeHandle>(h), scratch);
    }
}

}  // namespace tessarin
