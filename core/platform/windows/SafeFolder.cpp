// SafeFolder on Windows: every folder on the way held open without
// FILE_SHARE_DELETE (so none of them can be renamed or swapped), names opened
// below it with FILE_FLAG_OPEN_REPARSE_POINT and refused when they are reparse
// points (symbolic links, junctions, mount points), folders made with
// CreateDirectoryW and files renamed with MoveFileExW inside the folder.
#include "core/platform/SafeFolder.h"

#include <windows.h>

#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Folders.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace {

HANDLE H(SafeFolder::Handle handle) { return reinterpret_cast<HANDLE>(handle); }

void CloseHandle(SafeFolder::Handle& handle) {
    if (handle != SafeFolder::kNoHandle) {
        ::CloseHandle(H(handle));
        handle = SafeFolder::kNoHandle;
    }
}

// One component, never a path: with the "\\?\" form nothing else would stop
// "..", a stream name or a device name from being taken literally.
std::wstring Component(const std::string& name) {
    if (NativeNameRefusal(name) != nullptr) throw VbError(vberr::PathFileAccess);
    return win::Wide(name);
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
    return SafeFolder(reinterpret_cast<Handle>(win::OpenChosenFolder(path).Release()));
}

SafeFolder SafeFolder::OpenOrCreateChild(const std::string& name, bool* isLink) const {
    if (isLink != nullptr) *isLink = false;
    const std::wstring wide = Component(name);
    win::Kind kind;
    DWORD error;
    // Opening first costs one call for the common case of a folder already there.
    win::UniqueHandle child = win::OpenBelow(H(handle_), wide, true, kind, error);
    if (!child.Valid() && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
        if (!::CreateDirectoryW(win::PathIn(H(handle_), wide).c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            throw VbError(VbErrorFromWin32(::GetLastError()));
        }
        child = win::OpenBelow(H(handle_), wide, true, kind, error);
    }
    if (child.Valid()) return SafeFolder(reinterpret_cast<Handle>(child.Release()));
    if (kind == win::Kind::Link) {
        if (isLink != nullptr) *isLink = true;
        throw VbError(vberr::PathFileAccess);
    }
    if (error == ERROR_SUCCESS) throw VbError(vberr::PathFileAccess);  // a file in the way
    throw VbError(VbErrorFromWin32(error));
}

SafeFolder SafeFolder::CreateNewChild(const std::string& name) const {
    faults::Check(faults::Op::Open);
    const std::wstring wide = Component(name);
    if (!::CreateDirectoryW(win::PathIn(H(handle_), wide).c_str(), nullptr)) {
        const DWORD error = ::GetLastError();
        throw VbError(error == ERROR_ALREADY_EXISTS ? vberr::FileAlreadyExists : VbErrorFromWin32(error));
    }
    win::Kind kind;
    DWORD error;
    win::UniqueHandle child = win::OpenBelow(H(handle_), wide, true, kind, error);
    if (!child.Valid()) throw VbError(error == ERROR_SUCCESS ? vberr::PathFileAccess : VbErrorFromWin32(error));
    return SafeFolder(reinterpret_cast<Handle>(child.Release()));
}

void SafeFolder::RenameChild(const std::string& from, const std::string& to) const {
    faults::Check(faults::Op::Rename);
    const std::wstring folder = win::FolderPath(H(handle_));
    const std::wstring target = folder + L'\\' + Component(to);
    // An empty folder at to is removed first; anything else stays and refuses the rename.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        ::RemoveDirectoryW(target.c_str());
    if (!::MoveFileExW((folder + L'\\' + Component(from)).c_str(), target.c_str(), 0)) {
        const DWORD error = ::GetLastError();
        throw VbError(error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? vberr::FileAlreadyExists
                                                                                  : VbErrorFromWin32(error));
    }
}

FolderFile SafeFolder::CreateNewFile(const std::string& name) const {
    faults::Check(faults::Op::Open);
    const std::wstring path = win::PathIn(H(handle_), Component(name));
    // CREATE_NEW with FILE_FLAG_OPEN_REPARSE_POINT: nothing already there, not even a link, is opened.
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        throw VbError(error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? vberr::FileAlreadyExists
                                                                                  : VbErrorFromWin32(error));
    }
    FolderFile file;
    file.folder_ = handle_;
    file.handle_ = reinterpret_cast<Handle>(h);
    file.tempName_ = name;
    file.inPlace_ = true;
    if (!win::OpenedAt(h, path)) {
        file.Discard();  // created through a link the system did not refuse
        throw VbError(vberr::PathFileAccess);
    }
    return file;
}

