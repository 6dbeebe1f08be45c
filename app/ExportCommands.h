#pragma once
// The window's export and replace commands: each gathers its inputs first
// (the selected node, the pickers, Check1) and then runs the operation with
// them as its request.
#include "state/Program.h"

namespace tessarin {

// Exports the selected entry into a folder the user picks (owner: hwnd).
// True when the file was written.
bool ExtSub(Program& program, WindowHandle hwnd);

// Exports every entry under a folder the user picks, in the archive's folder
// structure. True when every entry's file was written.
bool ExportAllEntries(Program& program);

// 导出 on the tree's selection: one entry node is exported on its own, as
// ExtSub does; a folder node, or several nodes, export every entry they stand
// for into a folder the user picks (owner: hwnd).
bool ExportSelection(Program& program, WindowHandle hwnd);

// 替换: replaces the selected entry with a file the user picks (owner: hwnd)
// and reports "替换完成。"; true when it did.
bool ReplaceFile(Program& program, WindowHandle hwnd);

}  // namespace tessarin
