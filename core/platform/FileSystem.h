#pragma once
// Small file-system operations the commands need, with classic error numbers.
// Paths are the program's text (UTF-8; escaped bytes stand for raw name bytes).
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/BinaryFile.h"

namespace tessarin {

// The separator this platform puts between path parts on disk (archive paths keep "\").
#ifdef _WIN32
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif

// True for every character this platform reads as a path separator ("/" on
// POSIX; "/" and "\" on Windows).
constexpr bool IsNativeSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// True where removing the name of a file this program holds open takes the
// name away at once (POSIX). On Windows the name stays until the last handle
// closes, so a file must be closed before its name is removed.
#ifdef _WIN32
constexpr bool kOpenFileLosesNameAtOnce = false;
#else
constexpr bool kOpenFileLosesNameAtOnce = true;
#endif

// The program's text as a path the standard library opens on this platform.
std::filesystem::path NativePath(const std::string& path);
// A path of the standard library as the program's text.
std::string PathText(const std::filesystem::path& path);

// The folder that holds the running executable, without a trailing separator.
std::string ProgramFolder();

// True for an existing regular file (a folder counts as absent).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// True when this program may write the file and its permissions do not mark
// it read only (also for an administrator, whom the system would let write).
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

// The same for a target this program holds open as target (the archive being
// rewritten). Where the system cannot replace an open file (Windows), target is
// closed just before the rename and opened again, in its mode, if the rename
// fails; after a successful rename it is left closed. On POSIX it stays open.
void ReplaceOpenFile(const std::string& from, const std::string& to, BinaryFile& target);

// Creates a new, locked, hidden file in path's folder to be renamed over path
// later; tempPath receives its name (empty when nothing could be created). It
// is created with the permissions of the file at path (owner only when there
// is none), never readable by more users than that file.
BinaryFile CreateTemporaryBeside(const std::string& path, std::string& tempPath);

// The same for a file that becomes a new file at path: it gets the permissions
// any new file gets (0666 less the umask on POSIX), as the file it becomes will.
BinaryFile CreateTemporaryForNewFile(const std::string& path, std::string& tempPath);

// The key under which this platform's file system tells file names (or paths
// below one folder) apart: two names with the same key are one file. The name
// itself on POSIX; on Windows its UTF-16 form with every letter upper-cased
// as the file system compares names (Greek, Cyrillic and full-width letters
// included, not only ASCII).
std::string FileNameCaseKey(std::string_view name);

// The folder part of a path (everything before its last separator).
std::string ParentFolder(const std::string& path);

// The file's real location with every link resolved; the path itself when it
// cannot be resolved.
std::string ResolvedPath(const std::string& path);

// Gives the open file to the permission bits of from, as far as the platform
// has them, and its owner and group where this program may give them away.
void CopyPermissions(const std::string& from, BinaryFile& to);

// Why one name (a single path part, program text) cannot be created as it is
// inside a chosen folder on this platform; nullptr when it can. Everywhere:
// empty, "." and "..", a separator ("/" or "\"), ":" and NUL. On Windows also
// the reserved device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any
// extension), a trailing dot or space, <>"|?* and control characters.
const char* NativeNameRefusal(std::string_view component);
inline bool IsSafeNativeName(std::string_view component) { return NativeNameRefusal(component) == nullptr; }

// The program's arguments (without its own name) in this platform's native form
// (see TextToNative): the bytes given on POSIX, UTF-8 from the UTF-16 command
// line on Windows (where the C runtime's argv would be in the ANSI code page).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Called first thing by each program's main. On POSIX a write past the
// file-size limit (ulimit -f) then fails with EFBIG, reported like a full disk,
// instead of the signal ending the program with its temporaries left behind.
void PreparePlatform();

// Standard output and error pass bytes unchanged (no "\r\n" for "\n" on Windows),
// so listings are the same on every platform.
void UseBinaryStandardStreams();

}  // namespace tessarin
