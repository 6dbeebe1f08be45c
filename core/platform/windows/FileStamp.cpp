// Stamps on Windows: size, times and identity from BY_HANDLE_FILE_INFORMATION,
// the change time from FILE_BASIC_INFO (GetFileInformationByHandleEx).
#include "core/platform/FileStamp.h"

#include <windows.h>

#include "core/platform/FileSystem.h"
#include "core/platform/windows/Folders.h"
#include "core/platform/windows/Wide.h"

namespace tessarin {

namespace {

std::int64_t Join(DWORD high, DWORD low) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

std::optional<FileStamp> StampOfHandle(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(h, &info)) return std::nullopt;
    if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return std::nullopt;
    FileStamp stamp;
    stamp.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
    stamp.modified = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    stamp.changed = basic.ChangeTime.QuadPart;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.index = static_cast<std::uint64_t>(Join(info.nFileIndexHigh, info.nFileIndexLow));
    return stamp;
}

}  // namespace

std::optional<FileStamp> StampOfOpenFile(const BinaryFile& file) {
    if (!file.IsOpen()) return std::nullopt;
    return StampOfHandle(reinterpret_cast<HANDLE>(file.Handle()));
}

std::optional<FileStamp> StampOfFileBelow(const std::string& folder, const std::string& relative) {
    try {
        win::UniqueHandle current = win::OpenChosenFolder(folder);
        std::size_t start = 0;
        for (;;) {
            const std::size_t slash = relative.find('/', start);
            const std::string part =
                relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
            if (NativeNameRefusal(part) != nullptr) return std::nullopt;
            const bool last = slash == std::string::npos;
            win::Kind kind;
            DWORD error;
            win::UniqueHandle next = win::OpenBelow(current.Get(), win::Wide(part), !last, kind, error);
            if (!next.Valid()) return std::nullopt;
            if (last) return kind == win::Kind::File ? StampOfHandle(next.Get()) : std::nullopt;
            current = std::move(next);
            start = slash + 1;
        }
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace tessarin
