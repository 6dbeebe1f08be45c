// POSIX files: open(2), flock(2), pread/pwrite and fsync.
#include "core/platform/BinaryFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"

namespace tessarin {
namespace {

constexpr int kBadFileMode = 54;

// Closes a descriptor unless it is handed over.
struct FdGuard {
    int fd;
    ~FdGuard() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int Release() {
        const int f = fd;
        fd = -1;
        return f;
    }
};

int Fd(BinaryFile::NativeHandle handle) { return static_cast<int>(handle); }

[[noreturn]] void ThrowErrno(int err) { throw VbError(VbErrorFromErrno(err)); }

// A lock another open holds is told apart from a refused permission.
[[noreturn]] void ThrowLockFailure(int err) {
    if (err == EWOULDBLOCK || err == EAGAIN) throw VbError::InUse();
    ThrowErrno(err);
}

}  // namespace

BinaryFile BinaryFile::Open(const std::string& path, OpenMode mode, unsigned newPermissions) {
    faults::Check(faults::Op::Open);
    const std::string native = TextToNative(path);

    // O_NONBLOCK only so that opening a named pipe cannot hang; it is cleared below.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    switch (mode) {
    case OpenMode::ReadWriteLocked: flags |= O_RDWR; break;
    case OpenMode::ReadLocked:
    case OpenMode::ReadShared: flags |= O_RDONLY; break;
    // No O_TRUNC here: the old contents may only go once the lock is ours.
    case OpenMode::CreateLocked: flags |= O_RDWR | O_CREAT; break;
    // O_EXCL also refuses a link in the way, so nothing is written through one.
    case OpenMode::CreateNewLocked: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    int fd;
    do {
        fd = ::open(native.c_str(), flags, static_cast<mode_t>(newPermissions & 07777));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw VbError(VbErrorFromErrnoForPath(errno, native));
    }
    FdGuard guard{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ThrowErrno(errno);
    }
    if (S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
        throw VbError(vberr::PathFileAccess);
    }
    // Archives and replacement sources are read whole by their length: a
    // device (a terminal, /dev/zero) has none and could block or never end.
    if ((mode == OpenMode::ReadLocked || mode == OpenMode::ReadShared || mode == OpenMode::ReadWriteLocked) &&
        !S_ISREG(st.st_mode)) {
        throw VbError(vberr::PathFileAccess);
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0) {
        ThrowErrno(errno);
    }

    // flock locks belong to the open file description, so a second open of the
    // same file conflicts even inside this process.
    int rc;
    do {
        rc = ::flock(fd, (mode == OpenMode::ReadShared ? LOCK_SH : LOCK_EX) | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (mode == OpenMode::CreateNewLocked) {
        // The file is new: only a clean-up of stale temporaries can hold its lock
        // or have removed it already. The caller then takes another name.
        struct stat now {};
        if (rc != 0 || ::fstat(fd, &now) != 0 || now.st_nlink == 0) throw VbError(vberr::FileAlreadyExists);
    }
    if (rc != 0) {
        ThrowLockFailure(errno);  // EWOULDBLOCK: locked elsewhere -> 70
    }

    if (mode == OpenMode::CreateLocked && S_ISREG(st.st_mode)) {
        while (::ftruncate(fd, 0) != 0) {
            if (errno != EINTR) {
                ThrowErrno(errno);
            }
        }
    }

    BinaryFile file;
    file.handle_ = guard.Release();
    file.mode_ = mode;
    file.path_ = path;
    return file;
}

std::int64_t BinaryFile::Length() const {
    if (handle_ == kNoHandle) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    struct stat st {};
    if (::fstat(Fd(handle_), &st) != 0) {
        ThrowErrno(errno);
    }
    return static_cast<std::int64_t>(st.st_size);
}

std::size_t BinaryFile::ReadSome(void* buffer, std::size_t n) {
    const std::size_t done = ReadSomeAt(pos_, buffer, n);
    pos_ += static_cast<std::int64_t>(done);
    return done;
}

std::size_t BinaryFile::ReadSomeAt(std::int64_t pos, void* buffer, std::size_t n) const {
    const int fd = Fd(handle_);
    if (fd < 0) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (pos > std::numeric_limits<off_t>::max() - static_cast<std::int64_t>(n - done)) {
            break;  // nothing can lie beyond the largest offset
        }
        const ssize_t r = ::pread(fd, out + done, n - done, static_cast<off_t>(pos));
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno(errno);
        }
        if (r == 0) {
            break;
        }
        done += static_cast<std::size_t>(r);
        pos += r;
    }
    return done;
}

void BinaryFile::Write(const void* buffer, std::size_t n) {
    faults::Check(faults::Op::Write);
    if (handle_ == kNoHandle) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pwrite(Fd(handle_), in + done, n - done, static_cast<off_t>(pos_));
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw VbError(errno == EBADF ? kBadFileMode : VbErrorFromErrno(errno));
        }
        if (r == 0) {
            throw VbError(vberr::DeviceIO);  // no progress: never loop forever
        }
        done += static_cast<std::size_t>(r);
        pos_ += r;
    }
}

void BinaryFile::Sync() {
    faults::Check(faults::Op::Sync);
    if (handle_ == kNoHandle) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    while (::fsync(Fd(handle_)) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EINVAL || errno == EROFS) {
            return;  // a device that has nothing to flush
        }
        ThrowErrno(errno);
    }
}

void BinaryFile::Close() {
    if (handle_ != kNoHandle) {
        ::close(Fd(handle_));  // also releases the lock
        handle_ = kNoHandle;
    }
    pos_ = 0;
}

}  // namespace tessarin
