#pragma once
// Putting a finished new file under its final name without ever replacing a
// file that appeared there meanwhile.
#include <string>

namespace tessarin {

// Renames from to to (same folder) only when nothing is at to: a file there
// stays as it is and VbError 58 is thrown. The folder's entry is then flushed
// to the disk, so the new name survives a crash. Other failures throw VbError.
void PlaceNewFile(const std::string& from, const std::string& to);

}  // namespace tessarin
