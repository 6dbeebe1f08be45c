#pragma once
// The files one export has written, known by a hash of their names and the
// entry that wrote each: eight bytes a file in one flat table, so that the
// bookkeeping of a large export stays small.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessarin {

class WrittenFiles {
public:
    // Room for count files without growing.
    void Reserve(std::size_t count) {
        std::size_t size = 16;
        while (size < 2 * count) size *= 2;
        if (size > slots_.size()) Rehash(size);
    }

    void Add(std::size_t hash, std::uint32_t entry) {
        if (2 * (used_ + 1) > slots_.size()) Rehash(slots_.empty() ? 16 : 2 * slots_.size());
        Place(Slot(hash, entry));
        ++used_;
    }

    // The first entry added with hash for which same(entry) holds.
    template <typename Same>
    std::optional<std::uint32_t> Find(std::size_t hash, Same same) const {
        if (slots_.empty()) return std::nullopt;
        const std::uint32_t h = Short(hash);
        for (std::size_t i = h & (slots_.size() - 1); slots_[i] != 0; i = (i + 1) & (slots_.size() - 1)) {
            const std::uint32_t entry = static_cast<std::uint32_t>(slots_[i]) - 1;
            if (static_cast<std::uint32_t>(slots_[i] >> 32) == h && same(entry)) return entry;
        }
        return std::nullopt;
    }

private:
    static std::uint32_t Short(std::size_t hash) {
        return static_cast<std::uint32_t>(hash ^ (static_cast<std::uint64_t>(hash) >> 32));
    }
    // Never 0 (an empty slot): the entry is stored plus one.
    static std::uint64_t Slot(std::size_t hash, std::uint32_t entry) {
        return static_cast<std::uint64_t>(Short(hash)) << 32 | (static_cast<std::uint64_t>(entry) + 1);
    }
    void Place(std::uint64_t slot) {
        std::size_t i = (slot >> 32) & (slots_.size() - 1);
        while (slots_[i] != 0) i = (i + 1) & (slots_.size() - 1);
        slots_[i] = slot;
    }
    void Rehash(std::size_t size) {
        std::vector<std::uint64_t> old(size, 0);
        old.swap(slots_);
        for (const std::uint64_t slot : old)
            if (slot != 0) Place(slot);
    }

    std::vector<std::uint64_t> slots_;  // size a power of two, at most half full
    std::size_t used_ = 0;
};

}  // namespace tessarin
