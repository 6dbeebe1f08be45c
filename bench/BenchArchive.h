#pragma once
// The archive the round-trip benchmarks build for themselves: entries of
// text-like, binary-like and random data by turns, in 23 x 5 folders, type 1A,
// sizes spread around an average with every 100th entry large.
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessarin::bench {

struct Xorshift {
    std::uint64_t s;
    std::uint64_t operator()() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
};

inline void PutLE(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Plain bytes of entry i: text-like, binary-like or random, by turns.
inline std::string MakePlain(int i, std::size_t size) {
    Xorshift rng{0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(i + 1) * 0x100000001B3ull};
    std::string out;
    out.reserve(size);
    switch (i % 3) {
        case 0: {  // words and lines
            static const char* words[] = {"the", "archive", "entry", "texture", "model", "sound", "value", "index",
                                          "render", "shader", "light", "frame", "0.25", "true", "false", "name",
                                          "id", "position", "scale", "rotation", "{", "}", "=", ";"};
            while (out.size() < size) {
                out += words[rng() % (sizeof words / sizeof *words)];
                out += rng() % 9 ? ' ' : '\n';
            }
            break;
        }
        case 1: {  // records of small numbers and flags
            while (out.size() < size) {
                const std::uint64_t r = rng();
                const std::uint32_t fields[4] = {static_cast<std::uint32_t>(out.size() / 16),
                                                 static_cast<std::uint32_t>(r & 0xFF),
                                                 static_cast<std::uint32_t>((r >> 8) & 0xFFF), 0x3F800000u};
                out.append(reinterpret_cast<const char*>(fields), sizeof fields);
            }
            break;
        }
        default:
            while (out.size() < size) {
                const std::uint64_t r = rng();
                out.append(reinterpret_cast<const char*>(&r), sizeof r);
            }
    }
    out.resize(size);
    return out;
}

struct EntryInfo {
    std::string folder;  // relative, "/"-separated, ending in "/"
    std::string file;    // relative path of the exported file
    std::uint32_t offset = 0, stored = 0, size = 0;
};

// Writes the archive; returns its entries.
inline std::vector<EntryInfo> BuildArchive(const std::string& path, int count, std::int64_t totalBytes) {
    std::vector<EntryInfo> entries(static_cast<std::size_t>(count));
    std::vector<std::string> names(entries.size());
    Xorshift rng{12345};
    const std::int64_t average = totalBytes / count;
    for (int i = 0; i < count; ++i) {
        EntryInfo& e = entries[static_cast<std::size_t>(i)];
        // Mostly 5%..195% of the average; every 100th entry is large.
        e.size = i % 100 == 99 ? static_cast<std::uint32_t>(average * 12)
                               : static_cast<std::uint32_t>(average * (5 + rng() % 190) / 100);
        const std::string folder = "data" + std::to_string(i % 23) + "\\part" + std::to_string(i % 5) + "\\";
        names[static_cast<std::size_t>(i)] = folder + "file" + std::to_string(i);
        e.folder = "data" + std::to_string(i % 23) + "/part" + std::to_string(i % 5) + "/";
        e.file = e.folder + "file" + std::to_string(i) + ".1A";
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return {};
    std::int64_t offset = 8 + 80LL * count;
    for (int i = 0; i < count; ++i) {
        EntryInfo& e = entries[static_cast<std::size_t>(i)];
        const std::string plain = MakePlain(i, e.size);
        uLongf length = compressBound(static_cast<uLong>(plain.size()));
        std::string stored(length, '\0');
        compress(reinterpret_cast<Bytef*>(stored.data()), &length, reinterpret_cast<const Bytef*>(plain.data()),
                 static_cast<uLong>(plain.size()));
        stored.resize(length);
        e.offset = static_cast<std::uint32_t>(offset);
        e.stored = static_cast<std::uint32_t>(length);
        if (pwrite(fd, stored.data(), stored.size(), offset) != static_cast<ssize_t>(stored.size())) return {};
        offset += static_cast<std::int64_t>(length);
    }
    std::string head("ARC\0", 4);
    PutLE(head, 7, 2);
    PutLE(head, static_cast<std::uint32_t>(count), 2);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string name = names[i];
        name.resize(64, '\0');
        head += name;
        PutLE(head, 0x1A, 4);
        PutLE(head, entries[i].stored, 4);
        PutLE(head, entries[i].size + 0x40000000u, 4);
        PutLE(head, entries[i].offset, 4);
    }
    const bool ok = pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    ::close(fd);
    return ok ? entries : std::vector<EntryInfo>{};
}

}  // namespace tessarin::bench
