// The parts of the file transfer that every platform shares: the range checks
// and the copy through a buffer; the fast copy is in posix/ and windows/.
#include "core/platform/FileTransfer.h"

#include <algorithm>
#include <vector>

#include "core/platform/Native.h"
#include "core/platform/VbError.h"

namespace tessarin {

void CopyThroughBuffer(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out) {
    constexpr std::int64_t kBlock = 1 << 20;
    std::vector<char> block(static_cast<std::size_t>(std::min(length, kBlock)));
    from.Seek(offset);
    while (length > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(length, static_cast<std::int64_t>(block.size())));
        from.ReadExact(block.data(), n);  // the fault seam's Read check
        out.Write(block.data(), n);       // and its Write check, once per block
        length -= static_cast<std::int64_t>(n);
    }
}

void CopyBetweenFiles(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out) {
    if (length <= 0) return;
    if (!from.IsOpen() || !out.IsOpen()) throw VbError(vberr::BadFileNameOrNumber);
    if (offset < 0) throw VbError(vberr::BadRecordNumber);
    // Nothing is copied unless all of it is there.
    if (offset > from.Length() || length > from.Length() - offset) throw VbError(vberr::InputPastEnd);
    native::CopyFileData(from, offset, length, out);
}

}  // namespace tessarin
