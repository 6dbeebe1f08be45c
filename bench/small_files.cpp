// Many small files: tessarin-cli create and extract of 8,000, 16,000 and
// 32,000 files of 1-4 KB, beside `zip -r -6` and `unzip` of the same files.
// The two sides of each verb run in turn, pair after pair, each a whole
// process followed by `sync` inside its timed part, and each starts with
// nothing left to write back. Prints each verb's median time per side, the
// median of the pairs' ratios (goal: at most 0.8x) and Tessarin's peak
// resident memory (goal: under 24 MiB at 32,000 files).
//
// Every run writes a file or folder of its own, and nothing is removed until
// the end. On a file system that, like ext4 without a journal, passes over
// the inodes freed in the last minutes when it makes a file, a run that
// follows the removal of tens of thousands of files spends most of its time
// in that search, whoever runs it, and how much depends on where the freed
// inodes lie. --remove-before measures that case too: each side removes its
// output of the pair before just before it runs.
//
// Usage: bench_small_files [--remove-before] [pairs (default 3)] [file counts... (default 8000 16000 32000)]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/XorShift.h"
#include "bench/StoredArchive.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;
namespace fs = std::filesystem;

using tessarin::bench::Next;

// File i: 1-4 KB of script-like text or of small binary records, by turns,
// as the small files of a game archive are.
std::string MakeSmallFile(int i, std::uint64_t& s) {
    static const char* words[] = {"local", "model", "texture", "0.25", "true", "name", "{", "}", "=", ";", "sound",
                                  "index", "frame", "1", "-1", "end"};
    const std::size_t size = 1024 + Next(s) % 3073;
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const std::uint64_t r = Next(s);
        if (i % 2 == 0) {
            out += words[r % std::size(words)];
            out += r % 7 ? ' ' : '\n';
        } else {
            const std::uint32_t record[3] = {static_cast<std::uint32_t>(out.size()), static_cast<std::uint32_t>(r & 0x3FF),
                                             static_cast<std::uint32_t>(r >> 40)};
            out.append(reinterpret_cast<const char*>(record), sizeof record);
        }
    }
    out.resize(size);
    return out;
}

// count files in folders of 100, two levels deep; names create takes as keys.
void MakeFolder(const std::string& root, int count) {
    std::uint64_t s = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < count; ++i) {
        const std::string folder = root + "/data" + std::to_string(i / 1000) + "/part" + std::to_string(i / 100 % 10);
        if (i % 100 == 0) fs::create_directories(folder);
        WriteFileBytes(folder + "/file" + std::to_string(i) + ".1A", MakeSmallFile(i, s));
    }
}

struct Timed {
    double ms = 0;
    long peakKiB = 0;
};

// One whole process and a sync after it, from a clean start.
Timed RunSynced(const std::vector<std::string>& args) {
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    const tessarin::bench::ChildRun run = tessarin::bench::RunChild(args);
    ::sync();
    Timed timed;
    timed.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    timed.peakKiB = run.peakKiB;
    if (!run.succeeded) std::printf("warning: %s %s failed\n", args[0].c_str(), args[1].c_str());
    return timed;
}

struct Side {
    std::vector<double> ms;
    long peakKiB = 0;
    void Add(const Timed& t) {
        ms.push_back(t.ms);
        peakKiB = std::max(peakKiB, t.peakKiB);
    }
};

void Report(const char* verb, const char* other, const Side& ours, const Side& theirs) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.ms.size(); ++i) ratios.push_back(ours.ms[i] / theirs.ms[i]);
    std::printf("  %-7s %7.0f ms, %-9s %7.0f ms: %.2fx (goal <= 0.8x), peak %.1f MiB (%s %.1f MiB)\n", verb,
                tessarin::bench::Median(ours.ms), other, tessarin::bench::Median(theirs.ms),
                tessarin::bench::Median(ratios), static_cast<double>(ours.peakKiB) / 1024, other,
                static_cast<double>(theirs.peakKiB) / 1024);
    std::printf("          each pair:");
    for (std::size_t i = 0; i < ours.ms.size(); ++i) std::printf(" %.0f/%.0f", ours.ms[i], theirs.ms[i]);
    std::printf(" ms\n");
}

// The pairs for one number of files, in dir (the current folder).
void MeasureSize(int count, int pairs, const std::string& cli, bool removeBefore) {
    const std::string src = "src" + std::to_string(count);
    MakeFolder(src, count);
    Side create, zip, extract, unzip;
    for (int pair = 0; pair < pairs; ++pair) {
        const std::string tag = removeBefore ? std::to_string(count) : std::to_string(count) + "-" + std::to_string(pair);
        const std::string arc = "new" + tag + ".arc", zipped = "new" + tag + ".zip";
        // With --remove-before each side removes its own output of the pair
        // before just before it runs, so that the freeing weighs on both alike.
        if (removeBefore) fs::remove(arc);
        create.Add(RunSynced({cli, "create", arc, src}));
        if (removeBefore) fs::remove(zipped);
        zip.Add(RunSynced({"zip", "-q", "-r", "-6", zipped, src}));
        if (removeBefore) fs::remove_all("out" + tag + ".arc");
        extract.Add(RunSynced({cli, "extract", arc, "out" + tag + ".arc"}));
        if (removeBefore) fs::remove_all("out" + tag + ".zip");
        unzip.Add(RunSynced({"unzip", "-q", zipped, "-d", "out" + tag + ".zip"}));
    }
    std::printf("%d files of 1-4 KB, median of %d pairs%s:\n", count, pairs,
                removeBefore ? ", each run just after its side's output of the pair before is removed" : "");
    Report("create", "zip -r -6", create, zip);
    Report("extract", "unzip", extract, unzip);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it comes, into a file too
    int first = 1;
    const bool removeBefore = argc > 1 && std::string(argv[1]) == "--remove-before";
    if (removeBefore) ++first;
    const int pairs = argc > first ? std::max(1, std::atoi(argv[first])) : 3;
    std::vector<int> counts;
    for (int i = first + 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {8000, 16000, 32000};
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";
    TempDir dir;
    if (::chdir(std::string(dir.path()).c_str()) != 0) return 1;
    for (const int count : counts) MeasureSize(count, pairs, cli, removeBefore);
    return 0;
}
