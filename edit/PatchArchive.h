#pragma once
// The archive of what B adds and changes against A: a new archive holding B's
// added and changed entries with B's stored bytes, names and type codes, in
// B's directory order, written as a new archive is (beside, synced, put in
// place only if the name is free).
#include <string>

#include "extract/ArchiveCompare.h"
#include "state/Program.h"

namespace tessarin {

// Writes the patch of comparison (A against B, made with checkAdded) at patchPath. Refused, after a
// message and writing nothing, when an entry of B that would go in is damaged
// or patchPath is taken. Polls the stop between entries. False after a message
// or when stopped.
bool WritePatchArchive(Program& program, const ComparedArchive& b, const ArchiveComparison& comparison,
                       const std::string& patchPath);

}  // namespace tessarin
