#pragma once
// Large archives of stored entries for the whole-process benchmarks: the
// directory by the test builder, the data random words written block by block.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "support/ArcBuilder.h"

namespace tessarin::bench {

// 1 MiB blocks of random words: data deflate cannot shrink, its slowest case.
class RandomBlocks {
public:
    static constexpr std::size_t kBytes = 1 << 20;
    const char* Next() {
        for (auto& word : block_) x_ ^= x_ << 13, x_ ^= x_ >> 7, x_ ^= x_ << 17, word = x_;
        return reinterpret_cast<const char*>(block_.data());
    }

private:
    std::vector<std::uint64_t> block_ = std::vector<std::uint64_t>(kBytes / 8);
    std::uint64_t x_ = 88172645463325252ull;
};

// count entries of totalBytes / count stored bytes each, named bench\eN, type 1.
inline void WriteStoredArchive(const std::string& path, int count, std::int64_t totalBytes, RandomBlocks& random) {
    const std::int64_t entrySize = totalBytes / count;
    const std::int64_t dataStart = 8 + 80LL * count;
    testing::ArcPlan plan;
    for (int i = 0; i < count; ++i)
        plan.records.push_back(testing::Stored("bench\\e" + std::to_string(i), 1, "", 1,
                                               static_cast<std::int32_t>(entrySize),
                                               static_cast<std::int32_t>(dataStart + i * entrySize)));
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const std::string head = testing::BuildArc(plan);
    std::fwrite(head.data(), 1, head.size(), out);
    for (std::int64_t written = 0; written < count * entrySize; written += RandomBlocks::kBytes)
        std::fwrite(random.Next(), 1, RandomBlocks::kBytes, out);
    std::fclose(out);
}

// The floor of any rewrite of an archive that keeps it whole through a crash:
// cp of the archive to a new file, an fsync of the copy and a rename over the
// original, which frees the old file's blocks as every rewrite does. The
// archive keeps its bytes. Milliseconds.
inline double AtomicRewriteMs(const std::string& archive) {
    const std::string copy = archive + ".copy";
    const auto start = std::chrono::steady_clock::now();
    const bool copied = RunChild({"cp", archive, copy}).succeeded;
    const int fd = ::open(copy.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    const bool renamed = std::rename(copy.c_str(), archive.c_str()) == 0;
    if (!copied || !synced || !renamed) std::printf("warning: the atomic rewrite of the copy failed\n");
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace tessarin::bench
