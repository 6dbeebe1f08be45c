#pragma once
// Writing an archive in the ARC layout, and the layout a rewrite relies on:
// the first record's data begins the data area right after the directory, entry
// data lies in directory order without overlapping, and all of it inside the file.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/ARCFileCls.h"
#include "core/platform/BinaryFile.h"

namespace tessarin {

// Size of the blocks of zero bytes written into the gap.
inline constexpr std::size_t kCopyBlockSize = 1 << 20;

// The name field of a directory record for a full name (program text): its code
// page 936 bytes, then zero bytes up to 64 characters, a lead byte and its trail
// counting as one. A name of exactly 64 characters is written without a zero
// byte, as the reader takes such a field whole; nullopt for a longer name.
std::optional<std::string> NameFieldBytes(const std::string& fullName);

// One reason why the records cannot be written back over the file.
struct LayoutProblem {
    int index = -1;  // 0-based record, -1 for the archive as a whole
    std::string text;
};

// Everything that keeps these records from being rewritten over a file of
// fileLength bytes; empty when a rewrite is safe.
std::vector<LayoutProblem> FindLayoutProblems(const ArcEntryList& entries, std::int64_t fileLength);

// Bytes taken by the header and the directory of these records as written.
// Every name must have a field (see NameFieldBytes).
std::int64_t WrittenDirectoryEnd(const ArcEntryList& entries);
// The same for count records given one by one. The writers use each record
// before they ask for the next, so recordAt may hand out the same object anew.
using RecordAt = std::function<const ARCFileCls&(std::size_t)>;
std::int64_t WrittenDirectoryEnd(std::size_t count, const RecordAt& recordAt);

// Writes, from the start of out: the header (version 7, the record count), one
// directory record per entry, then zero bytes up to the first record's data
// offset. Throws VbError from the file layer.
void WriteArcHead(BinaryFile& out, const ArcEntryList& entries);

// New stored bytes for one entry of a rewrite.
struct NewEntryData {
    std::size_t index = 0;  // the entry, 0-based in directory order
    // Writes the entry's new stored bytes at out's current position (they are
    // counted as its stored size) and returns its original size.
    std::function<std::int32_t(BinaryFile& out)> write;
    std::int64_t sizeHint = 0;  // the source's size as far as known, for progress
};

// The numbers of one directory record as a rewrite wrote them.
struct WrittenRecord {
    std::int32_t ArcFileZipSize = 0;
    std::int32_t ArcFileOrgSize = 0;
    std::int32_t ArcFileOFSET = 0;
};

// The same for numbers.size() records given one by one (recordAt(i)), each
// one's sizes and offset taken from numbers[i]: records kept elsewhere than in
// an ArcEntryList need no copy.
void WriteArcHead(BinaryFile& out, const RecordAt& recordAt, const std::vector<WrittenRecord>& numbers);

// An offset or a stored size of the rewritten archive no longer fits the
// format's signed 32 bits.
struct RewriteOutOfRange {};

// A new entry for the end of the directory: its record (key, names, type;
// sizes and offset are the writer's) and how to write its stored bytes.
struct AppendedEntry {
    ARCFileCls record;
    std::function<std::int32_t(BinaryFile& out)> write;
    std::int64_t sizeHint = 0;  // the source's size as far as known, for progress
};

// What one rewrite does to the entries: every entry not named stays as it is.
struct RewritePlan {
    std::vector<NewEntryData> replacements;  // ascending index, each at most once
    std::vector<std::size_t> dropped;        // ascending index
    // Entries whose key, names and type change (sizes and offset are kept).
    std::vector<std::pair<std::size_t, ARCFileCls>> renamed;
    std::vector<AppendedEntry> appended;     // after the existing entries, in this order
};

inline constexpr std::int64_t kProgressStep = 16 << 20;
// How many entries are done (the old ones, then the appended), and the bytes
// of the rewrite done: the old data area passed over (copied or dropped) and
// the original sizes of the new data written.
using RewriteProgress = std::function<void(std::size_t entriesWritten, std::int64_t bytesDone)>;

// The bytes a rewrite of entries in a file of oldLength bytes tells in all:
// its old data area and the size hints of the new data.
std::int64_t RewriteBytes(const ArcEntryList& entries, std::int64_t oldLength, const RewritePlan& plan);

// Writes the whole archive anew into out (an empty new file) from the old file
// and its records, which must have no layout problems (old may be null when
// there are no records). The data area keeps the old gap's size after the
// directory as written; then, in directory order, each kept entry's old stored
// bytes, each replaced entry's new data, nothing of a dropped entry; the bytes
// between one entry's data and the next are kept; the appended entries' data
// comes after the last entry's, before the bytes that followed it. Then the
// header and the directory, and zero bytes up to the data. Memory stays
// bounded whatever the sizes: data moves between the files in blocks. Returns
// the records as written. Throws VbError, RewriteOutOfRange, and whatever a
// write function throws. With progress, the old data is carried over in steps
// of kProgressStep bytes and progress is told after each step and each new
// entry's data (how many of the old entries, in directory order, and of the
// appended ones are done).
ArcEntryList WriteRewrittenArchive(BinaryFile* old, const ArcEntryList& entries, const RewritePlan& plan,
                                   BinaryFile& out, const RewriteProgress& progress = {});

// The same with new data for some entries only.
ArcEntryList WriteRewrittenArchive(BinaryFile& old, const ArcEntryList& entries,
                                   const std::vector<NewEntryData>& replacements, BinaryFile& out,
                                   const RewriteProgress& progress = {});

}  // namespace tessarin
