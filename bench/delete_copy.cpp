// Deleting one entry in the middle of a 1 GiB archive (tessarin-cli delete,
// the whole process) against the floor of an atomic rewrite of the archive:
// cp to a new file, fsync of the copy, rename over the original (which frees
// the old file's blocks, as the delete's own rewrite does). Measured in turn,
// median of three; each round deletes another middle entry. Prints the ratio
// (goal: at most 1.3x) and the peak resident memory (goal: under 32 MiB).
//
// Usage: bench_delete_copy [archive MiB (default 1024)]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "core/platform/FileSystem.h"
#include "bench/StoredArchive.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
    TempDir dir;
    // 64 entries of incompressible-looking data.
    tessarin::bench::RandomBlocks random;
    const int count = 64;
    tessarin::bench::WriteStoredArchive(dir / "pack.arc", count, mib << 20, random);
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";

    std::vector<double> rewrites, deletes;
    long peakKiB = 0;
    for (int round = 0; round < 3; ++round) {
        ::sync();
        rewrites.push_back(tessarin::bench::AtomicRewriteMs(dir / "pack.arc"));
        ::sync();
        const auto run = tessarin::bench::RunChild({cli, "delete", dir / "pack.arc", "bench\\e" + std::to_string(31 + round) + ".1"});
        if (!run.succeeded) std::printf("warning: delete failed\n");
        deletes.push_back(run.ms);
        peakKiB = std::max(peakKiB, run.peakKiB);
    }
    const double rewrite = tessarin::bench::Median(rewrites), del = tessarin::bench::Median(deletes);
    std::printf("archive: %lld MiB, %d entries\n", static_cast<long long>(mib), count);
    std::printf("atomic rewrite (cp, fsync, rename over): %.0f ms (median of 3)\n", rewrite);
    std::printf("delete one entry: %.0f ms (median of 3) = %.2fx (goal <= 1.3x), peak %.1f MiB (goal < 32 MiB)\n", del,
                del / rewrite, static_cast<double>(peakKiB) / 1024);
    return 0;
}
