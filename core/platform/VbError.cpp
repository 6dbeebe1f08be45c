#include "core/platform/VbError.h"

#include <sys/stat.h>

#include <cerrno>

namespace tessarin {

std::string VbErrorDescription(int number) {
    switch (number) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 63: return "Bad record number";
    case 67: return "Too many files";
    case 70: return "Permission denied";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    default: return "Application-defined or object-defined error";
    }
}

VbError::VbError(int number) : VbError(number, VbErrorDescription(number)) {}

VbError::VbError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

int VbErrorFromErrno(int err) {
    // EWOULDBLOCK may equal EAGAIN, so it cannot share a switch with it.
    if (err == EWOULDBLOCK || err == EAGAIN) {
        return vberr::PermissionDenied;
    }
    switch (err) {
    case ENOENT: return vberr::FileNotFound;
    case EEXIST: return vberr::FileAlreadyExists;
    case ENOTDIR: return vberr::PathNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case ETXTBSY: return vberr::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return vberr::DiskFull;
    case EIO: return vberr::DeviceIO;
    case EMFILE:
    case ENFILE: return vberr::TooManyFiles;
    case ENOMEM: return vberr::OutOfMemory;
    default: return vberr::PathFileAccess;  // EISDIR, EROFS, ENAMETOOLONG, ELOOP, EINVAL, ...
    }
}

int VbErrorFromErrnoForPath(int err, const std::string& nativePath) {
    if (err != ENOENT) {
        return VbErrorFromErrno(err);
    }
    std::string folder = nativePath;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();  // "a/b/" names the folder b, whose parent is a
    }
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return vberr::FileNotFound;  // the current folder exists
    }
    folder.resize(slash == 0 ? 1 : slash);
    struct stat st {};
    const bool folderThere = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return folderThere ? vberr::FileNotFound : vberr::PathNotFound;
}

}  // namespace tessarin
