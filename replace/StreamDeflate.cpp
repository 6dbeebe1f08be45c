#include "replace/StreamDeflate.h"

#include <zlib.h>

namespace tessarin {

namespace {
constexpr std::size_t kBlock = 256 << 10;
std::function<void(std::int64_t)>& BlockHook() {
    static std::function<void(std::int64_t)> hook;
    return hook;
}
}  // namespace

void SetDeflateBlockHookForTesting(std::function<void(std::int64_t)> hook) { BlockHook() = std::move(hook); }

struct FileDeflater::State {
    z_stream z{};
    bool live = false;
    bool used = false;  // reset before the next file
    // Filled before they are read: no need to clear them.
    std::unique_ptr<unsigned char[]> in = std::make_unique_for_overwrite<unsigned char[]>(kBlock);
    std::unique_ptr<unsigned char[]> zipped = std::make_unique_for_overwrite<unsigned char[]>(kBlock);
    ~State() {
        if (live) deflateEnd(&z);
    }
};

FileDeflater::FileDeflater() : state_(std::make_unique<State>()) {}

FileDeflater::~FileDeflater() = default;

DeflatedSizes DeflateFileInto(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain,
                              const std::atomic<bool>* cancel, std::atomic<std::int64_t>* read) {
    return FileDeflater().Deflate(source, out, maxPlain, cancel, read);
}

DeflatedSizes FileDeflater::Deflate(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain,
                                    const std::atomic<bool>* cancel, std::atomic<std::int64_t>* read) {
    State& s = *state_;
    if (!s.live) {
        // The parameters of zlib's compress(): default level, 15-bit window, memory level 8.
        const int init = deflateInit(&s.z, Z_DEFAULT_COMPRESSION);
        if (init != Z_OK) throw DeflateFailure{init};
        s.live = true;
    } else if (s.used) {
        // The same state as a fresh deflateInit, so the same bytes come out.
        const int reset = deflateReset(&s.z);
        if (reset != Z_OK) throw DeflateFailure{reset};
    }
    s.used = true;

    unsigned char* const in = s.in.get();
    unsigned char* const zipped = s.zipped.get();
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
            got = source.Read(in, kBlock);
        } catch (const VbError& e) {
            throw SourceReadFailure{e};
        }
        sizes.plain += static_cast<std::int64_t>(got);
        if (read != nullptr) read->store(sizes.plain);
        if (BlockHook()) BlockHook()(sizes.plain);
        if (sizes.plain > maxPlain) throw SourceTooLarge{};
        const int flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
        s.z.next_in = in;
        s.z.avail_in = static_cast<uInt>(got);
        do {
            s.z.next_out = zipped;
            s.z.avail_out = static_cast<uInt>(kBlock);
            const int rc = deflate(&s.z, flush);
            if (rc == Z_STREAM_ERROR) throw DeflateFailure{rc};
            const std::size_t produced = kBlock - s.z.avail_out;
            if (produced > 0) out.Write(zipped, produced);
            sizes.stored += static_cast<std::int64_t>(produced);
            if (rc == Z_STREAM_END) finished = true;
        } while (s.z.avail_out == 0 || (flush == Z_FINISH && !finished));
    }
    return sizes;
}

}  // namespace tessarin
