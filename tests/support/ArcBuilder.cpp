#include "support/ArcBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"

namespace tessarin::testing {

std::string NameField(std::string_view name) {
    std::string field(name);
    int chars = 0;
    for (std::size_t i = 0; i < name.size(); ++i, ++chars) {
        auto b = static_cast<unsigned char>(name[i]);
        if (b >= 0x81 && b <= 0xFE) ++i;
    }
    for (; chars < 64; ++chars) field.push_back('\0');
    return field;
}

std::string BuildArc(const ArcPlan& plan) {
    const auto field = [](const RecordPlan& r) { return r.pad ? NameField(r.name) : r.name; };
    std::int64_t next = 8 + static_cast<std::int64_t>(plan.gap.size());  // where the first record's data goes
    for (const auto& r : plan.records) next += static_cast<std::int64_t>(field(r).size()) + 16;
    std::string out = plan.magic, data = plan.gap;
    out += Le(static_cast<std::uint16_t>(plan.version), 2);
    out += Le(static_cast<std::uint16_t>(plan.count.value_or(static_cast<std::int16_t>(plan.records.size()))), 2);
    for (const auto& r : plan.records) {
        out += field(r);
        out += Le(static_cast<std::uint32_t>(r.typeCode), 4);
        out += Le(static_cast<std::uint32_t>(r.storedSize.value_or(static_cast<std::int32_t>(r.data.size()))), 4);
        out += Le(static_cast<std::uint32_t>(r.orgField.value_or(r.orgSize + 0x40000000)), 4);
        out += Le(static_cast<std::uint32_t>(r.offset.value_or(static_cast<std::int32_t>(next))), 4);
        next += static_cast<std::int64_t>(r.data.size());
        data += r.data;
    }
    return out + data + plan.trailer;
}

std::string StoredBlocks(std::string_view plain) {
    std::string s("\x78\x01", 2);
    for (std::size_t at = 0; at < plain.size(); at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, plain.size() - at);
        const char header[5] = {static_cast<char>(at + n == plain.size()), static_cast<char>(n),
                                static_cast<char>(n >> 8), static_cast<char>(~n), static_cast<char>(~n >> 8)};
        s.append(header, 5).append(plain.substr(at, n));
    }
    const uLong sum = adler32(1, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uInt>(plain.size()));
    for (int shift : {24, 16, 8, 0}) s.push_back(static_cast<char>(sum >> shift));
    return s;
}

std::string Deflate(std::string_view plain) {
    uLongf len = compressBound(static_cast<uLong>(plain.size()));
    std::string out(len, '\0');
    if (compress(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(plain.data()),
                 static_cast<uLong>(plain.size())) != Z_OK)
        throw std::runtime_error("compress failed");
    out.resize(len);
    return out;
}

RecordPlan Entry(std::string name, std::int32_t typeCode, std::string_view plain) {
    return Stored(std::move(name), typeCode, Deflate(plain), static_cast<std::int32_t>(plain.size()));
}

// Test paths are program text or raw name bytes; both name the same file the
// program would open.
std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(NativePath(NativeToText(path)), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(NativePath(NativeToText(path)), std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempDir::TempDir() {
    // A fresh name: create_directory reports whether it made the folder itself.
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("tessarin-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace, ec);
            path_ = PathText(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only leftovers removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(NativePath(path_), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(NativePath(path_), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(NativePath(path_), ec);
}

}  // namespace tessarin::testing
