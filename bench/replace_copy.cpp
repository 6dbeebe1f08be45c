// Replacing the middle entry of a 1 GiB archive of 1,024 entries with 4 MiB
// of random data (tessarin-cli replace, the whole process) against the floor
// of an atomic rewrite of the archive: cp to a new file, fsync of the copy,
// rename over the original (which frees the old file's blocks, as the
// replace's own rewrite does). Measured in turn, median of three. Prints the
// ratio (goal: at most 1.3x).
//
// Usage: bench_replace_copy [archive MiB (default 1024)] [source KiB (default 4096)]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "core/platform/FileSystem.h"
#include "bench/StoredArchive.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;

double RunMs(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    if (!tessarin::bench::RunChild(args).succeeded) std::printf("warning: %s failed\n", args[0].c_str());
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
    const std::int64_t sourceKiB = argc > 2 ? std::atoll(argv[2]) : 4096;
    TempDir dir;
    // 1,024 entries of incompressible-looking data; the one replaced is in the middle.
    const int count = 1024;
    tessarin::bench::RandomBlocks random;
    tessarin::bench::WriteStoredArchive(dir / "pack.arc", count, mib << 20, random);
    // Random data, which deflate cannot shrink: its slowest case.
    std::string source;
    while (static_cast<std::int64_t>(source.size()) < (sourceKiB << 10)) {
        source.append(random.Next(),
                      std::min<std::size_t>(1 << 20, static_cast<std::size_t>((sourceKiB << 10) - source.size())));
    }
    WriteFileBytes(dir / "source.bin", source);
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";

    std::vector<double> rewrites, replaces;
    // Each timed command starts with nothing left to write back from before.
    for (int round = 0; round < 3; ++round) {
        ::sync();
        rewrites.push_back(tessarin::bench::AtomicRewriteMs(dir / "pack.arc"));
        ::sync();
        replaces.push_back(RunMs({cli, "replace", dir / "pack.arc", "bench\\e" + std::to_string(count / 2) + ".1", dir / "source.bin"}));
    }
    const double rewrite = tessarin::bench::Median(rewrites), replace = tessarin::bench::Median(replaces);
    std::printf("archive: %lld MiB, %d entries; source: %lld KiB of random data\n", static_cast<long long>(mib),
                count, static_cast<long long>(sourceKiB));
    std::printf("atomic rewrite (cp, fsync, rename over): %.0f ms (median of 3)\n", rewrite);
    std::printf("replace one entry: %.0f ms (median of 3) = %.2fx (goal <= 1.3x)\n", replace, replace / rewrite);
    return 0;
}
