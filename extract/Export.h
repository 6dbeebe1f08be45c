#pragma once
// Exporting one entry or all of them.
#include <cstdint>
#include <string>
#include <vector>

#include "state/Program.h"

namespace tessarin {

// Where an export writes and how: into folder (as the picker gives it), the
// entries' stored bytes (raw: Check1 ticked) or their inflated data.
struct ExportRequest {
    std::string folder;
    bool raw = false;
    // Exporting every entry: folder must not exist yet and the export makes it
    // and owns it. It is made under a hidden temporary name beside where it
    // belongs and given its name when the run ends (stopped or failed too), so
    // a run that is killed leaves the hidden folder and never a half-written
    // file at folder; inside it each file is written under its own name,
    // without the temporary and the rename that a file in an existing folder needs.
    bool newFolder = false;
};

// Writes one entry's stored bytes (raw) or inflated data to outputPath.
bool ExportEntryFile(Program& program, std::int32_t offset, std::int32_t uncompressedSize,
                     std::int32_t storedSize, const std::string& outputPath, bool raw);

// Exports the entry key into the request's folder under its record's name (the
// text its tree node shows; found without the tree), asking before it replaces
// a file there; "资源文件导出完成。" when done. True when the file was written.
bool ExportOneEntry(Program& program, const ExportRequest& request, const std::string& key);

// Refuses an entry whose file (path) an earlier entry (firstKey) of the same
// run has written already: it would be replaced.
void ShowCollision(MessageSink& messages, const std::string& path, const std::string& key,
                   const std::string& firstKey);

// Some entries of the open archive: their indices in ArcEntries, in directory
// order, and how much of each one's folder path to leave out (a folder key
// they all begin with), so that the files land below the chosen folder in the
// structure below that archive folder.
struct EntrySubset {
    std::vector<std::size_t> indices;
    std::size_t skippedFolderChars = 0;
};

// Exports the entries of subset (null: every entry) under the request's
// folder in the archive's folder structure: files in the way are replaced,
// progress and stop as long work. True when every entry's file was written.
bool ExportEntries(Program& program, const ExportRequest& request, const EntrySubset* subset = nullptr);

}  // namespace tessarin
