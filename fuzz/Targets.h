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

}  // namespace tessarin::fuzz
