// POSIX file-system operations: stat, flock probes, mkdir, rename and fsync.
#include "core/platform/FileSystem.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/Native.h"
#include "core/platform/VbError.h"

namespace tessarin {
namespace {

bool StatNative(const std::string& native, struct stat& st) { return ::stat(native.c_str(), &st) == 0; }

// True when some open file holds the lock BinaryFile takes, so the file is in use.
bool IsLockedElsewhere(const std::string& native) {
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0) {
        return false;  // unreadable or a link: the removal itself decides
    }
    struct stat st {};
    bool locked = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    ::close(fd);  // drops the probe's own lock, if it got one
    return locked;
}

}  // namespace

namespace native {

int RemoveFile(const std::string& path) {
    const std::string native = TextToNative(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) {
        return VbErrorFromErrnoForPath(errno, native);
    }
    // Only files and links are deleted: a folder, and above all a device such as
    // /dev/full that an export was pointed at, must survive a clean-up.
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        return vberr::PathFileAccess;
    }
    // A file another open holds locked is in use; removing it would pull it
    // from under its owner.
    if (S_ISREG(st.st_mode) && IsLockedElsewhere(native)) {
        return vberr::PermissionDenied;
    }
    if (::unlink(native.c_str()) != 0) {
        return errno == EISDIR ? vberr::PathFileAccess : VbErrorFromErrnoForPath(errno, native);
    }
    return 0;
}

unsigned PermissionsForReplacementOf(const std::string& path) {
    struct stat st {};
    if (::stat(TextToNative(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0600;
    return st.st_mode & 0777;  // no set-id bits before the owner is settled
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

}  // namespace native

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(TextToNative(path)); }

std::string PathText(const std::filesystem::path& path) { return NativeToText(path.native()); }

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            break;
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return NativeToText(ParentFolder(std::string(buffer.data(), static_cast<std::size_t>(n))));
        }
        buffer.resize(buffer.size() * 2);  // the target may have been cut short
    }
    std::vector<char> cwd(4096);
    while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE) {
            return ".";
        }
        cwd.resize(cwd.size() * 2);
    }
    return NativeToText(cwd.data());
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return StatNative(TextToNative(path), st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return StatNative(TextToNative(path), st) && S_ISDIR(st.st_mode);
}

void CreateDirectories(const std::string& path) {
    const std::string native = TextToNative(path);
    // Each prefix that ends just before a separator, then the whole path.
    for (std::size_t end = 1; end <= native.size(); ++end) {
        if (end < native.size() && native[end] != kNativeSeparator) {
            continue;
        }
        if (native[end - 1] == kNativeSeparator) {
            continue;  // a repeated or trailing separator
        }
        const std::string prefix = native.substr(0, end);
        if (::mkdir(prefix.c_str(), 0777) == 0) {
            continue;
        }
        const int err = errno;
        struct stat st {};
        if (StatNative(prefix, st)) {
            if (S_ISDIR(st.st_mode)) {
                continue;  // already there (or made by someone else meanwhile)
            }
            throw VbError(vberr::PathFileAccess);  // a file stands in the way
        }
        throw VbError(VbErrorFromErrnoForPath(err, prefix));
    }
}

void ReplaceFileAtomically(const std::string& from, const std::string& to, bool syncFolder) {
    faults::Check(faults::Op::Rename);
    const std::string nativeFrom = TextToNative(from);
    const std::string nativeTo = TextToNative(to);
    if (::rename(nativeFrom.c_str(), nativeTo.c_str()) != 0) {
        const int err = errno;
        // A missing source is 53/76 for the source; anything else concerns the target.
        struct stat st {};
        if (err == ENOENT && !StatNative(nativeFrom, st)) {
            throw VbError(VbErrorFromErrnoForPath(err, nativeFrom));
        }
        throw VbError(err == EISDIR ? vberr::PathFileAccess : VbErrorFromErrnoForPath(err, nativeTo));
    }
    if (!syncFolder) {
        return;
    }
    // The new name is durable only once its folder's entry is on disk.
    const std::string parent = ParentFolder(nativeTo);
    const char* folder = parent.empty() ? "." : parent.c_str();
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;  // the rename is done; a folder we cannot open cannot be synced
    }
    int rc;
    while ((rc = ::fsync(fd)) != 0 && errno == EINTR) {
    }
    const int err = errno;
    ::close(fd);
    if (rc != 0 && err != EINVAL && err != EROFS) {
        throw VbError(VbErrorFromErrno(err));
    }
}

void ReplaceOpenFile(const std::string& from, const std::string& to, BinaryFile& target) {
    // A rename replaces an open file too; the old one lives on, still locked,
    // until target is closed.
    ReplaceFileAtomically(from, to);
}

bool IsWritableFile(const std::string& path) {
    const std::string native = TextToNative(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0 || ::access(native.c_str(), W_OK) != 0) return false;
    // access() lets root write anything: a file without any write bit is read
    // only all the same.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(TextToNative(path).c_str(), resolved) == nullptr) {
        return path;
    }
    return NativeToText(resolved);
}

void CopyPermissions(const std::string& from, BinaryFile& to) {
    struct stat st {};
    if (::stat(TextToNative(from).c_str(), &st) != 0) return;
    const int fd = static_cast<int>(to.Handle());
    // Only root, or an owner giving the file to one of its own groups, may
    // change these; otherwise the new file stays the writer's (EPERM ignored).
    (void)::fchown(fd, st.st_uid, st.st_gid);
    // After the owner: a change of owner clears the set-id bits.
    ::fchmod(fd, st.st_mode & 07777);
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return args;
}

void PreparePlatform() { ::signal(SIGXFSZ, SIG_IGN); }

void UseBinaryStandardStreams() {}

const char* NativeNameRefusal(std::string_view component) { return CommonNameRefusal(component); }

std::string FileNameCaseKey(std::string_view name) { return std::string(name); }

}  // namespace tessarin
