#pragma once
// Whether a path still names the file a program holds open. A lock is taken on
// an open file, not on a name: a file that was renamed over the path between
// the open and the lock leaves the lock on a file nobody reaches by that path
// any more, and whatever is written from it would overwrite the newer file.
#include <functional>
#include <string>

#include "core/platform/BinaryFile.h"

namespace tessarin {

// True when path names the very file that file has open (same device and
// inode; on Windows the same volume serial number and file index). False when
// the path names another file, or nothing.
bool PathNamesOpenFile(const std::string& path, const BinaryFile& file);

// The same for the name itself, no link followed: false also when path is a
// link (symbolic link or other reparse point), whatever it leads to.
bool NameIsOpenFile(const std::string& path, const BinaryFile& file);

// Opens path in a locked mode and, once the lock is held, confirms that the
// path still names the locked file. A file replaced in between is opened
// again, a few times; then VbError 70 (the file is in use).
BinaryFile OpenLockedCurrent(const std::string& path, OpenMode mode);

// Test seam: called after each open and lock in OpenLockedCurrent, before the
// check (a test renames another file over the path there). Empty: nothing.
void SetAfterLockHookForTesting(std::function<void()> hook);

}  // namespace tessarin
