#pragma once
// import --add: the files of an imported folder that match no entry become new
// entries, after the existing ones, named by the rules a new archive uses.
#include "replace/Import.h"

namespace tessarin {

// Fills plan.added from plan.strays (in a new archive's order). Refused, after
// one message naming the files: names that cannot be entries, folders too
// deep to be read, keys the archive or another file already has, files of
// 1 GiB or more, more entries than a directory holds. False after a message.
bool PlanImportAdditions(Program& program, ImportPlan& plan);

}  // namespace tessarin
