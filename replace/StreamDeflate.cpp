#include "replace/StreamDeflate.h"

#include <zlib.h>

#include <vector>

namespace tessarin {

namespace {
constexpr std::size_t kBlock = 256 << 10;

struct Stream {
    z_stream z{};
    bool live = false;
    ~Stream() {
        if (live) deflateEnd(&z);
    }
};
}  // namespace

DeflatedSizes DeflateFileInto(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain,
                              const std::atomic<bool>* cancel) {
    Stream s;
    // The parameters of zlib's compress(): default level, 15-bit window, memory level 8.
    const int init = deflateInit(&s.z, Z_DEFAULT_COMPRESSION);
    if (init != Z_OK) throw DeflateFailure{init};
    s.live = true;

    std::vector<unsigned char> in(kBlock), zipped(kBlock);
    DeflatedSizes sizes;
    try {
        source.Seek(0);
    } catch (const VbError& e) {
        throw SourceReadFailure{e};
    }
    bool finished = false;
    while (!finished) {
        if (cancel != nullptr && cancel->load()) throw DeflateCancelled{};
        std::size_t got = 0;
        try {
            got = source.Read(in.data(), in.size());
        } catch (const VbError& e) {
            throw SourceReadFailure{e};
        }
        sizes.plain += static_cast<std::int64_t>(got);
        if (sizes.plain > maxPlain) throw SourceTooLarge{};
        const int flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
        s.z.next_in = in.data();
        s.z.avail_in = static_cast<uInt>(got);
        do {
            s.z.next_out = zipped.data();
            s.z.avail_out = static_cast<uInt>(zipped.size());
            const int rc = deflate(&s.z, flush);
            if (rc == Z_STREAM_ERROR) throw DeflateFailure{rc};
            const std::size_t produced = zipped.size() - s.z.avail_out;
            if (produced > 0) out.Write(zipped.data(), produced);
            sizes.stored += static_cast<std::int64_t>(produced);
            if (rc == Z_STREAM_END) finished = true;
        } while (s.z.avail_out == 0 || (flush == Z_FINISH && !finished));
    }
    return sizes;
}

}  // namespace tessarin
