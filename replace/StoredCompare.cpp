#include "replace/StoredCompare.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/platform/VbError.h"

namespace tessarin {

namespace {
constexpr std::size_t kBlock = 64 << 10;

struct Inflater {
    z_stream z{};
    bool live = false;
    ~Inflater() {
        if (live) inflateEnd(&z);
    }
};

// Compares the next n bytes of file with expected; false on any difference or an early end.
bool NextBytesAre(BinaryFile& file, const unsigned char* expected, std::size_t n, std::vector<unsigned char>& buffer) {
    while (n > 0) {
        const std::size_t step = std::min(n, buffer.size());
        if (file.Read(buffer.data(), step) != step) return false;
        if (expected != nullptr) {
            if (std::memcmp(buffer.data(), expected, step) != 0) return false;
            expected += step;
        } else if (std::any_of(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(step),
                               [](unsigned char b) { return b != 0; })) {
            return false;
        }
        n -= step;
    }
    return true;
}
}  // namespace

bool FileEqualsInflatedEntry(BinaryFile& archive, const ARCFileCls& entry, BinaryFile& file) {
    if (entry.ArcFileOrgSize < 0 || entry.ArcFileZipSize < 0 || entry.ArcFileOFSET < 0) return false;
    // No stored bytes and no original size: the export writes an empty file
    // without reading the archive.
    if (entry.ArcFileZipSize == 0 && entry.ArcFileOrgSize == 0) {
        unsigned char any;
        file.Seek(0);
        return file.Read(&any, 1) == 0;
    }
    const std::int64_t end = static_cast<std::int64_t>(entry.ArcFileOFSET) + entry.ArcFileZipSize;
    if (end > archive.Length()) throw VbError(vberr::InputPastEnd);
    if (file.Length() != entry.ArcFileOrgSize) return false;  // a first look; the bytes decide

    Inflater inf;
    if (inflateInit(&inf.z) != Z_OK) throw VbError(vberr::OutOfMemory);
    inf.live = true;
    std::vector<unsigned char> in(kBlock), plain(kBlock), mine(kBlock);
    archive.Seek(entry.ArcFileOFSET);
    file.Seek(0);
    std::int64_t storedLeft = entry.ArcFileZipSize;
    std::int64_t room = entry.ArcFileOrgSize;  // bytes the export may still produce
    bool ended = false;
    while (!ended) {
        if (inf.z.avail_in == 0) {
            if (storedLeft == 0) return false;  // cut short: the export fails
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(storedLeft, kBlock));
            archive.ReadExact(in.data(), n);
            storedLeft -= static_cast<std::int64_t>(n);
            inf.z.next_in = in.data();
            inf.z.avail_in = static_cast<uInt>(n);
        }
        inf.z.next_out = plain.data();
        inf.z.avail_out = static_cast<uInt>(plain.size());
        const int rc = inflate(&inf.z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return false;
        const std::size_t produced = plain.size() - inf.z.avail_out;
        if (static_cast<std::int64_t>(produced) > room) return false;  // more than the export's buffer
        if (!NextBytesAre(file, plain.data(), produced, mine)) return false;
        room -= static_cast<std::int64_t>(produced);
        ended = rc == Z_STREAM_END;
        if (rc == Z_BUF_ERROR && inf.z.avail_in > 0) return false;  // no progress possible
    }
    // The export pads a short stream with zero bytes up to the original size.
    if (!NextBytesAre(file, nullptr, static_cast<std::size_t>(room), mine)) return false;
    unsigned char extra;
    return file.Read(&extra, 1) == 0;
}

}  // namespace tessarin
