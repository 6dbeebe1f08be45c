// The file a path names, told by volume serial number and file index: those of
// the open handle against those of a second handle opened on the path. The
// second open asks for no access and shares everything, so it neither fails on
// nor disturbs the share-mode and in-use locks of the file held.
#include "core/platform/FileIdentity.h"

#include <windows.h>

#include "core/platform/windows/Folders.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace {
bool IdentityOf(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) { return ::GetFileInformationByHandle(h, &info) != 0; }

// extraFlags: FILE_FLAG_OPEN_REPARSE_POINT for the name itself, 0 to follow links.
bool NamesOpenFile(const std::string& path, const BinaryFile& file, DWORD extraFlags) {
    if (!file.IsOpen()) return false;
    BY_HANDLE_FILE_INFORMATION held{}, named{};
    if (!IdentityOf(reinterpret_cast<HANDLE>(file.Handle()), held)) return false;
    const win::UniqueHandle h(::CreateFileW(win::Wide(path).c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | extraFlags, nullptr));
    if (!h.Valid() || !IdentityOf(h.Get(), named)) return false;
    if (extraFlags != 0 && (named.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    // Wine reports no volume serial (0) for a handle whose file was renamed
    // since it was opened: the archive this program renamed into place. Files
    // are renamed within one volume, so the index alone then tells them apart.
    const bool sameVolume =
        held.dwVolumeSerialNumber == 0 || held.dwVolumeSerialNumber == named.dwVolumeSerialNumber;
    return sameVolume && held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

}  // namespace

bool PathNamesOpenFile(const std::string& path, const BinaryFile& file) { return NamesOpenFile(path, file, 0); }

bool NameIsOpenFile(const std::string& path, const BinaryFile& file) {
    return NamesOpenFile(path, file, FILE_FLAG_OPEN_REPARSE_POINT);
}

}  // namespace tessarin
