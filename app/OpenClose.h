#pragma once
// Opening and closing the archive, with all their window effects.
#include <string>

#include "state/Program.h"

namespace tessarin {

inline constexpr const char* kArcFilter = "ARC文件 (*.ARC)|*.ARC";

// Asks for an archive, reads its directory and builds the tree.
void LoadArcFile(Program& program);
// Opens the archive at path (program text), as LoadArcFile does with the
// path picked. True when it is open; a message has said why otherwise.
bool OpenArchiveAt(Program& program, const std::string& path);
// Closes the archive and resets the window.
void UnLoadArcFile(Program& program);

}  // namespace tessarin
