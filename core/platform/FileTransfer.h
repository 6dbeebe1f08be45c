#pragma once
// Moving large amounts of data between open files with little memory.
#include <cstdint>
#include <string>

#include "core/platform/BinaryFile.h"

namespace tessarin {

// Copies length bytes of from, starting at offset, to out's current position
// (which advances by length), inside the kernel where it can (sharing the
// blocks on file systems that can), otherwise through a buffer of at most
// 1 MiB. Throws VbError: 62 when from ends early, the file layer's numbers
// otherwise. Passes the fault seam's Read and Write checks once per block.
void CopyBetweenFiles(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out);

// A new, locked file in the folder of path that has no name at all: it goes
// away when closed, also when the program is killed. Throws VbError.
BinaryFile CreateScratchFileBeside(const std::string& path);

}  // namespace tessarin
