#pragma once
// The window's import of a folder: asks for the folder, shows what will be
// replaced, and rewrites the archive once.
#include "state/Program.h"

namespace tessarin {

// True when the archive was rewritten (or had nothing to take from the folder).
bool ImportFolder(Program& program);

}  // namespace tessarin
