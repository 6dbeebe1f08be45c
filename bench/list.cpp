// The whole listing process: tessarin-cli list --json (and the plain list) on
// an archive of 32,767 entries, against the same binary listing a missing file
// (its own start-up), fork/exec each time, median of five runs. Prints the
// ratio (goal: at most 5x) and the listing's peak memory (goal: under 24 MiB),
// then list --json with a type table of 200,000 rows.
//
// Usage: bench_list [entries (default 32767)]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;

struct Run {
    double ms;
    long peakKiB;
};

// Runs argv with its output discarded: the time and the child's peak memory.
Run Measure(const std::vector<std::string>& args) {
    const tessarin::bench::ChildRun run = tessarin::bench::RunChild(args);
    return {run.ms, run.peakKiB};
}

Run Median(const std::vector<std::string>& args, int runs = 5) {
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) all.push_back(Measure(args));
    std::sort(all.begin(), all.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
    return all[all.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 32767;
    TempDir dir;
    ArcPlan plan;
    const std::string stream = Deflate("x");
    for (int i = 0; i < count; ++i) {
        RecordPlan r = Stored("folder" + std::to_string(i % 97) + "\\sub\\entry_name_" + std::to_string(i), 0x1A + i % 5,
                              stream, 1);
        plan.records.push_back(std::move(r));
    }
    WriteFileBytes(dir / "big.arc", BuildArc(plan));
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";

    const Run base = Median({cli, "list", dir / "missing.arc"});
    const Run json = Median({cli, "list", "--json", dir / "big.arc"});
    const Run plain = Median({cli, "list", dir / "big.arc"});
    std::printf("entries: %d\n", count);
    std::printf("start-up (list of a missing file): %.1f ms, peak %.1f MiB\n", base.ms, base.peakKiB / 1024.0);
    std::printf("list --json: %.1f ms = %.2fx start-up (goal <= 5x), peak %.1f MiB (goal < 24 MiB)\n", json.ms,
                json.ms / base.ms, json.peakKiB / 1024.0);
    std::printf("list (plain): %.1f ms = %.2fx start-up (goal <= 5x), peak %.1f MiB (goal < 24 MiB)\n", plain.ms,
                plain.ms / base.ms, plain.peakKiB / 1024.0);
    // A large type table costs one hash of its rows, not a scan per entry.
    std::string table;
    for (int i = 0; i < 200000; ++i) table += std::to_string(0x100000 + i) + ":type" + std::to_string(i) + "\r\n";
    table += "1A:png\r\n1B:jpg\r\n";
    WriteFileBytes(dir / "types.txt", table);
    const Run typed = Median({cli, "list", "--json", "--types", dir / "types.txt", dir / "big.arc"});
    std::printf("list --json, 200,000-row type table: %.1f ms = %.2fx list --json (goal: a few times at most)\n",
                typed.ms, typed.ms / json.ms);
    return 0;
}
