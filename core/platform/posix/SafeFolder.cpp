// SafeFolder on POSIX: descriptors opened with O_DIRECTORY | O_NOFOLLOW and the
// *at calls relative to them.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/VbError.h"

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

FolderFile SafeFolder::CreateTemporaryFor(const std::string& name) const {
    faults::Check(faults::Op::Open);
    static const std::string pid = std::to_string(::getpid());
    const std::string prefix = "." + TextToNative(name) + ".tessarin-" + pid + "-";
    for (int n = 1;; ++n) {
        std::string temp = prefix + std::to_string(n) + ".tmp";
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
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EINTR) {
        }
        FolderFile file;
        file.folder_ = handle_;
        file.handle_ = fd;
        file.tempName_ = std::move(temp);
        return file;
    }
}

FolderFile::~FolderFile() { Discard(); }

FolderFile::FolderFile(FolderFile&& other) noexcept
    : folder_(other.folder_), handle_(other.handle_), tempName_(std::move(other.tempName_)) {
    other.handle_ = SafeFolder::kNoHandle;
}

FolderFile& FolderFile::operator=(FolderFile&& other) noexcept {
    if (this != &other) {
        Discard();
        folder_ = other.folder_;
        handle_ = other.handle_;
        tempName_ = std::move(other.tempName_);
        other.handle_ = SafeFolder::kNoHandle;
    }
    return *this;
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

void FolderFile::CommitAs(const std::string& name) {
    try {
        faults::Check(faults::Op::Rename);
        const std::string native = TextToNative(name);
        const int folder = static_cast<int>(folder_);
        if (::renameat(folder, tempName_.c_str(), folder, native.c_str()) != 0) {
            const int err = errno;
            throw VbError(err == EISDIR || err == ENOTEMPTY || err == EEXIST ? vberr::PathFileAccess
                                                                             : VbErrorFromErrno(err));
        }
    } catch (...) {
        Discard();
        throw;
    }
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
