#pragma once
// The program's temporary files: a hidden name beside the file they become,
// ".NAME.tessarin-PID-N.tmp", held locked for as long as they are written. A
// run that is killed leaves its temporaries unlocked; the next run that writes
// in the same place removes them.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessarin {

class SafeFolder;

// The temporary name number n of process pid for name (native bytes).
std::string TemporaryName(std::string_view name, unsigned long pid, int n);

// The previous version of name kept while it is open, so one change can be
// taken back: ".NAME.tessarin-undo", held locked like a temporary; and the
// name it is made under before it takes that place.
std::string UndoName(std::string_view name);
std::string UndoNewName(std::string_view name);

// True when file (native bytes) is a temporary or undo name, of name when name
// is not empty, of any file otherwise.
bool IsTemporaryName(std::string_view file, std::string_view name = {});

// Removes the temporaries of path that lie beside it and that no open file
// holds locked (their writer is gone). Only plain files with a temporary's
// name go; links, folders and everything else stay, and no link is followed.
// Returns how many were removed; a folder that cannot be read removes none.
std::size_t RemoveStaleTemporariesBeside(const std::string& path);

// The same for the temporaries of any name directly in folder.
std::size_t RemoveStaleTemporariesIn(const SafeFolder& folder);

}  // namespace tessarin
