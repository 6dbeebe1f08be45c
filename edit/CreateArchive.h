#pragma once
// A new archive from a folder laid out as an inflated export writes it.
#include <string>
#include <vector>

#include "edit/FileEntries.h"
#include "state/Program.h"

namespace tessarin {

struct CreatePlan {
    std::string folder;
    std::vector<FileEntry> entries;     // in the new archive's order
    std::vector<std::string> skipped;   // links and other non-files, never followed
};

// Turns every file below folder into an entry with the type table of program
// (see EntryOfFile) and sorts them (SortForNewArchive). Refuses, after one
// message naming the files, names that cannot be entries, two files of one
// key, more than 32,767 files and files of 1 GiB or more. False after a message.
bool PlanCreate(Program& program, const std::string& folder, CreatePlan& plan);

// Writes the planned archive at archivePath, which must not exist: the files
// deflated in parallel at zlib's default level, the data right after the
// directory in the entries' order, version 7; into a temporary file beside it,
// synced, then put in place under its name only if that is still free. Polls
// StopRequested; its progress (bar 2, panel 1) follows the sources' bytes. False after a message, or when
// stopped; nothing is then left at archivePath or beside it.
bool WriteNewArchive(Program& program, const CreatePlan& plan, const std::string& archivePath);

}  // namespace tessarin
