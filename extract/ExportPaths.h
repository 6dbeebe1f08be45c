#pragma once
// Where an export writes each entry below the chosen folder: the one rule that
// keeps every name inside it, shared by the exports and the import of an
// exported folder.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ARCFileCls.h"

namespace tessarin {

// One name that stays where it is put on disk and that this platform can create
// as it is (see NativeNameRefusal).
bool IsSafeExportName(std::string_view text);

// Where an entry goes below the chosen folder: its folders, one name each, and its file name.
struct EntryPlace {
    std::vector<std::string> folders;
    std::string folderKey;  // the folders joined, each followed by the platform's separator
    std::string name;
};

// nullopt when any part of the entry's name could lead outside the chosen folder.
// The first skippedFolderChars characters of the entry's folder path (a folder
// key it begins with) are left out: the place below that folder.
std::optional<EntryPlace> PlaceOf(const ARCFileCls& entry, std::size_t skippedFolderChars = 0);

}  // namespace tessarin
