#pragma once
// Replacing an entry's data with a file from disk, rewriting the archive.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "state/Program.h"
#include "core/ArcWriter.h"

namespace tessarin {

// What a replacement writes: the entry key gets the data of the file source.
struct ReplaceRequest {
    std::string key;
    std::string source;
};

// Deflates the source, rewrites the archive with it as the entry's data and
// reports "替换完成。"; true when the entry was replaced.
bool ReplaceEntry(Program& program, const ReplaceRequest& request);

// Before a rewrite: the archive can be read, its path still names the file
// this program holds locked, its layout allows a rewrite and it is not read
// only. False after a message. Writes nothing.
bool CheckArchiveCanBeRewritten(Program& program);

// Decides about an exception a write function threw: true when it has shown
// its message (the rewrite then ends with false), false to let it through.
using RewriteFailureView = std::function<bool(std::exception_ptr)>;

// The bytes a rewrite of the open archive with plan tells as it goes (see
// RewriteBytes): the bar's range of long work around it.
std::uint64_t RewriteBytesOf(Program& program, const RewritePlan& plan);

// Thrown where a rewrite is told to stop (the user, or the program ending).
struct RewriteStopped {};

// For a write function of a rewrite while it waits for its source's deflate:
// the source bytes read so far join the long work's progress, the window's
// events run, and RewriteStopped is thrown when the work is to stop.
void WhileSourceIsDeflated(Program& program, std::int64_t sourceBytesRead);

// Rewrites the open archive with new data for some entries: a temporary file
// beside it (after the stale ones a killed run left there are removed), synced,
// then renamed over it, unless the path names another file by then. Afterwards the archive is open, locked, under a new file number and
// the records carry the new sizes and offsets. False after a message (the
// archive then unchanged); the file work's failures have their own messages.
// It runs as long work (unless inside long work of the caller's) and lets
// window events run while it copies: a stop asked for then (or the program
// ending) abandons the new file; the stop is only looked at before the rename.
bool RewriteArchive(Program& program, const std::vector<NewEntryData>& replacements,
                    const RewriteFailureView& onFailure);
// The same for any plan: entries replaced, dropped, renamed and appended. The
// records afterwards are the ones written (the tree is the caller's to update).
bool RewriteArchive(Program& program, const RewritePlan& plan, const RewriteFailureView& onFailure);

}  // namespace tessarin
