#include "core/ArcState.h"

namespace tessarin {

void AddArcEntry(ArcEntryList& ArcEntries, const std::string& fileName, const std::string& folderPath,
                 const std::string& fullName, const std::string& type, std::int32_t zipSize,
                 std::int32_t orgSize, std::int32_t offset, const std::string& typeHex) {
    ARCFileCls& record = ArcEntries.emplace_back();
    record.ArcFileKey.reserve(fullName.size() + 1 + typeHex.size());
    record.ArcFileKey.append(fullName).append(".").append(typeHex);
    record.ArcFileName = fileName;
    record.ArcFilePath = folderPath;
    record.ArcFileType = type;
    record.ArcFileTypeHex = typeHex;
    record.ArcFileZipSize = zipSize;
    record.ArcFileOrgSize = orgSize;
    record.ArcFileOFSET = offset;
}

ARCFileCls* FindEntryByKey(ArcEntryList& entries, std::string_view key) {
    for (auto& entry : entries)
        if (entry.ArcFileKey == key) return &entry;
    return nullptr;
}

const ARCFileCls* FindEntryByKey(const ArcEntryList& entries, std::string_view key) {
    for (const auto& entry : entries)
        if (entry.ArcFileKey == key) return &entry;
    return nullptr;
}

std::string BaseNameOf(std::string_view fullName) {
    auto slash = fullName.rfind('\\');
    return std::string(slash == std::string_view::npos ? fullName : fullName.substr(slash + 1));
}

std::string FolderPathOf(std::string_view fullName) {
    auto slash = fullName.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(fullName.substr(0, slash + 1));
}

std::string FullNameOfKey(std::string_view key) {
    auto dot = key.rfind('.');
    return std::string(dot == std::string_view::npos ? key : key.substr(0, dot));
}

}  // namespace tessarin
