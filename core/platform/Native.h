#pragma once
// Inside the platform layer only: the few system operations that the shared
// files of core/platform/ build on. Each platform's folder (posix/, windows/)
// defines them; nothing outside core/platform/ includes this header.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessarin::native {

// Removes a file (program text path); 0 on success, otherwise the classic error
// number. Refuses folders and devices (75) and files another open holds (70).
int RemoveFile(const std::string& path);

// The permissions a new file that replaces the file at path is created with:
// that file's own, owner-only read and write when there is none.
unsigned PermissionsForReplacementOf(const std::string& path);

// A number that tells this process from others running at the same time.
unsigned long CurrentProcessId();

// Every double-byte pair of code page 936 as the system converts it: lead << 8 |
// trail with the one code point both bytes give. Pairs the system rejects, or
// turns into anything other than exactly one code point, are left out.
std::vector<std::pair<std::uint16_t, char32_t>> SystemCp936Pairs();

}  // namespace tessarin::native

namespace tessarin {
class BinaryFile;
namespace native {
// Copies length bytes of from, starting at offset, to out's position; the range
// has been checked. The fastest way the platform offers.
void CopyFileData(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out);
}  // namespace native
// The copy every platform can fall back on: through a buffer of at most 1 MiB.
void CopyThroughBuffer(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out);
// The part of NativeNameRefusal that holds on every platform (see FileSystem.h).
const char* CommonNameRefusal(std::string_view component);
}  // namespace tessarin
