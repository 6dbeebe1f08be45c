// The whole listing process: tessarin-cli list (plain and --json) on an
// archive of 32,767 entries, against `unzip -l` of a zip holding the same
// names (the archive's export, stored), fork/exec each time, in turn, median
// of five pairs. Prints the ratios (goal: at most 1x) and the listing's peak
// memory (goal: under 24 MiB), then list --json with a type table of 200,000
// rows.
//
// Usage: bench_list [entries (default 32767)]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/StoredArchive.h"
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

// args against other, in turn: the median of the pairs' ratios, and args's median run.
struct Pairs {
    double ratio;
    Run ours;
    double theirsMs;
};
Pairs InTurn(const std::vector<std::string>& args, const std::vector<std::string>& other, int pairs = 5) {
    std::vector<Run> ours;
    std::vector<double> theirs, ratios;
    for (int i = 0; i < pairs; ++i) {
        ours.push_back(Measure(args));
        theirs.push_back(Measure(other).ms);
        ratios.push_back(ours.back().ms / theirs.back());
    }
    std::sort(ours.begin(), ours.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
    return {tessarin::bench::Median(ratios), ours[ours.size() / 2], tessarin::bench::Median(theirs)};
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

    // The same names in a zip: the archive's export, stored.
    tessarin::bench::RunChild({cli, "extract", dir / "big.arc", dir / "names"});
    tessarin::bench::RunChild({"sh", "-c", "cd '" + dir / "names" + "' && zip -q -r -0 ../names.zip ."});
    std::filesystem::remove_all(dir / "names");
    const std::vector<std::string> unzip = {"unzip", "-l", dir / "names.zip"};
    const Pairs plain = InTurn({cli, "list", dir / "big.arc"}, unzip);
    const Pairs json = InTurn({cli, "list", "--json", dir / "big.arc"}, unzip);
    std::printf("entries: %d; unzip -l of the same names: %.1f ms\n", count, plain.theirsMs);
    std::printf("list (plain): %.1f ms = %.2fx unzip -l (goal <= 1x), peak %.1f MiB (goal < 24 MiB)\n", plain.ours.ms,
                plain.ratio, plain.ours.peakKiB / 1024.0);
    std::printf("list --json: %.1f ms = %.2fx unzip -l (goal <= 1x), peak %.1f MiB (goal < 24 MiB)\n", json.ours.ms,
                json.ratio, json.ours.peakKiB / 1024.0);
    // A large type table costs one hash of its rows, not a scan per entry.
    std::string table;
    for (int i = 0; i < 200000; ++i) table += std::to_string(0x100000 + i) + ":type" + std::to_string(i) + "\r\n";
    table += "1A:png\r\n1B:jpg\r\n";
    WriteFileBytes(dir / "types.txt", table);
    const Run typed = Median({cli, "list", "--json", "--types", dir / "types.txt", dir / "big.arc"});
    std::printf("list --json, 200,000-row type table: %.1f ms = %.2fx list --json (goal: a few times at most)\n",
                typed.ms, typed.ms / json.ours.ms);
    return 0;
}
