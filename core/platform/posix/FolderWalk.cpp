#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/VbError.h"
#include "core/platform/posix/StatStamp.h"

namespace tessarin {

namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

int OpenDirAt(int parent, const char* name) {
    int fd;
    do {
        fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Names the folder (prefix, "" for the chosen one) that failed to be read.
[[noreturn]] void ThrowUnreadable(const std::string& prefix, int err) {
    if (prefix.empty()) throw VbError(VbErrorFromErrno(err));
    throw UnreadableFolder{prefix.substr(0, prefix.size() - 1), VbError(VbErrorFromErrno(err))};
}

void Walk(int dirFd, const std::string& prefix, int depthLeft, FolderListing& out) {
    const int own = ::dup(dirFd);
    if (own < 0) ThrowUnreadable(prefix, errno);
    DIR* dir = ::fdopendir(own);
    if (dir == nullptr) {
        const int err = errno;
        ::close(own);
        ThrowUnreadable(prefix, err);
    }
    struct Closer {
        DIR* d;
        ~Closer() { ::closedir(d); }
    } closer{dir};
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(dir);
        if (item == nullptr) {
            if (errno != 0) ThrowUnreadable(prefix, errno);
            break;
        }
        const char* name = item->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        const std::string relative = prefix + NativeToText(name);
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int err = errno;
            if (err == ENOENT) continue;  // gone since it was listed
            ThrowUnreadable(relative + "/", err);
        }
        if (S_ISREG(st.st_mode)) {
            out.files.push_back(relative);
            out.stamps.push_back(StampOfStat(st));
        } else if (S_ISDIR(st.st_mode) && depthLeft > 0) {
            Fd sub{OpenDirAt(dirFd, name)};
            if (sub.fd < 0) {
                // Replaced by a link or a file since it was listed: not entered.
                const int err = errno;
                if (err == ELOOP || err == ENOTDIR) {
                    out.skipped.push_back(relative);
                    continue;
                }
                if (err == ENOENT) continue;
                ThrowUnreadable(relative + "/", err);  // its files would be missed silently
            }
            Walk(sub.fd, relative + "/", depthLeft - 1, out);
        } else if (S_ISDIR(st.st_mode)) {
            out.tooDeep.push_back(relative);
        } else {
            out.skipped.push_back(relative);
        }
    }
}

}  // namespace

FolderListing ListFilesBelow(const std::string& folder, int maxDepth) {
    FolderListing out;
    Fd root{::open(TextToNative(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (root.fd < 0) throw VbError(VbErrorFromErrnoForPath(errno, TextToNative(folder)));
    Walk(root.fd, "", maxDepth, out);
    return out;
}

namespace {

// Opens the folder at the native "/"-joined dir below folder ("" for folder
// itself), following no link on the way (a link gives VbError 75).
int OpenFolderBelow(const std::string& folder, const std::string& dir) {
    Fd current{::open(TextToNative(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (current.fd < 0) throw VbError(VbErrorFromErrnoForPath(errno, TextToNative(folder)));
    for (std::size_t start = 0; start < dir.size();) {
        const std::size_t slash = std::min(dir.find('/', start), dir.size());
        const std::string part = dir.substr(start, slash - start);
        if (part.empty() || part == "." || part == "..") throw VbError(vberr::PathFileAccess);
        Fd next{OpenDirAt(current.fd, part.c_str())};
        if (next.fd < 0) throw VbError(errno == ELOOP || errno == ENOTDIR ? vberr::PathFileAccess : VbErrorFromErrno(errno));
        std::swap(current.fd, next.fd);
        start = slash + 1;
    }
    const int fd = current.fd;
    current.fd = -1;
    return fd;
}

// Opens the plain file name in the folder dirFd, read only with a shared lock;
// size receives its length. Anything else than a plain file gives VbError 75.
BinaryFile OpenPlainFileAt(int dirFd, const std::string& name, const std::string& path, std::int64_t& size) {
    faults::Check(faults::Op::Open);
    if (name.empty() || name == "." || name == "..") throw VbError(vberr::PathFileAccess);
    int fd;
    do {
        // Not blocking on a FIFO put there since the listing.
        fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw VbError(errno == ELOOP ? vberr::PathFileAccess : VbErrorFromErrno(errno));
    Fd file{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) throw VbError(vberr::PathFileAccess);
    // O_NONBLOCK changes nothing for a plain file's reads, so it may stay set.
    int rc;
    do {
        rc = ::flock(fd, LOCK_SH | LOCK_NB);  // only read: other readers share it
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) throw VbError(VbErrorFromErrno(errno));
    file.fd = -1;
    size = st.st_size;
    return BinaryFile::FromHandle(fd, path, OpenMode::ReadShared);
}

}  // namespace

BinaryFile OpenFileBelow(const std::string& folder, const std::string& relative) {
    const std::string native = TextToNative(relative);
    const std::size_t slash = native.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : native.substr(0, slash);
    if (slash != std::string::npos && dir.empty()) throw VbError(vberr::PathFileAccess);
    Fd folderFd{OpenFolderBelow(folder, dir)};
    std::int64_t size = 0;
    return OpenPlainFileAt(folderFd.fd, native.substr(slash + 1), folder + "/" + relative, size);
}

FilesBelow::FilesBelow(std::string folder) : folder_(std::move(folder)) {}

FilesBelow::~FilesBelow() {
    if (held_ >= 0) ::close(static_cast<int>(held_));
}

BinaryFile FilesBelow::Open(const std::string& relative, std::int64_t& size) {
    const std::string native = TextToNative(relative);
    const std::size_t slash = native.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : native.substr(0, slash);
    if (slash != std::string::npos && dir.empty()) throw VbError(vberr::PathFileAccess);
    if (held_ < 0 || dir != heldFolder_) {
        if (held_ >= 0) ::close(static_cast<int>(held_));
        held_ = -1;
        held_ = OpenFolderBelow(folder_, dir);
        heldFolder_ = dir;
    }
    return OpenPlainFileAt(static_cast<int>(held_), native.substr(slash + 1), folder_ + "/" + relative, size);
}

}  // namespace tessarin
