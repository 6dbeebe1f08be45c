#pragma once
// Small file-system operations the commands need, with classic error numbers.
// Paths are the program's text: escaped bytes become the raw bytes on disk.
#include <cstdint>
#include <string>

#include "core/platform/BinaryFile.h"

namespace tessarin {

// The platform's path separator on disk ("/" here; archive paths keep "\").
constexpr char kNativeSeparator = '/';

// The folder that holds the running executable, without a trailing separator.
std::string ProgramFolder();

// True for an existing regular file (a folder counts as absent).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// True when this program may write the file.
bool IsWritableFile(const std::string& path);

// Deletes a file; throws VbError (53 when absent, 70/75 when refused). A file
// another open holds locked (70) and anything but a file or link (75) stay.
void DeleteFile(const std::string& path);
// Deletes a file if it is there; returns false when it was not or could not be deleted.
bool TryDeleteFile(const std::string& path);

// Creates a folder with all its missing parents; throws VbError when it cannot.
void CreateDirectories(const std::string& path);

// Atomically renames from over to (same folder); with syncFolder the folder's
// entry is flushed to the disk too, so the new name survives a crash.
void ReplaceFileAtomically(const std::string& from, const std::string& to, bool syncFolder = true);

// Creates a new, locked, hidden file in path's folder to be renamed over path
// later; tempPath receives its name (empty when nothing could be created).
BinaryFile CreateTemporaryBeside(const std::string& path, std::string& tempPath);

// The folder part of a path (everything before its last separator).
std::string ParentFolder(const std::string& path);

}  // namespace tessarin
