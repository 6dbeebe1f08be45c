#include "fuzz/Support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace tessarin::fuzz {

const std::string& InputPath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp ? tmp : "/tmp") + "/tessarin-fuzz-" + std::to_string(::getpid()) + ".bin";
    }();
    return path;
}

const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

void Collect::Put(const std::uint8_t* bytes, std::size_t n) {
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    if (static_cast<std::int64_t>(bytes_.size()) > limit_) std::abort();
}

std::vector<std::uint8_t> ReadAt(BinaryFile& file, std::int64_t offset, std::int64_t n) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
    file.Seek(offset);
    if (n > 0) file.ReadExact(bytes.data(), bytes.size());
    return bytes;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

ExtTypeTable SmallTable() {
    ExtTypeTable types;
    AddExtType(types, "1A", "png");
    AddExtType(types, "20", "t\"x\\t");
    return types;
}

}  // namespace tessarin::fuzz
