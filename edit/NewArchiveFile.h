#pragma once
// Writing a new archive file: into a temporary file beside its path, synced,
// then put in place under its name only if that is still free. Shared by the
// commands that make archives (create, a patch archive of differences).
#include <exception>
#include <functional>
#include <string>

#include "core/ArcWriter.h"
#include "state/Program.h"

namespace tessarin {

// Thrown by an entry's write function when the user asked to stop: nothing is
// left behind.
struct NewArchiveStopped {};

// Lets window events run; throws NewArchiveStopped when a stop was asked for
// or the program is ending.
void PollNewArchiveStop(Program& program);

// Whether archivePath is free for a new archive: false after a message when a
// file or folder is there. Removes the temporary files a killed run left beside it.
bool NewArchivePathFree(Program& program, const std::string& archivePath);

struct NewArchiveHooks {
    // Runs before the temporary file goes after a failure or a stop (whatever
    // writes beside it ends first).
    std::function<void()> release;
    // Shows a failure of an entry's source and returns true, or returns false
    // to have it shown as a failure to write the new archive.
    std::function<bool(const std::exception_ptr&)> showSourceFailure;
};

// Writes a whole archive into out, a new empty file. May throw
// NewArchiveStopped, RewriteOutOfRange, VbError and what its sources throw.
using NewArchiveWriter = std::function<void(BinaryFile& out)>;

// Writes the archive write gives at archivePath (see NewArchivePathFree first),
// a new file's permissions (0666 less the umask). False after a message, or
// when stopped; nothing is then left at archivePath or beside it.
bool WriteArchiveFile(Program& program, const NewArchiveWriter& write, const std::string& archivePath,
                      const NewArchiveHooks& hooks = {});
// The same for an archive of plan's appended entries.
bool WriteArchiveFile(Program& program, const RewritePlan& plan, const std::string& archivePath,
                      const NewArchiveHooks& hooks = {});

}  // namespace tessarin