FolderFile SafeFolder::CreateTemporaryFor(const std::string& name) const {
    faults::Check(faults::Op::Open);
    Component(name);
    static const std::string pid = std::to_string(::GetCurrentProcessId());
    const std::string prefix = "." + name + ".tessarin-" + pid + "-";
    const std::wstring folder = win::FolderPath(H(handle_));
    for (int n = 1;; ++n) {
        std::string temp = prefix + std::to_string(n) + ".tmp";
        // CREATE_NEW with FILE_FLAG_OPEN_REPARSE_POINT: nothing already there,
        // not even a link, is opened. Deletion is shared so that the file can
        // be renamed while it is held.
        const HANDLE h = ::CreateFileW((folder + L'\\' + win::Wide(temp)).c_str(), GENERIC_WRITE | DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && n < 1000) continue;
            throw VbError(VbErrorFromWin32(error));
        }
        FolderFile file;
        file.folder_ = handle_;
        file.handle_ = reinterpret_cast<Handle>(h);
        file.tempName_ = temp;
        if (!win::OpenedAt(h, folder + L'\\' + win::Wide(temp))) {
            file.Discard();  // created through a link the system did not refuse
            throw VbError(vberr::PathFileAccess);
        }
        // Locked while it is written, so a clean-up can tell it from a stale one.
        win::LockInUse(h);
        return file;
    }
}

void FolderFile::Write(const void* bytes, std::size_t n) {
    faults::Check(faults::Op::Write);
    const auto* p = static_cast<const char*>(bytes);
    while (n > 0) {
        const DWORD chunk = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
        DWORD put = 0;
        if (!::WriteFile(H(handle_), p, chunk, &put, nullptr)) throw VbError(VbErrorFromWin32(::GetLastError()));
        if (put == 0) throw VbError(vberr::DiskFull);
        p += put;
        n -= put;
    }
}

void FolderFile::Commit(const std::string& name, bool syncFirst) {
    if (inPlace_ && name == tempName_) {
        CloseCommitted();
        return;
    }
    try {
        const std::wstring folder = win::FolderPath(H(folder_));
        const std::wstring target = folder + L'\\' + Component(name);
        // A read-only file in the way stays as it is; the rename would not
        // always refuse it by itself.
        const DWORD existing = ::GetFileAttributesW(target.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            if ((existing & FILE_ATTRIBUTE_READONLY) != 0) throw VbError(vberr::PermissionDenied);
            // The file that is replaced is lost with the rename: the new one is
            // on the disk before, so a crash leaves one of the two whole.
            if (syncFirst) {
                faults::Check(faults::Op::Sync);
                if (!::FlushFileBuffers(H(handle_))) throw VbError(VbErrorFromWin32(::GetLastError()));
            }
        }
        faults::Check(faults::Op::Rename);
        // The rename replaces a file, or a link itself, at the name; never a folder.
        if (!::MoveFileExW((folder + L'\\' + win::Wide(tempName_)).c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING)) {
            const DWORD error = ::GetLastError();
            const DWORD attributes = ::GetFileAttributesW(target.c_str());
            const bool folderThere = attributes != INVALID_FILE_ATTRIBUTES &&
                                     (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                                     (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
            throw VbError(folderThere ? vberr::PathFileAccess : VbErrorFromWin32(error));
        }
    } catch (...) {
        Discard();
        throw;
    }
    CloseCommitted();
}

void FolderFile::CloseCommitted() {
    // No stamp: the system may still move the file's times when it is closed.
    ::CloseHandle(H(handle_));  // drops the lock once the file has its name
    handle_ = SafeFolder::kNoHandle;
}

void FolderFile::Discard() {
    if (handle_ == SafeFolder::kNoHandle) return;
    // Deleted through the open handle: no other file can have taken the name.
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool marked =
        ::SetFileInformationByHandle(H(handle_), FileDispositionInfo, &disposition, sizeof disposition) != 0;
    ::CloseHandle(H(handle_));
    handle_ = SafeFolder::kNoHandle;
    if (!marked) {
        try {
            ::DeleteFileW((win::FolderPath(H(folder_)) + L'\\' + win::Wide(tempName_)).c_str());
        } catch (const VbError&) {
            // The folder cannot tell its path: the temporary stays, recognisable by its name.
        }
    }
}

}  // namespace tessarin
