#pragma once
// The folders of one export of many entries, opened below the chosen folder one
// name at a time and never through a link.
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>

#include "core/platform/SafeFolder.h"
#include "core/platform/VbError.h"
#include "extract/ExportPaths.h"

namespace tessarin {

// A folder of the export that could not be opened or made.
struct FolderFailure {
    VbError error;
    std::string link;  // the link in the way, when that was the reason
};

// Keeps the folders last used open for the entries that follow: a bounded
// number at a time, and nothing kept about the others, so memory does not
// grow with the number of folders an archive names.
class FolderCache {
public:
    // rootText: the chosen folder's path ending in a separator, for messages.
    // owned: the export made root itself (see ExportAllEntriesIntoNewFolder),
    // so no earlier run can have left anything in it.
    FolderCache(SafeFolder root, std::string rootText, bool owned);

    // The folder of place, opened or made; throws FolderFailure.
    const SafeFolder& Get(const EntryPlace& place);

    // Closes every folder, the root included.
    void Close();

private:
    static constexpr std::size_t kMaxOpen = 256;
    std::string rootText_;
    bool owned_;
    std::shared_ptr<SafeFolder> root_;
    std::unordered_map<std::string, std::shared_ptr<SafeFolder>> open_;  // by folder key, at most kMaxOpen
};

}  // namespace tessarin
