// Comparing and merging archives, whole process, page cache warm:
//  - tessarin-cli diff of two archives of 1,500 entries (300 MB each) that
//    differ in 30, against `cat A B > /dev/null`, the floor of reading both
//    once (goal: at most 1.5x);
//  - tessarin-cli merge of a 30-entry patch into a 1 GiB archive, against the
//    floor of an atomic rewrite: cp of the archive, fsync, rename over the
//    original (goal: at most 1.3x).
// Measured in turn, median of five (diff) and three (merge); the ratios and
// the peak resident memory are printed.
//
// Usage: bench_diff_merge [diff archive MB (default 300)] [merge archive MiB (default 1024)]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/StoredArchive.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;
using tessarin::bench::RandomBlocks;

// count entries of random data of entryBytes each, as zlib streams of stored
// blocks (valid, and as large as the data: deflate's worst case), named
// bench\eN, type 1. The entries in changed get other data.
void WriteStreamArchive(const std::string& path, int count, std::int64_t entryBytes, RandomBlocks& random,
                        const std::vector<int>& changed = {}, const std::string& prefix = "bench\\e") {
    std::vector<std::string> streams;
    ArcPlan plan;
    std::int64_t offset = 8 + 80LL * count;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    for (int pass = 0; pass < 2; ++pass) {
        RandomBlocks data;  // the same data in every archive, but for the changed entries
        for (int i = 0; i < count; ++i) {
            std::string plain(data.Next(), static_cast<std::size_t>(entryBytes));
            if (std::find(changed.begin(), changed.end(), i) != changed.end())
                plain.assign(random.Next(), static_cast<std::size_t>(entryBytes));
            const std::string stream = StoredBlocks(plain);
            if (pass == 0) {
                plan.records.push_back(Stored(prefix + std::to_string(i), 1, "", static_cast<std::int32_t>(entryBytes),
                                              static_cast<std::int32_t>(stream.size()),
                                              static_cast<std::int32_t>(offset)));
                offset += static_cast<std::int64_t>(stream.size());
            } else {
                std::fwrite(stream.data(), 1, stream.size(), out);
            }
        }
        if (pass == 0) {
            const std::string head = BuildArc(plan);
            std::fwrite(head.data(), 1, head.size(), out);
        }
    }
    std::fclose(out);
}

double Run(const std::vector<std::string>& args, long* peakKiB = nullptr) {
    const auto run = tessarin::bench::RunChild(args);
    if (peakKiB != nullptr) *peakKiB = std::max(*peakKiB, run.peakKiB);
    return run.ms;
}

void SyncFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    fsync(fd);
    close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t diffMB = argc > 1 ? std::atoll(argv[1]) : 300;
    const std::int64_t mergeMiB = argc > 2 ? std::atoll(argv[2]) : 1024;
    TempDir dir;
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";
    RandomBlocks random;

    // Diff: 1,500 entries, 30 of them changed, spread over the archive.
    const int count = 1500;
    std::vector<int> changed;
    for (int i = 0; i < 30; ++i) changed.push_back(i * 50 + 7);
    const std::int64_t entryBytes = diffMB * 1000000 / count;
    WriteStreamArchive(dir / "a.arc", count, entryBytes, random);
    WriteStreamArchive(dir / "b.arc", count, entryBytes, random, changed);
    const std::vector<std::string> cat = {"sh", "-c", "cat \"$0\" \"$1\" > /dev/null", dir / "a.arc", dir / "b.arc"};
    const std::vector<std::string> diff = {cli, "diff", dir / "a.arc", dir / "b.arc"};
    Run(cat), Run(diff);  // the page cache warm
    std::vector<double> cats, diffs;
    long diffPeak = 0;
    for (int round = 0; round < 5; ++round) {
        cats.push_back(Run(cat));
        diffs.push_back(Run(diff, &diffPeak));
    }
    const double catMs = tessarin::bench::Median(cats), diffMs = tessarin::bench::Median(diffs);
    std::printf("diff: 2 archives of %d entries, %lld MB each, 30 changed\n", count, static_cast<long long>(diffMB));
    std::printf("cat A B > /dev/null: %.0f ms (median of 5)\n", catMs);
    std::printf("diff A B: %.0f ms (median of 5) = %.2fx (goal <= 1.5x), peak %ld KiB\n", diffMs, diffMs / catMs,
                diffPeak);
    ::unlink((dir / "a.arc").c_str());
    ::unlink((dir / "b.arc").c_str());

    // Merge: a 1 GiB archive of 1,024 entries and a patch of 30 of them.
    const int mergeCount = 1024;
    WriteStreamArchive(dir / "pack.arc", mergeCount, (mergeMiB << 20) / mergeCount - 64, random);
    WriteStreamArchive(dir / "patch.arc", 30, (mergeMiB << 20) / mergeCount - 64, random, {3, 11, 29});
    std::vector<double> floors, merges;
    long mergePeak = 0;
    for (int round = 0; round < 3; ++round) {
        ::sync();
        const auto start = std::chrono::steady_clock::now();
        Run({"cp", dir / "pack.arc", dir / "copy.arc"});
        SyncFile(dir / "copy.arc");
        ::rename((dir / "copy.arc").c_str(), (dir / "pack.arc").c_str());
        floors.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ::sync();
        merges.push_back(Run({cli, "merge", dir / "pack.arc", dir / "patch.arc"}, &mergePeak));
    }
    const double floorMs = tessarin::bench::Median(floors), mergeMs = tessarin::bench::Median(merges);
    std::printf("merge: a 30-entry patch into %lld MiB of %d entries\n", static_cast<long long>(mergeMiB), mergeCount);
    std::printf("cp + fsync + rename: %.0f ms (median of 3)\n", floorMs);
    std::printf("merge: %.0f ms (median of 3) = %.2fx (goal <= 1.3x), peak %ld KiB\n", mergeMs, mergeMs / floorMs,
                mergePeak);
    return 0;
}
