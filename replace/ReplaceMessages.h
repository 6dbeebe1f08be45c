#pragma once
// The messages a replacement shows about its source file and the deflation,
// which an import of a folder shows in the same words.
#include <string>

#include "core/platform/VbError.h"
#include "state/Program.h"

namespace tessarin {

// A source of 1 GiB or more: its deflated data could not be recorded.
void ShowSourceTooLarge(Program& program, const std::string& path);
// A source that could not be opened or read.
void ShowSourceFailure(Program& program, const std::string& path, const VbError& error);
// zlib's failures (Z_MEM_ERROR, Z_BUF_ERROR), with the texts of the one-shot codec.
void ShowDeflateFailure(Program& program, int code);

}  // namespace tessarin
