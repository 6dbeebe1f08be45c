// SafeFolder on POSIX: descriptors opened with O_DIRECTORY | O_NOFOLLOW and the
// *at calls relative to them.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/Native.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "core/platform/posix/StatStamp.h"

namespace tessarin {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

int OpenFolderAt(int parent, const char* name, int extra) {
    int fd;
    do {
        fd = ::openat(parent, name, kFolderFlags | extra);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Takes the lock of a file just created and checks that it still has its name;
// closes it and returns false otherwise (a clean-up holds it or removed it).
bool LockAndKeep(int fd) {
    int rc;
    while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    struct stat st {};
    if (rc == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0) return true;
    ::close(fd);
    return false;
}

// True when the file at name (a plain file; links and others are not asked)
// grants the running user no write permission, judged by its permission bits
// for everyone, the superuser included, who could otherwise write anything.
bool IsReadOnlyFile(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return false;
    const uid_t user = ::geteuid();
    if (user == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (user == st.st_uid) return (st.st_mode & S_IWUSR) == 0;
    bool inGroup = ::getegid() == st.st_gid;
    if (!inGroup) {
        const int count = ::getgroups(0, nullptr);
        std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
        const int got = count > 0 ? ::getgroups(count, groups.data()) : 0;
        for (int i = 0; i < got && !inGroup; ++i) inGroup = groups[static_cast<std::size_t>(i)] == st.st_gid;
    }
    return (st.st_mode & (inGroup ? S_IWGRP : S_IWOTH)) == 0;
}

void CloseHandle(SafeFolder::Handle& handle) {
    if (handle != SafeFolder::kNoHandle) {
        ::close(static_cast<int>(handle));
        handle = SafeFolder::kNoHandle;
    }
}

}  // namespace

SafeFolder::~SafeFolder() { CloseHandle(handle_); }

SafeFolder::SafeFolder(SafeFolder&& other) noexcept : handle_(other.handle_) { other.handle_ = kNoHandle; }

SafeFolder& SafeFolder::operator=(SafeFolder&& other) noexcept {
    if (this != &other) {
        CloseHandle(handle_);
        handle_ = other.handle_;
        other.handle_ = kNoHandle;
    }
    return *this;
}

SafeFolder SafeFolder::Open(const std::string& path) {
    faults::Check(faults::Op::Open);
    const std::string native = TextToNative(path);
    const int fd = OpenFolderAt(AT_FDCWD, native.empty() ? "." : native.c_str(), 0);
    if (fd < 0) {
        throw VbError(errno == ENOTDIR ? vberr::PathFileAccess : VbErrorFromErrnoForPath(errno, native));
    }
    return SafeFolder(fd);
}

SafeFolder SafeFolder::OpenOrCreateChild(const std::string& name, bool* isLink) const {
    if (isLink != nullptr) *isLink = false;
    const std::string native = TextToNative(name);
    const int parent = static_cast<int>(handle_);
    // Opening first costs one call for the common case of a folder already there.
    int fd = OpenFolderAt(parent, native.c_str(), O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        if (::mkdirat(parent, native.c_str(), 0777) != 0 && errno != EEXIST) {
            throw VbError(VbErrorFromErrno(errno));
        }
        fd = OpenFolderAt(parent, native.c_str(), O_NOFOLLOW);
    }
    if (fd >= 0) return SafeFolder(fd);
    const int err = errno;
    struct stat st {};
    if (::fstatat(parent, native.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode) && isLink != nullptr) *isLink = true;
        throw VbError(vberr::PathFileAccess);  // a link or a file in the way
    }
    throw VbError(err == ELOOP || err == ENOTDIR ? vberr::PathFileAccess : VbErrorFromErrno(err));
}

SafeFolder SafeFolder::CreateNewChild(const std::string& name) const {
    faults::Check(faults::Op::Open);
    const std::string native = TextToNative(name);
    const int parent = static_cast<int>(handle_);
    if (::mkdirat(parent, native.c_str(), 0777) != 0) throw VbError(VbErrorFromErrno(errno));
    const int fd = OpenFolderAt(parent, native.c_str(), O_NOFOLLOW);
    if (fd < 0) throw VbError(errno == ELOOP || errno == ENOTDIR ? vberr::PathFileAccess : VbErrorFromErrno(errno));
    return SafeFolder(fd);
}

void SafeFolder::RenameChild(const std::string& from, const std::string& to) const {
    faults::Check(faults::Op::Rename);
    const std::string source = TextToNative(from), target = TextToNative(to);
    const int folder = static_cast<int>(handle_);
    struct stat st {};
    // A folder may only replace an empty folder, which the rename itself
    // checks; anything else at to (a file, a link) is refused here.
    if (::fstatat(folder, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
        throw VbError(vberr::FileAlreadyExists);
    if (::renameat(folder, source.c_str(), folder, target.c_str()) != 0) {
        const int err = errno;
        throw VbError(err == ENOTEMPTY || err == EEXIST || err == ENOTDIR ? vberr::FileAlreadyExists
                                                                         : VbErrorFromErrno(err));
    }
}

FolderFile SafeFolder::CreateNewFile(const std::string& name) const {
    faults::Check(faults::Op::Open);
    std::string native = TextToNative(name);
    int fd;
    do {
        fd = ::openat(static_cast<int>(handle_), native.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw VbError(VbErrorFromErrno(errno));
    FolderFile file;
    file.folder_ = handle_;
    file.handle_ = fd;
    file.tempName_ = std::move(native);
    file.inPlace_ = true;
    return file;
}

FolderFile SafeFolder::CreateTemporaryFor(const std::string& name) const {
    faults::Check(faults::Op::Open);
    const std::string native = TextToNative(name);
    for (int n = 1;; ++n) {
        std::string temp = TemporaryName(native, native::CurrentProcessId(), n);
        int fd;
        do {
            fd = ::openat(static_cast<int>(handle_), temp.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) {
            if (errno == EEXIST && n < 1000) continue;
            throw VbError(VbErrorFromErrno(errno));
        }
        // Locked while it is written, so a clean-up can tell it from a stale one.
        // Between the creation and the lock a clean-up of another run may have
        // taken it for stale: then it is given up for the next name.
        if (!LockAndKeep(fd) && n < 1000) continue;
        FolderFile file;
        file.folder_ = handle_;
        file.handle_ = fd;
        file.tempName_ = std::move(temp);
        return file;
    }
}

void FolderFile::Write(const void* bytes, std::size_t n) {
    faults::Check(faults::Op::Write);
    const auto* p = static_cast<const char*>(bytes);
    while (n > 0) {
        const ssize_t done = ::write(static_cast<int>(handle_), p, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            throw VbError(errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? vberr::DiskFull
                                                                                : VbErrorFromErrno(errno));
        }
        if (done == 0) throw VbError(vberr::DiskFull);
        p += done;
        n -= static_cast<std::size_t>(done);
    }
}

void FolderFile::Commit(const std::string& name, bool syncFirst) {
    try {
        const std::string native = TextToNative(name);
        if (inPlace_ && native == tempName_) {
            CloseCommitted();
            return;
        }
        const int folder = static_cast<int>(folder_);
        faults::Check(faults::Op::Rename);
#ifdef RENAME_NOREPLACE
        // The common case, nothing in the way, takes one call; whatever is there
        // (or a file system without the flag) goes the careful way below.
        if (::renameat2(folder, tempName_.c_str(), folder, native.c_str(), RENAME_NOREPLACE) == 0) {
            CloseCommitted();
            return;
        }
#endif
        struct stat existing {};
        if (::fstatat(folder, native.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(existing.st_mode)) {
            // A file the user made read only is not replaced, even where the
            // folder would allow the rename.
            if (IsReadOnlyFile(existing)) throw VbError(vberr::PermissionDenied);
            // The file that is replaced is lost with the rename: the new one is
            // on the disk before, so a crash leaves one of the two whole.
            if (syncFirst) {
                faults::Check(faults::Op::Sync);
                int rc;
                while ((rc = ::fsync(static_cast<int>(handle_))) != 0 && errno == EINTR) {
                }
                if (rc != 0 && errno != EINVAL && errno != EROFS) throw VbError(VbErrorFromErrno(errno));
            }
        }
        if (::renameat(folder, tempName_.c_str(), folder, native.c_str()) != 0) {
            const int err = errno;
            throw VbError(err == EISDIR || err == ENOTEMPTY || err == EEXIST ? vberr::PathFileAccess
                                                                             : VbErrorFromErrno(err));
        }
    } catch (...) {
        Discard();
        throw;
    }
    CloseCommitted();
}

void FolderFile::CloseCommitted() {
    // The stamp after the rename, which changes the file's change time.
    struct stat st {};
    if (::fstat(static_cast<int>(handle_), &st) == 0) stamp_ = StampOfStat(st);
    ::close(static_cast<int>(handle_));  // drops the lock once the file has its name
    handle_ = SafeFolder::kNoHandle;
}

void FolderFile::Discard() {
    if (handle_ == SafeFolder::kNoHandle) return;
    ::unlinkat(static_cast<int>(folder_), tempName_.c_str(), 0);
    ::close(static_cast<int>(handle_));
    handle_ = SafeFolder::kNoHandle;
}

}  // namespace tessarin
