#include "core/platform/FileStamp.h"
#include "core/platform/posix/StatStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/Cp936.h"

namespace tessarin {

namespace {

constexpr std::int64_t kNanos = 1000000000;

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

FileStamp StampOfStat(const struct stat& st) {
    FileStamp stamp;
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNanos + st.st_mtim.tv_nsec;
    stamp.changed = static_cast<std::int64_t>(st.st_ctim.tv_sec) * kNanos + st.st_ctim.tv_nsec;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.index = static_cast<std::uint64_t>(st.st_ino);
    return stamp;
}

std::optional<FileStamp> StampOfOpenFile(const BinaryFile& file) {
    struct stat st {};
    if (!file.IsOpen() || ::fstat(static_cast<int>(file.Handle()), &st) != 0) return std::nullopt;
    return StampOfStat(st);
}

std::optional<FileStamp> StampOfFileBelow(const std::string& folder, const std::string& relative) {
    Fd current{::open(TextToNative(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (current.fd < 0) return std::nullopt;
    const std::string native = TextToNative(relative);
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = native.find('/', start);
        const std::string part = native.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == "..") return std::nullopt;
        if (slash == std::string::npos) {
            struct stat st {};
            if (::fstatat(current.fd, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                return std::nullopt;
            return StampOfStat(st);
        }
        Fd next;
        do {
            next.fd = ::openat(current.fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        } while (next.fd < 0 && errno == EINTR);
        if (next.fd < 0) return std::nullopt;
        std::swap(current.fd, next.fd);
        start = slash + 1;
    }
}

}  // namespace tessarin
