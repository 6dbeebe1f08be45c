#pragma once
// Large archives of stored entries for the whole-process benchmarks: the
// directory by the test builder, the data random words written block by block.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace tessarin::bench
