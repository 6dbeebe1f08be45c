// errno values mapped to classic error numbers.
#include "core/platform/VbError.h"

#include <sys/stat.h>

#include <cerrno>

namespace tessarin {

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
