#pragma once
// Replacing an entry's data with a file from disk, rewriting the archive.
#include <string>

#include "app/Program.h"

namespace tessarin {

// The command: replaces the selected entry and reports "替换完成。"; true when it did.
bool ReaplceFile(Program& program, WindowHandle hwnd);

// Asks for the source (owner: hwnd), deflates it and rewrites the archive.
// True when the entry was replaced.
bool ReplaceEntry(Program& program, const std::string& name, const std::string& typeHex, WindowHandle hwnd);

}  // namespace tessarin
