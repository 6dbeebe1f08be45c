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
constexpr int kFileAlreadyOpen = 55;

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

[[noreturn]] void ThrowErrno(int err) { throw VbError(VbErrorFromErrno(err)); }

}  // namespace

BinaryFile::~BinaryFile() { Close(); }

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : fd_(other.fd_), pos_(other.pos_), path_(std::move(other.path_)) {
    other.fd_ = -1;
    other.pos_ = 0;
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        pos_ = other.pos_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
        other.pos_ = 0;
    }
    return *this;
}

BinaryFile BinaryFile::Open(const std::string& path, OpenMode mode) {
    faults::Check(faults::Op::Open);
    const std::string native = TextToNative(path);

    // O_NONBLOCK only so that opening a named pipe cannot hang; it is cleared below.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    switch (mode) {
    case OpenMode::ReadWriteLocked: flags |= O_RDWR; break;
    case OpenMode::ReadLocked: flags |= O_RDONLY; break;
    // No O_TRUNC here: the old contents may only go once the lock is ours.
    case OpenMode::CreateLocked: flags |= O_RDWR | O_CREAT; break;
    // O_EXCL also refuses a link in the way, so nothing is written through one.
    case OpenMode::CreateNewLocked: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    int fd;
    do {
        fd = ::open(native.c_str(), flags, 0666);
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
    if ((mode == OpenMode::ReadLocked || mode == OpenMode::ReadWriteLocked) && !S_ISREG(st.st_mode)) {
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
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ThrowErrno(errno);  // EWOULDBLOCK: locked elsewhere -> 70
    }

    if (mode == OpenMode::CreateLocked && S_ISREG(st.st_mode)) {
        while (::ftruncate(fd, 0) != 0) {
            if (errno != EINTR) {
                ThrowErrno(errno);
            }
        }
    }

    BinaryFile file;
    file.fd_ = guard.Release();
    file.path_ = path;
    return file;
}

std::int64_t BinaryFile::Length() const {
    if (fd_ < 0) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        ThrowErrno(errno);
    }
    return static_cast<std::int64_t>(st.st_size);
}

void BinaryFile::Seek(std::int64_t offset) {
    if (offset < 0) {
        throw VbError(vberr::BadRecordNumber);
    }
    pos_ = offset;
}

// Reads until n bytes or the end of the file; advances the position by what was read.
static std::size_t ReadSome(int fd, std::int64_t& pos, void* buffer, std::size_t n) {
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

std::size_t BinaryFile::Read(void* buffer, std::size_t n) {
    faults::Check(faults::Op::Read);
    return ReadSome(fd_, pos_, buffer, n);
}

void BinaryFile::ReadExact(void* buffer, std::size_t n) {
    faults::Check(faults::Op::Read);
    if (ReadSome(fd_, pos_, buffer, n) != n) {
        throw VbError(vberr::InputPastEnd);
    }
}

void BinaryFile::Write(const void* buffer, std::size_t n) {
    faults::Check(faults::Op::Write);
    if (fd_ < 0) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(pos_));
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
    if (fd_ < 0) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    while (::fsync(fd_) != 0) {
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
    if (fd_ >= 0) {
        ::close(fd_);  // also releases the lock
        fd_ = -1;
    }
    pos_ = 0;
}

std::int16_t FileTable::FreeFile() const {
    for (int n = 1; n <= kMaxFiles; ++n) {
        if (!files_[n] || !files_[n]->IsOpen()) {
            return static_cast<std::int16_t>(n);
        }
    }
    throw VbError(vberr::TooManyFiles);
}

BinaryFile& FileTable::Open(std::int16_t number, const std::string& path, OpenMode mode) {
    if (number < 1 || number > kMaxFiles) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    if (IsOpen(number)) {
        throw VbError(kFileAlreadyOpen);
    }
    return Adopt(number, BinaryFile::Open(path, mode));
}

BinaryFile& FileTable::Adopt(std::int16_t number, BinaryFile file) {
    if (number < 1 || number > kMaxFiles) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    if (IsOpen(number)) {
        throw VbError(kFileAlreadyOpen);
    }
    files_[number] = std::make_unique<BinaryFile>(std::move(file));
    return *files_[number];
}

BinaryFile& FileTable::Get(std::int16_t number) {
    if (!IsOpen(number)) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    return *files_[number];
}

bool FileTable::IsOpen(std::int16_t number) const {
    return number >= 1 && number <= kMaxFiles && files_[number] && files_[number]->IsOpen();
}

void FileTable::Close(std::int16_t number) {
    if (number >= 1 && number <= kMaxFiles) {
        files_[number].reset();
    }
}

void FileTable::CloseAll() {
    for (auto& file : files_) {
        file.reset();
    }
}

}  // namespace tessarin
