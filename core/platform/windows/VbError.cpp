// Windows error codes mapped to the same classic error numbers as errno values on POSIX.
#include "core/platform/VbError.h"

#include <windows.h>

#include "core/platform/windows/Wide.h"

namespace tessarin {

int VbErrorFromWin32(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return vberr::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY: return vberr::PathNotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return vberr::FileAlreadyExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED: return vberr::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case 1295:  // ERROR_DISK_QUOTA_EXCEEDED, missing from some headers
    case ERROR_FILE_TOO_LARGE: return vberr::DiskFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_NOT_READY: return vberr::DeviceIO;
    case ERROR_TOO_MANY_OPEN_FILES: return vberr::TooManyFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return vberr::OutOfMemory;
    case ERROR_HANDLE_EOF: return vberr::InputPastEnd;
    default: return vberr::PathFileAccess;  // invalid name, write-protected, a folder, ...
    }
}

int VbErrorFromWin32ForPath(unsigned long code, const std::string& path) {
    if (code == ERROR_ACCESS_DENIED) {
        // Opening, replacing or deleting a folder as a file is refused as access denied.
        const DWORD attributes = ::GetFileAttributesW(win::Wide(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return vberr::PathFileAccess;
        }
    }
    return VbErrorFromWin32(code);
}

}  // namespace tessarin
