// Removing stale temporaries on Windows: the folder is listed by name, each
// candidate is opened itself (never a link's target) and removed only when the
// in-use lock every writer holds can be taken, through the same handle.
#include <windows.h>

#include <string>
#include <vector>

#include "core/platform/SafeFolder.h"
#include "core/platform/Temporaries.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace {

bool RemoveIfStale(const std::wstring& path) {
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool removed = false;
    BY_HANDLE_FILE_INFORMATION info{};
    OVERLAPPED inUse{};
    inUse.Offset = win::kInUseOffsetLow;
    inUse.OffsetHigh = win::kInUseOffsetHigh;
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & notPlain) == 0 &&
        ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &inUse)) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        removed = ::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
    }
    ::CloseHandle(h);
    return removed;
}

// folder: wide path with a trailing separator; name: program text, empty for any.
std::size_t RemoveStaleIn(const std::wstring& folder, const std::string& name) {
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    std::size_t removed = 0;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
        if (!IsTemporaryName(win::FromWide(found.cFileName, wcslen(found.cFileName)), name)) continue;
        if (RemoveIfStale(folder + found.cFileName)) ++removed;
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return removed;
}

}  // namespace

std::size_t RemoveStaleTemporariesBeside(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (name.empty()) return 0;
    return RemoveStaleIn(cut == std::string::npos ? std::wstring(L".\\") : win::Wide(path.substr(0, cut + 1)), name);
}

std::size_t RemoveStaleTemporariesIn(const SafeFolder& folder) {
    if (!folder.IsOpen()) return 0;
    const HANDLE h = reinterpret_cast<HANDLE>(folder.NativeHandle());
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
        if (n == 0) return 0;
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            if (path.back() != L'\\') path += L'\\';
            return RemoveStaleIn(path, {});
        }
        buffer.resize(n + 1);
    }
}

}  // namespace tessarin
