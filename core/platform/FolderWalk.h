#pragma once
// The files below a folder the user chose, reached without ever following a
// link: a link (to a file or a folder) inside it is reported, never entered.
#include <string>
#include <vector>

#include "core/platform/BinaryFile.h"

namespace tessarin {

struct FolderListing {
    // Regular files, as paths relative to the folder: their components (the
    // platform's bytes as program text) joined by "/".
    std::vector<std::string> files;
    // Links and other things that are not plain files or folders, relative too.
    std::vector<std::string> skipped;
};

// Lists everything below folder, at most maxDepth folders deep (deeper folders
// are reported as skipped). Throws VbError when folder itself cannot be read.
FolderListing ListFilesBelow(const std::string& folder, int maxDepth = 64);

// Opens, read only and locked, the file at relative ("/"-joined components)
// below folder, following no link on the way (a link gives VbError 75).
BinaryFile OpenFileBelow(const std::string& folder, const std::string& relative);

}  // namespace tessarin
