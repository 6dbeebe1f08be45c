#pragma once
// Windows only: folders held open by a handle that pins them, and names opened
// inside them one component at a time without following a reparse point
// (symbolic link, junction, mount point). Shared by SafeFolder and FolderWalk.
//
// Windows has no openat: a name inside a folder is reached by the folder's own
// resolved path ("\\?\C:\...", read back from its handle) plus the name. That
// path holds no link, and no folder on it can be renamed or removed meanwhile:
// each is held open without FILE_SHARE_DELETE, and a folder with an open
// handle below it cannot be renamed either.
#include <windows.h>

#include <string>

namespace tessarin::win {

// Owns a HANDLE; closes it unless released.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = other.Release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }
    void Reset() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// What stands at a name that was opened without following it.
enum class Kind { Folder, File, Link, Other };

// Opens the folder the user chose (links on the way followed: they are the
// user's choice), pinned. Throws VbError (76 missing, 70 denied, 75 not a folder).
UniqueHandle OpenChosenFolder(const std::string& path);

// Opens name inside the pinned folder without following it. On success the
// handle is returned with kind Folder (pinned like the parent) or File (read
// only, shared like a BinaryFile); for a link or anything else the handle is
// closed and only the kind is reported. error receives GetLastError() when
// nothing could be opened (ERROR_FILE_NOT_FOUND for a missing name).
UniqueHandle OpenBelow(HANDLE folder, const std::wstring& name, bool wantFolder, Kind& kind, DWORD& error);

// The folder's resolved path as the wide-character calls take it
// ("\\?\C:\dir", "\\?\UNC\server\share\dir"), without a trailing separator.
// Throws VbError when the system cannot tell.
std::wstring FolderPath(HANDLE folder);

// name joined to the folder's resolved path.
inline std::wstring PathIn(HANDLE folder, const std::wstring& name) { return FolderPath(folder) + L'\\' + name; }

// True when the open handle's resolved path is exactly path (letter case
// aside): a name opened inside a folder that resolves elsewhere went through a
// link the system did not report as one (Wine follows Unix links even with
// FILE_FLAG_OPEN_REPARSE_POINT, and reports file links as plain files).
bool OpenedAt(HANDLE h, const std::wstring& path);

// Takes the in-use byte lock every BinaryFile takes (see Wide.h); false when
// another open holds it. A shared lock lets other readers take theirs too.
bool LockInUse(HANDLE file, bool shared = false);

}  // namespace tessarin::win
