#pragma once
// Giving a file a second name in its folder, so its bytes outlive the first
// name being renamed over.
#include <string>

namespace tessarin {

// Makes newName (same folder, must not exist) name the bytes of existing: a
// hard link where the file system has them (true: both names are one file),
// otherwise a synced copy of its bytes (false). Throws VbError when neither
// works; a copy that failed half way is removed.
bool AddSecondName(const std::string& existing, const std::string& newName);

}  // namespace tessarin
