// Walking below a chosen folder on Windows: FindFirstFileW/FindNextFileW in a
// folder held open (pinned), reparse points (symbolic links, junctions, mount
// points) reported and never entered, each step opened with
// FILE_FLAG_OPEN_REPARSE_POINT and checked again on its handle.
#include "core/platform/FolderWalk.h"

#include <windows.h>

#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "core/platform/windows/Folders.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace {

struct FindGuard {
    HANDLE h;
    ~FindGuard() {
        if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
    }
};

// Names the folder (prefix, "" for the chosen one) that failed to be read.
[[noreturn]] void ThrowUnreadable(const std::string& prefix, DWORD error) {
    if (prefix.empty()) throw VbError(VbErrorFromWin32(error));
    throw UnreadableFolder{prefix.substr(0, prefix.size() - 1), VbError(VbErrorFromWin32(error))};
}

void Walk(HANDLE folder, const std::string& prefix, int depthLeft, FolderListing& out) {
    WIN32_FIND_DATAW item{};
    const FindGuard find{::FindFirstFileExW((win::FolderPath(folder) + L"\\*").c_str(), FindExInfoBasic, &item,
                                            FindExSearchNameMatch, nullptr, 0)};
    if (find.h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return;  // nothing in it
        ThrowUnreadable(prefix, error);
    }
    do {
        const std::wstring name = item.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string relative = prefix + win::FromWide(name);
        const DWORD attributes = item.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            out.skipped.push_back(relative);
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            out.files.push_back(relative);
            out.stamps.push_back(std::nullopt);  // the listing lacks the change time and the file index
        } else if (depthLeft > 0) {
            // Opened again without following it: what was listed may have changed since.
            win::Kind kind;
            DWORD error;
            const win::UniqueHandle sub = win::OpenBelow(folder, name, true, kind, error);
            if (!sub.Valid()) {
                // Replaced by a link since it was listed: not entered.
                if (error == ERROR_SUCCESS || kind == win::Kind::Link) {
                    out.skipped.push_back(relative);
                    continue;
                }
                if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;  // gone meanwhile
                ThrowUnreadable(relative + "/", error);  // its files would be missed silently
            }
            Walk(sub.Get(), relative + "/", depthLeft - 1, out);
        } else {
            out.tooDeep.push_back(relative);
        }
    } while (::FindNextFileW(find.h, &item));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) ThrowUnreadable(prefix, error);
}

}  // namespace

FolderListing ListFilesBelow(const std::string& folder, int maxDepth) {
    FolderListing out;
    const win::UniqueHandle root = win::OpenChosenFolder(folder);
    Walk(root.Get(), "", maxDepth, out);
    return out;
}

BinaryFile OpenFileBelow(const std::string& folder, const std::string& relative) {
    faults::Check(faults::Op::Open);
    win::UniqueHandle current = win::OpenChosenFolder(folder);
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (NativeNameRefusal(part) != nullptr) throw VbError(vberr::PathFileAccess);
        const bool last = slash == std::string::npos;
        win::Kind kind;
        DWORD error;
        win::UniqueHandle next = win::OpenBelow(current.Get(), win::Wide(part), !last, kind, error);
        if (!next.Valid()) {
            // A link, a folder where a file was asked for or the other way round.
            throw VbError(error == ERROR_SUCCESS || kind == win::Kind::Link ? vberr::PathFileAccess
                                                                            : VbErrorFromWin32(error));
        }
        if (last) {
            if (!win::LockInUse(next.Get(), true)) throw VbError(vberr::PermissionDenied);
            std::string display = folder + kNativeSeparator + relative;
            for (char& c : display) {
                if (c == '/') c = kNativeSeparator;
            }
            return BinaryFile::FromHandle(reinterpret_cast<BinaryFile::NativeHandle>(next.Release()), display,
                                          OpenMode::ReadShared);
        }
        current = std::move(next);
        start = slash + 1;
    }
}

// Each file is reached from the chosen folder again: the walk on this system
// opens every step with its own checks, which a held folder would not save.
FilesBelow::FilesBelow(std::string folder) : folder_(std::move(folder)) {}

FilesBelow::~FilesBelow() = default;

BinaryFile FilesBelow::Open(const std::string& relative, std::int64_t& size) {
    BinaryFile file = OpenFileBelow(folder_, relative);
    size = file.Length();
    return file;
}

}  // namespace tessarin
