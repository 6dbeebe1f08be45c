#pragma once
// Importing a folder laid out as an inflated export of the archive writes it:
// every entry whose file differs from the entry's inflated data gets the file's
// deflated bytes, all in one rewrite of the archive.
#include <cstddef>
#include <string>
#include <vector>

#include "replace/ImportRecord.h"
#include "state/Program.h"

namespace tessarin {

struct ImportItem {
    std::size_t index = 0;  // the entry, 0-based in directory order
    std::string file;       // below the folder, components joined by "/"
};

// A file that becomes a new entry, after the existing ones.
struct ImportAddition {
    std::string file;  // below the folder, components joined by "/"
    ARCFileCls record;
};

struct ImportPlan {
    std::string folder;
    std::vector<ImportItem> changed;     // directory order
    std::vector<std::string> unmatched;  // files (and links, never followed) that match no entry
    std::vector<std::string> strays;     // the plain files among them
    std::vector<std::string> tooDeep;    // folders among them past the walk's depth, never entered
    std::vector<ImportAddition> added;   // new entries, in this order (left empty by PlanImport)
    ImportRecord record;                 // the folder's export record, and the files known unchanged
};

// The file an inflated export writes for an entry (see PlaceOf), relative to
// the chosen folder (components joined by "/"); "" for an entry whose name
// could lead outside it, which no export writes.
std::string ExportedFileOf(const ARCFileCls& entry);

// Matches the files below folder to the open archive's entries and keeps those
// whose content differs from what an inflated export of the entry writes
// (compared block by block, never whole in memory). A file the folder's
// trusted export record shows unchanged is not read, unless checkAll. Polls
// StopRequested and advances progress bar 2. A file of 1 GiB or more, which the
// format cannot store, is refused before it is read. False after a message, or
// when stopped.
bool PlanImport(Program& program, const std::string& folder, ImportPlan& plan, bool checkAll = false);

// Everything ApplyImport checks before it writes (the archive still at its
// path, its layout, not read only), for a run that only says what it would do.
// Sizes of the sources are checked by PlanImport. False after a message.
bool CheckImportCanBeApplied(Program& program, const ImportPlan& plan);

// Deflates the changed and the added files in parallel (a worker per core, a
// bounded number of finished files waiting) and rewrites the archive once with
// them, then brings the folder's export record up to date. False after a
// message, or when stopped; the archive is then unchanged.
bool ApplyImport(Program& program, const ImportPlan& plan);

}  // namespace tessarin
