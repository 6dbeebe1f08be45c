// Windows files: CreateFileW with a share mode that keeps every other opener out
// (the "in use" error 70), positioned ReadFile/WriteFile and FlushFileBuffers.
#include "core/platform/BinaryFile.h"

#include <windows.h>

#include <algorithm>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {
namespace {

constexpr int kBadFileMode = 54;
constexpr DWORD kMaxChunk = 1u << 30;  // one ReadFile/WriteFile call moves at most this much

HANDLE H(BinaryFile::NativeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// Closes a handle unless it is handed over.
struct HandleGuard {
    HANDLE handle;
    ~HandleGuard() {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
    HANDLE Release() {
        const HANDLE h = handle;
        handle = INVALID_HANDLE_VALUE;
        return h;
    }
};

[[noreturn]] void ThrowLastError() {
    const DWORD code = ::GetLastError();
    // Another open's share mode or lock refused this one: in use, not a permission.
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) throw VbError::InUse();
    throw VbError(VbErrorFromWin32(code));
}

OVERLAPPED At(std::int64_t pos) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(pos) & 0xFFFFFFFFu);
    o.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(pos) >> 32);
    return o;
}

}  // namespace

BinaryFile BinaryFile::Open(const std::string& path, OpenMode mode, unsigned /*newPermissions*/) {
    faults::Check(faults::Op::Open);
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case OpenMode::ReadWriteLocked: break;
    case OpenMode::ReadLocked:
    case OpenMode::ReadShared: access = GENERIC_READ; break;
    // Not CREATE_ALWAYS: the old contents may only go once the file is ours.
    case OpenMode::CreateLocked: disposition = OPEN_ALWAYS; break;
    // Also refuses a link in the way, so nothing is written through one.
    case OpenMode::CreateNewLocked: disposition = CREATE_NEW; break;
    }
    // Writing is not shared: another program that would change the file gets a
    // sharing violation (70) while this open lasts; reading is, as on POSIX.
    // Deleting is shared so that a replacement can rename the file this program
    // holds. Other opens by this program are kept out by the in-use lock below.
    const HANDLE h = ::CreateFileW(win::Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) throw VbError::InUse();
        throw VbError(VbErrorFromWin32ForPath(code, path));
    }
    HandleGuard guard{h};

    // Archives and replacement sources are read whole by their length: a pipe,
    // a console or a device has none and could block or never end.
    const DWORD type = ::GetFileType(h);
    if (type == FILE_TYPE_PIPE || (type != FILE_TYPE_DISK && mode != OpenMode::CreateLocked)) {
        throw VbError(vberr::PathFileAccess);
    }
    if (type == FILE_TYPE_DISK) {
        OVERLAPPED at{};
        at.Offset = win::kInUseOffsetLow;
        at.OffsetHigh = win::kInUseOffsetHigh;
        const DWORD kind = mode == OpenMode::ReadShared ? 0 : LOCKFILE_EXCLUSIVE_LOCK;
        if (!::LockFileEx(h, kind | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            throw VbError::InUse();  // another open holds it
        }
    }
    if (mode == OpenMode::CreateLocked && type == FILE_TYPE_DISK) {
        LARGE_INTEGER zero{};
        if (!::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) || !::SetEndOfFile(h)) {
            ThrowLastError();
        }
    }

    BinaryFile file;
    file.handle_ = reinterpret_cast<NativeHandle>(guard.Release());
    file.path_ = path;
    file.mode_ = mode;
    return file;
}

std::int64_t BinaryFile::Length() const {
    if (handle_ == kNoHandle) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(H(handle_), &size)) {
        if (::GetLastError() == ERROR_INVALID_FUNCTION || ::GetLastError() == ERROR_INVALID_HANDLE) {
            return 0;  // a device has no length
        }
        ThrowLastError();
    }
    return size.QuadPart;
}

std::size_t BinaryFile::ReadSome(void* buffer, std::size_t n) {
    const std::size_t done = ReadSomeAt(pos_, buffer, n);
    pos_ += static_cast<std::int64_t>(done);
    return done;
}

std::size_t BinaryFile::ReadSomeAt(std::int64_t pos, void* buffer, std::size_t n) const {
    if (handle_ == kNoHandle) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, kMaxChunk));
        OVERLAPPED at = At(pos);
        DWORD got = 0;
        if (!::ReadFile(H(handle_), out + done, chunk, &got, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            ThrowLastError();
        }
        if (got == 0) {
            break;
        }
        done += got;
        pos += got;
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
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, kMaxChunk));
        OVERLAPPED at = At(pos_);
        DWORD put = 0;
        if (!::WriteFile(H(handle_), in + done, chunk, &put, &at)) {
            const DWORD error = ::GetLastError();
            // A handle opened for reading only refuses writes as access denied.
            throw VbError(error == ERROR_ACCESS_DENIED && (mode_ == OpenMode::ReadLocked || mode_ == OpenMode::ReadShared)
                              ? kBadFileMode
                                                                                        : VbErrorFromWin32(error));
        }
        if (put == 0) {
            throw VbError(vberr::DeviceIO);  // no progress: never loop forever
        }
        done += put;
        pos_ += put;
    }
}

void BinaryFile::Sync() {
    faults::Check(faults::Op::Sync);
    if (handle_ == kNoHandle) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    if (!::FlushFileBuffers(H(handle_))) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_INVALID_FUNCTION || error == ERROR_INVALID_HANDLE) {
            return;  // a device that has nothing to flush
        }
        throw VbError(VbErrorFromWin32(error));
    }
}

void BinaryFile::Close() {
    if (handle_ != kNoHandle) {
        ::CloseHandle(H(handle_));  // also ends the share-mode lock
        handle_ = kNoHandle;
    }
    pos_ = 0;
}

}  // namespace tessarin
