#include "core/platform/windows/Folders.h"

#include <vector>

#include "core/platform/VbError.h"
#include "core/platform/windows/Wide.h"

namespace tessarin::win {

namespace {

// Enough to list, walk through and read the attributes of a folder. Sharing
// everything but deletion: nobody renames or removes the folder while it is held.
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD kFolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

Kind KindOf(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) return Kind::Other;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Kind::Link;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Kind::Folder;
    return ::GetFileType(h) == FILE_TYPE_DISK ? Kind::File : Kind::Other;
}

}  // namespace

UniqueHandle OpenChosenFolder(const std::string& path) {
    const std::string where = path.empty() ? std::string(".") : path;
    UniqueHandle h(::CreateFileW(Wide(where).c_str(), kFolderAccess, kFolderShare, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.Valid()) throw VbError(VbErrorFromWin32ForPath(::GetLastError(), where));
    if (KindOf(h.Get()) != Kind::Folder) throw VbError(vberr::PathFileAccess);
    return h;
}

UniqueHandle OpenBelow(HANDLE folder, const std::wstring& name, bool wantFolder, Kind& kind, DWORD& error) {
    kind = Kind::Other;
    error = ERROR_SUCCESS;
    const std::wstring path = PathIn(folder, name);
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, never what it points to;
    // FILE_FLAG_BACKUP_SEMANTICS lets folders open as well as files.
    UniqueHandle h(wantFolder ? ::CreateFileW(path.c_str(), kFolderAccess, kFolderShare, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)
                              : ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                              nullptr));
    if (!h.Valid()) {
        error = ::GetLastError();
        // Something may stand there that cannot be opened this way: tell a link by its attributes.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
            (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            kind = Kind::Link;
        }
        return {};
    }
    kind = OpenedAt(h.Get(), path) ? KindOf(h.Get()) : Kind::Link;
    if (kind != (wantFolder ? Kind::Folder : Kind::File)) h.Reset();
    return h;
}

std::wstring FolderPath(HANDLE folder) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD n = ::GetFinalPathNameByHandleW(folder, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) throw VbError(VbErrorFromWin32(::GetLastError()));
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            while (!path.empty() && path.back() == L'\\') path.pop_back();  // a drive's root
            return path;
        }
        buffer.resize(n + 1);  // n is the size needed
    }
    throw VbError(vberr::PathFileAccess);
}

bool OpenedAt(HANDLE h, const std::wstring& path) {
    try {
        const std::wstring actual = FolderPath(h);
        return ::CompareStringOrdinal(actual.data(), static_cast<int>(actual.size()), path.data(),
                                      static_cast<int>(path.size()), TRUE) == CSTR_EQUAL;
    } catch (const VbError&) {
        return false;
    }
}

bool LockInUse(HANDLE file, bool shared) {
    OVERLAPPED at{};
    at.Offset = kInUseOffsetLow;
    at.OffsetHigh = kInUseOffsetHigh;
    const DWORD kind = shared ? 0 : LOCKFILE_EXCLUSIVE_LOCK;
    return ::LockFileEx(file, kind | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

}  // namespace tessarin::win
