#pragma once
// The fuzzing targets' entry functions: each takes one input and runs it
// through the program's own code, aborting on a result that breaks the code's
// promises. The libFuzzer mains (clang) and the corpus regression test (ctest)
// call the same functions.
#include <cstddef>
#include <cstdint>

namespace tessarin::fuzz {

// The directory reader and the layout check, on an archive of these bytes.
void ReaderTarget(const std::uint8_t* data, std::size_t size);
// The type table parser and the lookup, on a table of these bytes.
void TypeTableTarget(const std::uint8_t* data, std::size_t size);
// The JSON listing of an archive of these bytes (and the escaping of the bytes
// as text): the document must be valid JSON whatever the names hold.
void ListingTarget(const std::uint8_t* data, std::size_t size);
// Inflation of arbitrary stored bytes (after a 4-byte recorded original size,
// little-endian): streamed and whole, fast and zlib, the same results, never
// more bytes than recorded.
void CodecTarget(const std::uint8_t* data, std::size_t size);
// The export's path rule on an entry named by these bytes (code page 936): a
// name it accepts stays inside the chosen folder, one plain name per part.
void ExportPathTarget(const std::uint8_t* data, std::size_t size);
// A replacement round trip: byte 0 picks the entry, bytes 1-2 (little-endian)
// give the length of the new data that follows, the rest is the archive. The
// rewritten archive reads back with the new data in that entry and every other
// entry's stored bytes unchanged.
void ReplaceTarget(const std::uint8_t* data, std::size_t size);

// A key for a new entry (code page 936 bytes): one the rules accept reads back
// unchanged from an archive written with it, and an export can write it.
void NewKeyTarget(const std::uint8_t* data, std::size_t size);
// The export record: what parses formats to a text that parses the same.
void ExportRecordTarget(const std::uint8_t* data, std::size_t size);
// A rewrite that drops, renames and appends entries (byte 0 says which, byte 1
// which entries, the rest is the archive): it reads back with every kept
// entry's stored bytes, the new name and the new data.
void RewriteTarget(const std::uint8_t* data, std::size_t size);

}  // namespace tessarin::fuzz
