#pragma once
// What tests compare after a command: a folder's names, the files below a
// folder with their bytes, an archive's records; and files laid out to start from.
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/ARCFileCls.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "extract/ExportRecord.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {

// Path below a folder ("/" between parts) -> bytes.
using FileTree = std::map<std::string, std::string>;

// Names in a folder, sorted.
inline std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(NativePath(folder)))
        names.push_back(PathText(item.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

// Every regular file below root (none when root is missing), temporaries
// included so that none may be left; the export's record is left out, as its
// stamps differ from run to run and its own tests look at it.
inline FileTree FilesBelow(const std::string& root) {
    FileTree files;
    if (!std::filesystem::exists(NativePath(root))) return files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(NativePath(root))) {
        if (!item.is_regular_file() || item.path().filename() == kExportRecordName) continue;
        std::string file = PathText(std::filesystem::relative(item.path(), NativePath(root)));
        std::replace_if(file.begin(), file.end(), IsNativeSeparator, '/');
        files[file] = ReadFileBytes(TextToNative(PathText(item.path())));
    }
    return files;
}

// Writes each file below root ("/"-joined path), making its folders, in the order given.
inline void WriteFiles(const std::string& root, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [path, bytes] : files) {
        std::filesystem::create_directories(NativePath(ParentFolder(root + "/" + path)));
        WriteFileBytes(root + "/" + path, bytes);
    }
}

// Every field a rewrite may change or must keep, one line per record.
inline std::vector<std::string> Records(const ArcEntryList& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.ArcFileKey + " | " + e.ArcFileName + " | " + e.ArcFileTypeHex + " | " +
                      std::to_string(e.ArcFileZipSize) + " | " + std::to_string(e.ArcFileOrgSize) + " | " +
                      std::to_string(e.ArcFileOFSET));
    return out;
}

}  // namespace tessarin::testing
