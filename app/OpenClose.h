#pragma once
// Opening and closing the archive, with all their window effects.
#include <string>

#include "state/Program.h"

namespace tessarin {

inline constexpr const char* kArcFilter = "ARC文件 (*.ARC)|*.ARC";

// How much of the entry tree an open builds: the whole tree, or the root node
// alone for a command that works on every entry and never selects one (the
// tree of an archive whose folders differ all the way down would be the
// largest thing such a command holds).
enum class OpenTree { Whole, RootOnly };

// Asks for an archive, reads its directory and builds the tree.
void LoadArcFile(Program& program);
// Opens the archive at path (program text), as LoadArcFile does with the
// path picked. True when it is open; a message has said why otherwise.
bool OpenArchiveAt(Program& program, const std::string& path, OpenTree tree = OpenTree::Whole);
// Closes the archive and resets the window.
void UnLoadArcFile(Program& program);

}  // namespace tessarin
