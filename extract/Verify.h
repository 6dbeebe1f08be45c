#pragma once
// Checking an archive: every entry inflates to exactly its recorded size, and
// the layout is one a replacement can rewrite. Used by the companion's verify
// and by the window's "检查档案".
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "state/Program.h"
#include "core/ARCFileCls.h"
#include "core/platform/BinaryFile.h"
#include "extract/Codec.h"

namespace tessarin {

struct ArchiveProblem {
    std::string key;     // the entry's key; "" for a problem of the archive as a whole
    std::string reason;  // what is wrong, in words
    // "reason，KEY：key", or the reason alone.
    std::string Text() const;
};

struct ArchiveCheck {
    std::vector<ArchiveProblem> problems;  // entries in directory order, then the layout's
    std::size_t checked = 0;               // entries whose data was checked
    bool stopped = false;                  // the check was stopped before the last entry
};

// What is wrong with an inflation's result for an entry of the recorded size:
// a broken or cut stream, or fewer bytes than recorded; "" when it is sound.
std::string InflateProblem(const InflateResult& result, std::int32_t size);

// Why an entry's stream failed to inflate, in plain words, by zlib's result
// code as uncompress gives it (the verify report adds zlib's own words).
std::string InflateProblemText(int code);

// Checks entries against the archive file they were read from, inflating in
// bounded memory (several entries at a time on several cores). After each
// entry, onEntry runs on the calling thread with the number checked so far;
// returning false stops the check after that entry. While waiting, idle runs
// now and then (to let the window repaint).
ArchiveCheck CheckArchive(BinaryFile& archive, const ArcEntryList& entries,
                          const std::function<bool(std::size_t checked)>& onEntry = {},
                          const std::function<void()>& idle = {});

// Checks the open archive's entries as long work (bar 2 by the bytes, panel 1
// counting the entries) that can be stopped between entries.
ArchiveCheck CheckOpenArchive(Program& program);

// The window's command: checks the open archive with ProgressBar2, can be
// stopped, and ends with a report of the failing entries and their reasons,
// or a message that the archive is sound. True when no problem was found.
bool VerifyArchive(Program& program);

// The bytes the check of each entry moves, for progress: its stored bytes read
// and its inflated ones made.
std::vector<std::uint64_t> CheckedBytes(const ArcEntryList& entries);

}  // namespace tessarin
