#pragma once
// One level of undo for the window's changes. Just before a rewrite renames
// the new archive over the old one, the old one gets a second, hidden name
// beside it (a hard link, or a copy); afterwards that file is the previous
// version, held locked while the archive is open and put back by one rename.
#include <cstdint>
#include <string>

#include "core/ArcWriter.h"
#include "core/platform/VbError.h"
#include "state/Program.h"

namespace tessarin {

// The previous version in the making, between its second name and the rename.
struct PendingUndo {
    std::string newPath;   // the second name, "" when no undo is kept
    std::string undoPath;  // where it goes once the rewrite stands
    bool sameFile = false; // a hard link: the old archive's open file holds it
};

// The previous version could not be given its hidden name: a folder, or a
// file that cannot go, is in the way (path names it).
struct UndoNameFailure {
    std::string path;
    VbError error;
};

// Before the rename: the archive at archivePath under its undo-new name, when
// program keeps undo. Throws UndoNameFailure when that cannot be made, or when
// a folder takes the undo name itself (nothing else written).
PendingUndo PrepareUndoCopy(const Program& program, const std::string& archivePath);
// The rename did not happen: the second name goes.
void AbandonUndoCopy(PendingUndo& pending);
// After the rename: the second name becomes program.undo (an older one goes);
// oldNumber is the replaced archive's file number, kept as the undo's or
// closed here. Where this fails the change stands and there is nothing to undo.
void KeepUndoCopy(Program& program, PendingUndo& pending, std::int16_t oldNumber, const std::string& what);
// The archive is closed: the previous version goes.
void DropUndoCopy(Program& program);

// What a plan changes, as the status bar names it ("删除 3 个对象").
std::string DescribeChange(const RewritePlan& plan);

// 撤销: the previous version back at the archive's path by one atomic rename,
// its directory read first. True when done: the records are its records (the
// tree is the caller's). False after a message, the archive as it was.
bool PutBackUndoCopy(Program& program);

}  // namespace tessarin
