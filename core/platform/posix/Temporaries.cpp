// Removing stale temporaries on POSIX: the folder is read through a descriptor,
// each candidate is opened without following links and removed only while this
// run holds its flock and the name still names the file locked.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/Temporaries.h"

namespace tessarin {

namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes name from the folder when it is a plain file that nobody holds locked.
bool RemoveIfStale(int folder, const char* name) {
    struct stat named {};
    if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) return false;
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    bool removed = false;
    struct stat opened {};
    // A writer holds its temporary locked from creation until it has renamed or
    // removed it, so a lock this run can take means the writer is gone; the name
    // is checked again under the lock, in case it was just renamed away.
    if (::fstat(fd, &opened) == 0 && SameFile(opened, named) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(opened, named)) {
        removed = ::unlinkat(folder, name, 0) == 0;
    }
    ::close(fd);
    return removed;
}

// Every stale temporary of name (of any name when empty) in the folder open as fd.
std::size_t RemoveStaleIn(int fd, std::string_view name) {
    const int listing = ::dup(fd);
    if (listing < 0) return 0;
    DIR* dir = ::fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return 0;
    }
    ::rewinddir(dir);
    std::size_t removed = 0;
    while (const dirent* item = ::readdir(dir)) {
        if (IsTemporaryName(item->d_name, name) && RemoveIfStale(fd, item->d_name)) ++removed;
    }
    ::closedir(dir);
    return removed;
}

}  // namespace

std::size_t RemoveStaleTemporariesBeside(const std::string& path) {
    const std::string native = TextToNative(path);
    const std::size_t slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (name.empty()) return 0;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    const std::size_t removed = RemoveStaleIn(fd, name);
    ::close(fd);
    return removed;
}

std::size_t RemoveStaleTemporariesIn(const SafeFolder& folder) {
    return folder.IsOpen() ? RemoveStaleIn(static_cast<int>(folder.NativeHandle()), {}) : 0;
}

}  // namespace tessarin
