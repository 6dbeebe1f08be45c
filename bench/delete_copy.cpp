// Deleting one entry in the middle of a 1 GiB archive (tessarin-cli delete,
// the whole process) against cp of the archive followed by an fsync of the
// copy. Measured in turn, median of three; each round deletes another middle
// entry. Prints the ratio (goal: at most 1.3x) and the peak resident memory
// (goal: under 32 MiB).
//
// Usage: bench_delete_copy [archive MiB (default 1024)]
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

    std::vector<double> copies, deletes;
    long peakKiB = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        tessarin::bench::RunChild({"cp", dir / "pack.arc", dir / "copy.arc"});
        const int fd = ::open((dir / "copy.arc").c_str(), O_RDONLY);
        ::fsync(fd);
        ::close(fd);
        copies.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ::unlink((dir / "copy.arc").c_str());
        const auto run = tessarin::bench::RunChild({cli, "delete", dir / "pack.arc", "bench\\e" + std::to_string(31 + round) + ".1"});
        if (!run.succeeded) std::printf("warning: delete failed\n");
        deletes.push_back(run.ms);
        peakKiB = std::max(peakKiB, run.peakKiB);
    }
    const double copy = tessarin::bench::Median(copies), del = tessarin::bench::Median(deletes);
    std::printf("archive: %lld MiB, %d entries\n", static_cast<long long>(mib), count);
    std::printf("cp + fsync of the copy: %.0f ms (median of 3)\n", copy);
    std::printf("delete one entry: %.0f ms (median of 3) = %.2fx (goal <= 1.3x), peak %.1f MiB (goal < 32 MiB)\n", del,
                del / copy, static_cast<double>(peakKiB) / 1024);
    return 0;
}
