#pragma once
// Putting a patch archive's entries into the open archive in one rewrite: an
// entry whose key the archive has replaces it, a new key is added after the
// archive's entries; the patch's stored bytes go in as they are.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "state/Program.h"

namespace tessarin {

struct MergePlan {
    std::string patchPath;
    BinaryFile patch;          // held open (writers kept out) until the rewrite
    ArcEntryList patchEntries;  // the patch's records, in its order
    // (the open archive's entry, the patch's entry), in the archive's order.
    std::vector<std::pair<std::size_t, std::size_t>> replaced;
    std::vector<std::size_t> added;  // the patch's entries that are new, in its order
};

// Reads the patch archive at patchPath and checks it before anything is
// written: its directory reads whole, every entry's stream inflates to its
// recorded size, no key comes twice, and the archive can take the new entries.
// Lets window events run between entries; a stop ends it. False after a
// message (none when stopped).
bool PlanMerge(Program& program, const std::string& patchPath, MergePlan& plan);

// Rewrites the open archive with the planned entries, once (stoppable long
// work, kept for 撤销 in the window). False after a message or when stopped.
bool ApplyMerge(Program& program, MergePlan& plan);

}  // namespace tessarin
