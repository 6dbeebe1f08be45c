// Windows file-system operations through the wide-character API.
#include "core/platform/FileSystem.h"

// windows.h first: the other system headers build on it.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>

#include <cctype>
#include <vector>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/Native.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {
namespace {

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(win::Wide(path).c_str()); }

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The device names Windows reserves in every folder, whatever extension follows.
bool IsReservedDeviceName(std::string_view name) {
    // The base name is what comes before the first dot, without trailing spaces.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    std::string upper;
    for (char c : base) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    static const char* const kFixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* fixed : kFixed) {
        if (upper == fixed) {
            return true;
        }
    }
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0)) {
        return false;
    }
    const std::string_view number = std::string_view(upper).substr(3);
    // COM1-COM9, LPT1-LPT9 and the superscript digits ¹ ² ³, which Windows treats alike.
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

namespace native {

int RemoveFile(const std::string& path) {
    const std::wstring wide = win::Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return VbErrorFromWin32ForPath(::GetLastError(), path);
    }
    // Only files and links are deleted: a folder must survive a clean-up.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return vberr::PathFileAccess;
    }
    // A link is opened itself, not its target; a file another program holds
    // without sharing gives a sharing violation, one this program holds fails
    // the in-use lock. Deleting through this handle leaves no moment for another
    // file to take the name.
    const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return VbErrorFromWin32ForPath(::GetLastError(), path);
    }
    int result = 0;
    OVERLAPPED inUse{};
    inUse.Offset = win::kInUseOffsetLow;
    inUse.OffsetHigh = win::kInUseOffsetHigh;
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        result = vberr::PathFileAccess;  // a device
    } else if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &inUse)) {
        result = vberr::PermissionDenied;  // an open of this program holds it
    } else {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        if (!::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition)) {
            result = VbErrorFromWin32(::GetLastError());
        }
    }
    ::CloseHandle(h);
    return result;
}

// A new file gets its folder's access list; there are no bits to choose.
unsigned PermissionsForReplacementOf(const std::string&) { return 0666; }

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace native

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(win::Wide(path)); }

std::string PathText(const std::filesystem::path& path) { return win::FromWide(path.native()); }

std::string ProgramFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            break;
        }
        if (n < buffer.size()) {
            return ParentFolder(win::FromWide(buffer.data(), n));
        }
        buffer.resize(buffer.size() * 2);  // the name was cut short
    }
    const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> cwd(n + 1);
    const DWORD got = ::GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data());
    return got == 0 || got >= cwd.size() ? std::string(".") : win::FromWide(cwd.data(), got);
}

bool FileExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes);
}

bool DirectoryExists(const std::string& path) { return IsFolder(Attributes(path)); }

bool IsWritableFile(const std::string& path) {
    // The read-only attribute is what refuses writing (and a rename over the
    // file); the access lists still decide when the file is written.
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes) &&
           (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

void CreateDirectories(const std::string& path) {
    // Each prefix that ends just before a separator, then the whole path.
    for (std::size_t end = 1; end <= path.size(); ++end) {
        if (end < path.size() && !IsNativeSeparator(path[end])) {
            continue;
        }
        if (IsNativeSeparator(path[end - 1])) {
            continue;  // a repeated or trailing separator, or the root
        }
        const std::string prefix = path.substr(0, end);
        if (::CreateDirectoryW(win::Wide(prefix).c_str(), nullptr)) {
            continue;
        }
        const DWORD error = ::GetLastError();
        const DWORD attributes = Attributes(prefix);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (IsFolder(attributes)) {
                continue;  // already there (a drive, or made by someone else meanwhile)
            }
            throw VbError(vberr::PathFileAccess);  // a file stands in the way
        }
        throw VbError(VbErrorFromWin32ForPath(error, prefix));
    }
}

void ReplaceFileAtomically(const std::string& from, const std::string& to, bool syncFolder) {
    faults::Check(faults::Op::Rename);
    // Write-through: the call returns once the rename is on the disk.
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (syncFolder ? MOVEFILE_WRITE_THROUGH : 0);
    if (!::MoveFileExW(win::Wide(from).c_str(), win::Wide(to).c_str(), flags)) {
        const DWORD error = ::GetLastError();
        // A missing source is 53/76 for the source; anything else concerns the target.
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
            Attributes(from) == INVALID_FILE_ATTRIBUTES) {
            throw VbError(VbErrorFromWin32ForPath(error, from));
        }
        throw VbError(VbErrorFromWin32ForPath(error, to));
    }
}

void ReplaceOpenFile(const std::string& from, const std::string& to, BinaryFile& target) {
    // Windows cannot rename over a file that is open, so the old file's own
    // open ends first; if the rename then fails, the old file is opened again
    // as it was, and the caller goes on with it.
    const OpenMode mode = target.Mode();
    const bool wasOpen = target.IsOpen();
    target.Close();
    try {
        ReplaceFileAtomically(from, to);
    } catch (const VbError&) {
        if (wasOpen) {
            try {
                target = BinaryFile::Open(to, mode);
            } catch (const VbError&) {
                // Someone else took the file meanwhile: it stays whole, only closed here.
            }
        }
        throw;
    }
}

std::string ResolvedPath(const std::string& path) {
    // No access asked for, so even a file this program holds can be looked at.
    const HANDLE h = ::CreateFileW(win::Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return path;
    }
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    }
    ::CloseHandle(h);
    if (n == 0 || n >= buffer.size()) {
        return path;
    }
    std::wstring resolved(buffer.data(), n);
    // "\\?\C:\..." -> "C:\...", "\\?\UNC\server\share" -> "\\server\share".
    if (resolved.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        resolved = L"\\\\" + resolved.substr(8);
    } else if (resolved.rfind(L"\\\\?\\", 0) == 0) {
        resolved = resolved.substr(4);
    }
    return win::FromWide(resolved);
}

void CopyPermissions(const std::string& from, BinaryFile& file) {
    const std::string& to = file.Path();
    // The new file inherits its folder's access list; only the read-only and
    // hidden attributes are the old file's own (a read-only archive is refused
    // before it gets this far).
    const DWORD attributes = Attributes(from);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        ::SetFileAttributesW(win::Wide(to).c_str(),
                             attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        for (int i = 1; i < argc; ++i) {
            args.emplace_back(argv[i]);
        }
        return args;
    }
    for (int i = 1; i < count; ++i) {
        args.push_back(win::FromWide(std::wstring(wide[i])));
    }
    ::LocalFree(wide);
    return args;
}

// Windows has no file-size signal: nothing to prepare.
void PreparePlatform() {}

void UseBinaryStandardStreams() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

const char* NativeNameRefusal(std::string_view component) {
    if (const char* common = CommonNameRefusal(component)) {
        return common;
    }
    for (char c : component) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') {
            return "holds a character Windows does not allow in names";
        }
    }
    if (component.back() == '.' || component.back() == ' ') {
        return "ends in a dot or a space, which Windows drops";
    }
    if (IsReservedDeviceName(component)) {
        return "a device name Windows reserves";
    }
    return nullptr;
}

std::string FileNameCaseKey(std::string_view name) {
    std::wstring wide = win::Wide(std::string(name));
    // Upper case without a locale's rules: the ordinal, case-insensitive
    // comparison the file system makes of whole names.
    if (!wide.empty()) {
        const int size = static_cast<int>(wide.size());
        std::wstring upper(wide.size(), L'\0');
        if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size, upper.data(), size, nullptr,
                            nullptr, 0) == size) {
            wide = std::move(upper);
        } else {
            ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
        }
    }
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

}  // namespace tessarin
