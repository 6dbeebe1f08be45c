#include "extract/InflateCursor.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "extract/Codec.h"
#include "extract/EntrySource.h"

namespace tessarin {

namespace {

// A zlib inflate state that ends itself.
struct Inflater {
    z_stream s{};
    bool live = false;
    Inflater() = default;
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater() { Reset(); }
    void Reset() {
        if (live) inflateEnd(&s);
        live = false;
        s = z_stream{};
    }
};

}  // namespace

struct InflateCursor::Impl {
    Impl(const BinaryFile& a, std::int64_t o, std::int64_t stored, std::int32_t n)
        : archive(a), offset(o), storedSize(stored), size(n) {}

    const BinaryFile& archive;
    const std::int64_t offset;
    const std::int64_t storedSize;
    const std::int32_t size;

    // The stream as it stands: stored bytes read into the input block so far,
    // and inflated bytes given out.
    Inflater now;
    std::int64_t fed = 0;
    std::int64_t out = 0;
    bool finished = false;  // the stream now has ended or broken

    // Saved copies of the stream by the output offset they stand at, with the
    // stored bytes they had consumed.
    struct Point {
        std::unique_ptr<Inflater> state;
        std::int64_t in = 0;
    };
    std::map<std::int64_t, Point> points;
    std::vector<std::uint8_t> inBlock = std::vector<std::uint8_t>(kStreamBlock);
    std::vector<std::uint8_t> outBlock = std::vector<std::uint8_t>(kStreamBlock);
    InflateEnd end;

    void Finish(int code) {
        finished = true;
        end.at = out;
        end.code = code;
    }

    void Save() {
        if (points.count(out) != 0) return;
        auto copy = std::make_unique<Inflater>();
        // Without the copy, reading back here costs more; nothing else changes.
        if (inflateCopy(&copy->s, &now.s) != Z_OK) return;
        copy->live = true;
        points.emplace(out, Point{std::move(copy), fed - static_cast<std::int64_t>(now.s.avail_in)});
    }

    // Puts the stream at the saved point nearest before at, unless going on
    // from where it stands is as near.
    bool Seek(std::int64_t at) {
        auto point = points.upper_bound(at);
        if (point == points.begin()) return false;
        --point;
        if (!finished && out <= at && out >= point->first) return true;
        now.Reset();
        if (inflateCopy(&now.s, &point->second.state->s) != Z_OK) {
            Finish(Z_MEM_ERROR);
            return false;
        }
        now.live = true;
        now.s.next_in = nullptr;
        now.s.avail_in = 0;
        fed = point->second.in;
        out = point->first;
        finished = false;
        return true;
    }

    void Feed() {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(storedSize - fed, kStreamBlock));
        ArchiveRangeSource(archive, offset + fed, n).Read(inBlock.data(), n);
        now.s.next_in = inBlock.data();
        now.s.avail_in = static_cast<uInt>(n);
        fed += static_cast<std::int64_t>(n);
    }

    // At the recorded size: whether the stream ends there (as uncompress into
    // a buffer of that size would find).
    int EndCode() {
        int err;
        do {
            if (now.s.avail_in == 0 && fed < storedSize) Feed();
            now.s.next_out = outBlock.data();
            now.s.avail_out = 0;
            err = inflate(&now.s, Z_NO_FLUSH);
        } while (err == Z_OK);
        if (err == Z_STREAM_END) return Z_OK;
        return err == Z_NEED_DICT ? Z_DATA_ERROR : err;
    }

    // Inflates up to one block into outBlock, stopping at the next saved
    // point's offset; returns how many bytes it gave.
    std::size_t Step() {
        const std::int64_t nextPoint = (out / kCheckpointEvery + 1) * kCheckpointEvery;
        const auto room = static_cast<std::size_t>(
            std::min<std::int64_t>({static_cast<std::int64_t>(kStreamBlock), size - out, nextPoint - out}));
        now.s.next_out = outBlock.data();
        now.s.avail_out = static_cast<uInt>(room);
        int err = Z_OK;
        std::string failure;
        try {
            while (now.s.avail_out > 0) {
                if (now.s.avail_in == 0 && fed < storedSize) Feed();
                err = inflate(&now.s, Z_NO_FLUSH);
                if (err != Z_OK) break;
            }
        } catch (const ArchiveReadFailure& read) {
            failure = read.error.what();
        }
        const std::size_t produced = room - now.s.avail_out;
        out += static_cast<std::int64_t>(produced);
        if (!failure.empty()) {
            Finish(Z_OK);
            end.readFailure = failure;
        } else if (err == Z_STREAM_END) {
            Finish(Z_OK);
        } else if (err == Z_BUF_ERROR || err == Z_NEED_DICT) {
            Finish(Z_DATA_ERROR);  // the stored bytes ended before the stream did, or it wants a dictionary
        } else if (err != Z_OK) {
            Finish(err);
        } else if (out == size) {
            try {
                Finish(EndCode());
            } catch (const ArchiveReadFailure& read) {
                Finish(Z_OK);
                end.readFailure = read.error.what();
            }
        } else if (out == nextPoint) {
            Save();
        }
        return produced;
    }
};

InflateCursor::InflateCursor(const BinaryFile& archive, std::int64_t offset, std::int64_t storedSize,
                             std::int32_t size)
    : impl_(std::make_unique<Impl>(archive, offset, storedSize, size)) {
    Impl& m = *impl_;
    if (size < 0) {
        m.Finish(Z_DATA_ERROR);
    } else if (const auto error = ArchiveRangeSource::Check(archive, offset, storedSize)) {
        m.Finish(Z_OK);
        m.end.readFailure = error->what();
    } else if (size == 0) {
        m.Finish(Z_OK);
    } else if (const int init = inflateInit(&m.now.s); init != Z_OK) {
        m.Finish(init);
    } else {
        m.now.live = true;
        m.Save();
        if (m.points.empty()) m.Finish(Z_MEM_ERROR);
    }
}

InflateCursor::~InflateCursor() = default;

std::size_t InflateCursor::Read(std::int64_t at, std::uint8_t* out, std::size_t count,
                                const std::atomic<bool>& cancelled) {
    const std::lock_guard lock(mutex_);
    Impl& m = *impl_;
    const std::int64_t limit = m.end.at >= 0 ? m.end.at : m.size;
    if (at < 0 || count == 0 || at >= limit || !m.Seek(at)) return 0;
    const std::int64_t stop = std::min<std::int64_t>(at + static_cast<std::int64_t>(count), limit);
    std::int64_t reached = at;
    while (m.out < stop && !m.finished && !cancelled.load(std::memory_order_relaxed)) {
        const std::int64_t blockStart = m.out;
        const auto produced = static_cast<std::int64_t>(m.Step());
        const std::int64_t from = std::max(at, blockStart);
        const std::int64_t to = std::min(stop, blockStart + produced);
        if (to > from) {
            std::memcpy(out + (from - at), m.outBlock.data() + (from - blockStart), static_cast<std::size_t>(to - from));
            reached = to;
        }
    }
    return static_cast<std::size_t>(reached - at);
}

InflateEnd InflateCursor::End() const {
    const std::lock_guard lock(mutex_);
    return impl_->end;
}

std::size_t InflateCursor::Checkpoints() const {
    const std::lock_guard lock(mutex_);
    return impl_->points.size();
}

}  // namespace tessarin
