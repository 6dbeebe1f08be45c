#pragma once
// What tests compare after a command: a folder's names, the files below a
// folder with their bytes, an archive's records; and files laid out to start from.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/ARCFileCls.h"

namespace tessarin::testing {

// Path below a folder ("/" between parts) -> bytes.
using FileTree = std::map<std::string, std::string>;

// Names in a folder, sorted.
std::vector<std::string> FolderListing(const std::string& folder);

// Every regular file below root (none when root is missing), temporaries
// included so that none may be left; the export's record is left out, as its
// stamps differ from run to run and its own tests look at it.
FileTree FilesBelow(const std::string& root);

// Writes each file below root ("/"-joined path), making its folders, in the order given.
void WriteFiles(const std::string& root, const std::vector<std::pair<std::string, std::string>>& files);

// Every field a rewrite may change or must keep, one line per record.
std::vector<std::string> Records(const ArcEntryList& entries);

}  // namespace tessarin::testing
