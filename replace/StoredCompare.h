#pragma once
// Whether a file holds exactly what an inflated export of an entry writes,
// found by inflating the stored stream block by block beside the file's bytes.
#include <cstdint>

#include "core/ARCFileCls.h"
#include "core/platform/BinaryFile.h"

namespace tessarin {

// True when file's bytes are the entry's inflated data padded with zero bytes
// to its original size. A stream that does not inflate (damaged, longer than
// the original size, cut short) equals no file. Throws VbError when a file
// cannot be read; stored data outside the archive throws VbError 62.
bool FileEqualsInflatedEntry(BinaryFile& archive, const ARCFileCls& entry, BinaryFile& file);

}  // namespace tessarin
