#pragma once
// Writing an archive in the ARC layout, and the layout a rewrite relies on:
// the first record's data begins the data area right after the directory, entry
// data lies in directory order without overlapping, and all of it inside the file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ARCFileCls.h"
#include "core/platform/BinaryFile.h"

namespace tessarin {

// Size of the blocks in which archive data is copied from the old file.
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

// Writes, from the start of out: the header (version 7, the record count), one
// directory record per entry, then zero bytes up to the first record's data
// offset. Throws VbError from the file layer.
void WriteArcHead(BinaryFile& out, const ArcEntryList& entries);

// Copies length bytes of from, starting at offset, to out's current position,
// one block at a time. Throws VbError (62 when from ends early).
void CopyFileRange(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out);

}  // namespace tessarin
