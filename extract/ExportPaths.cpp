#include "extract/ExportPaths.h"

#include <algorithm>

#include "core/platform/FileSystem.h"

namespace tessarin {

bool IsSafeExportName(std::string_view text) { return IsSafeNativeName(text); }

std::optional<EntryPlace> PlaceOf(const ARCFileCls& entry, std::size_t skippedFolderChars) {
    EntryPlace place;
    std::string_view folders = entry.ArcFilePath;
    folders.remove_prefix(std::min(skippedFolderChars, folders.size()));
    while (!folders.empty()) {
        const auto cut = folders.find('\\');
        // A folder path ends in "\"; a last part without one is still a folder.
        const std::string_view part = folders.substr(0, cut);
        if (!IsSafeExportName(part)) {
            return std::nullopt;
        }
        place.folders.emplace_back(part);
        place.folderKey += part;
        place.folderKey += kNativeSeparator;
        folders = cut == std::string_view::npos ? std::string_view() : folders.substr(cut + 1);
    }
    if (!IsSafeExportName(entry.ArcFileName)) {
        return std::nullopt;
    }
    place.name = entry.ArcFileName;
    return place;
}

}  // namespace tessarin
