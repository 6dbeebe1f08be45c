#pragma once
// The open archive's state: its path, its file number and its entry records.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ARCFileCls.h"

namespace tessarin {

struct ArcState {
    std::string OpenArcPath;       // "" when no archive is open
    std::int16_t ArcFileNum = 0;   // 0 when no file number has been taken
    ArcEntryList ArcEntries;       // directory order
};

// Appends one record built from the values of a directory record.
void AddArcEntry(ArcEntryList& ArcEntries, const std::string& fileName, const std::string& folderPath,
                 const std::string& fullName, const std::string& type, std::int32_t zipSize,
                 std::int32_t orgSize, std::int32_t offset, const std::string& typeHex);

// The first record whose key equals key exactly, or nullptr.
ARCFileCls* FindEntryByKey(ArcEntryList& entries, std::string_view key);
const ARCFileCls* FindEntryByKey(const ArcEntryList& entries, std::string_view key);

// The parts of a full name: after its last "\" and up to and including it.
std::string BaseNameOf(std::string_view fullName);
std::string FolderPathOf(std::string_view fullName);

// A key cut before its last "." (the entry's full name); the whole key if it has none.
std::string FullNameOfKey(std::string_view key);

}  // namespace tessarin
