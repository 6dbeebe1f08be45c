#include "support/Listings.h"

#include <algorithm>
#include <filesystem>

#include "core/platform/FileSystem.h"
#include "extract/ExportRecord.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {

namespace fs = std::filesystem;

std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(NativePath(folder))) names.push_back(PathText(item.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

FileTree FilesBelow(const std::string& root) {
    FileTree files;
    if (!fs::exists(NativePath(root))) return files;
    for (const auto& item : fs::recursive_directory_iterator(NativePath(root))) {
        if (!item.is_regular_file() || item.path().filename() == kExportRecordName) continue;
        std::string file = PathText(fs::relative(item.path(), NativePath(root)));
        std::replace_if(file.begin(), file.end(), IsNativeSeparator, '/');
        files[file] = ReadFileBytes(root + "/" + file);
    }
    return files;
}

void WriteFiles(const std::string& root, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [path, bytes] : files) {
        fs::create_directories(NativePath(ParentFolder(root + "/" + path)));
        WriteFileBytes(root + "/" + path, bytes);
    }
}

std::vector<std::string> Records(const ArcEntryList& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.ArcFileKey + " | " + e.ArcFileName + " | " + e.ArcFileTypeHex + " | " +
                      std::to_string(e.ArcFileZipSize) + " | " + std::to_string(e.ArcFileOrgSize) + " | " +
                      std::to_string(e.ArcFileOFSET));
    return out;
}

}  // namespace tessarin::testing
