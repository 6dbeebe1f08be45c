// Export of an archive whose folders differ all the way down: 32,767 entries,
// each 25 folders deep (one-letter names, as the 64-character name field
// allows), sharing a random number of leading folders with the entry before it,
// so that the export makes about 400,000 folders.
// tessarin-cli extract (the whole process) into a new folder and into an
// existing one, verify, and every verb that names one entry by its KEY (cat,
// extract, replace, rename, add, delete), beside tessarin-cli list of the same
// archive (what its directory alone needs). Prints the times and the peak
// resident memory (goal: under 64 MiB, the bound the README promises for any
// command); exits with 1 when a run failed or passed the goal.
//
// Usage: bench_deep_folders [entries (default 32767)] [depth (default 25)]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;

constexpr long kGoalKiB = 64 << 10;
bool allMet = true;

void Print(const char* what, const tessarin::bench::ChildRun& run) {
    const bool met = run.succeeded && run.peakKiB < kGoalKiB;
    allMet = allMet && met;
    std::printf("%-28s %8.0f ms, peak %5.1f MiB (goal < 64 MiB)%s\n", what, run.ms,
                static_cast<double>(run.peakKiB) / 1024, run.succeeded ? (met ? "" : "  OVER") : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it comes, into a file too
    const int count = argc > 1 ? std::atoi(argv[1]) : 32767;
    const int depth = argc > 2 ? std::atoi(argv[2]) : 25;
    TempDir dir;
    ArcPlan plan;
    const std::string stream = Deflate("x");
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<std::string> folders(static_cast<std::size_t>(depth));
    std::vector<unsigned> next(static_cast<std::size_t>(depth));
    std::uint64_t s = 88172645463325252ull;
    long made = 0;
    for (int i = 0; i < count; ++i) {
        s ^= s << 13, s ^= s >> 7, s ^= s << 17;
        const int shared = i == 0 ? 0 : static_cast<int>(s % static_cast<std::uint64_t>(depth));
        std::string path;
        for (int d = 0; d < depth; ++d) {
            if (d >= shared) {
                // Another letter than the folder before at this depth: a new folder.
                folders[static_cast<std::size_t>(d)] = letters[next[static_cast<std::size_t>(d)]++ % 62];
                ++made;
            }
            path += folders[static_cast<std::size_t>(d)] + "\\";
        }
        plan.records.push_back(Stored(path + "e" + std::to_string(i), 0x1A, stream, 1));
    }
    WriteFileBytes(dir / "deep.arc", BuildArc(plan));
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";
    std::printf("%d entries, %d folders deep, %ld folders made\n", count, depth, made);
    Print("list", tessarin::bench::RunChild({cli, "list", dir / "deep.arc"}));
    Print("verify", tessarin::bench::RunChild({cli, "verify", dir / "deep.arc"}));
    std::filesystem::create_directory(dir / "one");
    const std::string arc = dir / "deep.arc";
    const std::string firstKey = plan.records.front().name + ".1A";
    const std::string renamed = plan.records.front().name + "r.1A";
    const std::string added = plan.records.front().name + "n.1A";
    WriteFileBytes(dir / "source.bin", "new bytes");
    using tessarin::bench::RunChild;
    Print("cat one entry by KEY", RunChild({cli, "cat", arc, firstKey}));
    Print("extract one entry by KEY", RunChild({cli, "extract", arc, dir / "one", firstKey}));
    Print("replace one entry by KEY", RunChild({cli, "replace", arc, firstKey, dir / "source.bin"}));
    Print("rename one entry by KEY", RunChild({cli, "rename", arc, firstKey, renamed}));
    // The archive holds as many entries as a directory can: one goes before one comes.
    Print("delete one entry by KEY", RunChild({cli, "delete", arc, renamed}));
    Print("add one entry by KEY", RunChild({cli, "add", arc, added, dir / "source.bin"}));
    Print("extract into a new folder", tessarin::bench::RunChild({cli, "extract", dir / "deep.arc", dir / "new"}));
    std::filesystem::create_directory(dir / "existing");
    Print("extract into an existing one", tessarin::bench::RunChild({cli, "extract", dir / "deep.arc", dir / "existing"}));
    return allMet ? 0 : 1;
}
