#pragma once
// Builds ARC archives in memory for tests, independently of the program's reader
// and writer: records are laid out by hand from the byte layout.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::testing {

struct RecordPlan {
    std::string name;                      // name bytes (code page 936), before padding
    std::int32_t typeCode = 0;
    std::string data;                      // stored bytes placed in the data area
    std::int32_t orgSize = 0;              // original size; field = orgSize + 0x40000000
    std::optional<std::int32_t> orgField;  // overrides the original size field
    std::optional<std::int32_t> storedSize;  // overrides the stored size (default data.size())
    std::optional<std::int32_t> offset;      // overrides the data offset (default: laid out in order)
    bool pad = true;  // pad the name with zero bytes to 64 characters
};

struct ArcPlan {
    std::string magic = std::string("ARC\0", 4);
    std::int16_t version = 7;
    std::optional<std::int16_t> count;  // default: records.size()
    std::vector<RecordPlan> records;
    std::string gap;       // bytes between the directory and the first data
    std::string trailer;   // bytes after the last data
};

// The archive's bytes.
std::string BuildArc(const ArcPlan& plan);
// A name field: bytes then zero bytes up to 64 characters (a lead byte and its trail count once).
std::string NameField(std::string_view nameBytes);
// A zlib stream of plain (zlib's default level).
std::string Deflate(std::string_view plain);
// A zlib stream of plain in stored blocks of 65535 bytes: block k starts at
// stream byte StoredBlockStart(k), so a break can be put after known bytes.
std::string StoredBlocks(std::string_view plain);
constexpr std::int64_t StoredBlockStart(int k) { return 2 + std::int64_t{k} * 65540; }
// A record plan whose data is plain deflated, with orgSize set.
RecordPlan Entry(std::string name, std::int32_t typeCode, std::string_view plain);
// A record plan whose stored bytes are data as given, optionally with another stored size and offset.
inline RecordPlan Stored(std::string name, std::int32_t typeCode, std::string data, std::int32_t orgSize,
                         std::optional<std::int32_t> storedSize = {}, std::optional<std::int32_t> offset = {}) {
    return {.name = std::move(name), .typeCode = typeCode, .data = std::move(data), .orgSize = orgSize,
            .orgField = {}, .storedSize = storedSize, .offset = offset, .pad = true};
}

// An archive of these records, nothing else set.
inline ArcPlan Archive(std::vector<RecordPlan> records) { ArcPlan plan; plan.records = std::move(records); return plan; }

// n bytes that deflate poorly, the same on every run.
inline std::string Noise(std::size_t n, std::uint32_t seed = 12345) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>((seed = seed * 1103515245 + 12345) >> 24));
    return s;
}

// n bytes whose pattern shifts every 16 KiB, so that a stretch read from the wrong place shows.
inline std::string Pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i % 251) ^ (i >> 14));
    return s;
}

// v as its low `bytes` bytes, least significant first.
inline std::string Le(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
    return s;
}

// part, n times over.
inline std::string Repeat(std::string_view part, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += part;
    return s;
}

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

}  // namespace tessarin::testing
