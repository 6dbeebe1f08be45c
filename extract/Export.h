#pragma once
// Exporting one entry or all of them.
#include <cstdint>
#include <string>
#include <vector>

#include "state/Program.h"

namespace tessarin {

// Writes one entry's stored bytes (Check1 ticked) or inflated data to outputPath.
bool ExportEntryFile(Program& program, std::int32_t offset, std::int32_t uncompressedSize,
                     std::int32_t storedSize, const std::string& outputPath);

// Exports the selected entry into a folder the user picks (owner: hwnd).
// True when the file was written.
bool ExtSub(Program& program, WindowHandle hwnd);

// Refuses an entry whose file (path) an earlier entry (firstKey) of the same
// run has written already: it would be replaced.
void ShowCollision(MessageSink& messages, const std::string& path, const std::string& key,
                   const std::string& firstKey);

// Exports every entry under a folder the user picks, in the archive's folder
// structure. True when every entry's file was written.
bool ExportAllEntries(Program& program);

// The same into folder, which must not exist yet: the export makes it and owns
// it. It is made under a hidden temporary name beside where it belongs and
// given its name when the run ends (stopped or failed too), so a run that is
// killed leaves the hidden folder and never a half-written file at folder;
// inside it each file is written under its own name, without the temporary
// and the rename that a file in an existing folder needs.
bool ExportAllEntriesIntoNewFolder(Program& program, const std::string& folder);

// Some entries of the open archive: their indices in ArcEntries, in directory
// order, and how much of each one's folder path to leave out (a folder key
// they all begin with), so that the files land below the chosen folder in the
// structure below that archive folder.
struct EntrySubset {
    std::vector<std::size_t> indices;
    std::size_t skippedFolderChars = 0;
};

// Exports the entries of subset under a folder the user picks (owner: hwnd)
// as the export of all entries does: files in the way are replaced, progress
// and stop as long work, raw or inflated as Check1 says. True when every
// entry's file was written.
bool ExportEntrySubset(Program& program, WindowHandle hwnd, const EntrySubset& subset);

}  // namespace tessarin
