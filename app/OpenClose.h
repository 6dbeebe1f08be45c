#pragma once
// Opening and closing the archive, with all their window effects.
#include "state/Program.h"

namespace tessarin {

inline constexpr const char* kArcFilter = "ARC文件 (*.ARC)|*.ARC";

// Asks for an archive, reads its directory and builds the tree.
void LoadArcFile(Program& program);
// Closes the archive and resets the window.
void UnLoadArcFile(Program& program);

}  // namespace tessarin
