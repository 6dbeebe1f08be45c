#pragma once
// The files below a folder the user chose, reached without ever following a
// link: a link (to a file or a folder) inside it is reported, never entered.
#include <optional>
#include <string>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "core/platform/FileStamp.h"
#include "core/platform/VbError.h"

namespace tessarin {

struct FolderListing {
    // Regular files, as paths relative to the folder: their components (the
    // platform's bytes as program text) joined by "/".
    std::vector<std::string> files;
    // stamps[i]: files[i]'s stamp as the walk saw it, where the system tells it
    // along with the listing (POSIX); nullopt where it would take a file's
    // opening (Windows). Saves looking each file up again by its path.
    std::vector<std::optional<FileStamp>> stamps;
    // Links and other things that are not plain files or folders, relative too.
    std::vector<std::string> skipped;
    // Folders at the depth limit, relative too: not entered, so whatever they
    // hold is not listed. A caller that takes every file must refuse them.
    std::vector<std::string> tooDeep;
};

// A folder below the chosen one that cannot be read: its files would be missed.
struct UnreadableFolder {
    std::string relative;  // as in FolderListing
    VbError error;
};

// Lists everything below folder, at most maxDepth folders deep (deeper folders
// are reported in tooDeep). Throws VbError when folder itself cannot be read,
// UnreadableFolder when a folder below it cannot.
FolderListing ListFilesBelow(const std::string& folder, int maxDepth = 64);

// Opens, read only and with a lock other readers share, the file at relative ("/"-joined components)
// below folder, following no link on the way (a link gives VbError 75).
BinaryFile OpenFileBelow(const std::string& folder, const std::string& relative);

// Opens many files below one folder as OpenFileBelow does, keeping the folder
// of the last one open, so files of one folder taken one after another do not
// each walk the path again.
class FilesBelow {
public:
    explicit FilesBelow(std::string folder);
    ~FilesBelow();
    FilesBelow(const FilesBelow&) = delete;
    FilesBelow& operator=(const FilesBelow&) = delete;

    // As OpenFileBelow; size receives the opened file's length.
    BinaryFile Open(const std::string& relative, std::int64_t& size);

private:
    std::string folder_;
    std::string heldFolder_;  // the folder held open, below folder_
    BinaryFile::NativeHandle held_ = BinaryFile::kNoHandle;
};

}  // namespace tessarin
