// POSIX: renameat2 with RENAME_NOREPLACE; where the file system does not offer
// it, a hard link (which fails on an existing name) and the removal of the old name.
#include "core/platform/PlaceNewFile.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace tessarin {

namespace {

int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != ENOSYS && errno != EINVAL && errno != ENOTSUP) return errno;
#endif
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

void PlaceNewFile(const std::string& from, const std::string& to) {
    faults::Check(faults::Op::Rename);
    const std::string nativeFrom = TextToNative(from);
    const std::string nativeTo = TextToNative(to);
    if (const int err = RenameNoReplace(nativeFrom, nativeTo); err != 0)
        throw VbError(err == EEXIST ? vberr::FileAlreadyExists : VbErrorFromErrnoForPath(err, nativeTo));
    const std::string parent = ParentFolder(nativeTo);
    const int fd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the file is in place; a folder that cannot be opened cannot be synced
    int rc;
    while ((rc = ::fsync(fd)) != 0 && errno == EINTR) {
    }
    const int err = errno;
    ::close(fd);
    if (rc != 0 && err != EINVAL && err != EROFS) throw VbError(VbErrorFromErrno(err));
}

}  // namespace tessarin
