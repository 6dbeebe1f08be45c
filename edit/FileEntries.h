#pragma once
// Which entry a file below a folder becomes, by the rules an inflated export
// names its files: the path without its extension is the full name, the
// extension names the type code.
#include <optional>
#include <string>
#include <vector>

#include "core/ARCFileCls.h"
#include "core/ExtTypes.h"

namespace tessarin {

// The type code an extension stands for: the first row of the table whose
// name equals it, the case of ASCII letters ignored (only rows whose code is
// written as an entry's code is, as the export would have used them); else the
// extension read as hexadecimal, 1 to 8 digits of either case; else nullopt.
std::optional<std::int32_t> TypeCodeOfExtension(const std::string& extension, const ExtTypeTable& table);

// A file and the entry it becomes: its key and type code only, so that a
// folder of many files costs little more than the directory written from it;
// RecordOf gives the whole record.
struct FileEntry {
    std::string file;  // below the folder, components joined by "/"
    std::string key;   // the entry's ArcFileKey
    std::int32_t code = 0;
    std::int64_t listedSize = -1;  // as the folder's listing gave it, -1 unknown
};

// The record of the entry entry becomes, types naming its type.
ARCFileCls RecordOf(const FileEntry& entry, const ExtTypeIndex& types);

// The entry for relative ("/"-joined components, as the folder walk lists
// them), or nullopt with refusal set: a part the export would not write as it
// is, no usable extension, or a full name NewNameRefusal refuses.
std::optional<FileEntry> EntryOfFile(const std::string& relative, const ExtTypeTable& table,
                                     const ExtTypeIndex& types, std::string& refusal);

// Refusals for a list of files turned into entries: every file that gives no
// entry, and every key that two files give, each naming the file(s).
struct FileEntryList {
    std::vector<FileEntry> entries;  // in the order of the files
    std::vector<std::string> refusals;
};
FileEntryList EntriesOfFiles(const std::vector<std::string>& files, const ExtTypeTable& table);

// The order a new archive's entries take: the code page 936 bytes of their
// names, the type code (as unsigned) between equal names.
void SortForNewArchive(std::vector<FileEntry>& entries);

}  // namespace tessarin
