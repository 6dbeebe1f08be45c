// Replacing the middle entry of a 1 GiB archive of 1,024 entries with 4 MiB
// of random data (tessarin-cli replace, the whole process) against the
// simplest full copy: cp of the archive followed by an fsync of the copy.
// Measured in turn, median of three. Prints the ratio (goal: at most 1.3x).
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

double RunMs(const std::vector<std::string>& args, const std::string& syncAfter = "") {
    const auto start = std::chrono::steady_clock::now();
    const bool succeeded = tessarin::bench::RunChild(args).succeeded;
    if (!syncAfter.empty()) {
        const int fd = open(syncAfter.c_str(), O_RDONLY);
        fsync(fd);
        close(fd);
    }
    if (!succeeded) std::printf("warning: %s failed\n", args[0].c_str());
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

    std::vector<double> copies, replaces;
    // Each timed command starts with nothing left to write back from before.
    for (int round = 0; round < 3; ++round) {
        ::sync();
        copies.push_back(RunMs({"cp", dir / "pack.arc", dir / "copy.arc"}, dir / "copy.arc"));
        ::unlink((dir / "copy.arc").c_str());
        ::sync();
        replaces.push_back(RunMs({cli, "replace", dir / "pack.arc", "bench\\e" + std::to_string(count / 2) + ".1", dir / "source.bin"}));
    }
    const double copy = tessarin::bench::Median(copies), replace = tessarin::bench::Median(replaces);
    std::printf("archive: %lld MiB, %d entries; source: %lld KiB of random data\n", static_cast<long long>(mib),
                count, static_cast<long long>(sourceKiB));
    std::printf("cp + fsync of the copy: %.0f ms (median of 3)\n", copy);
    std::printf("replace one entry: %.0f ms (median of 3) = %.2fx (goal <= 1.3x)\n", replace, replace / copy);
    return 0;
}
