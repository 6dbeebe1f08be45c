// The modder's loop: 30 edited files put back into a 1,500-entry / 500 MB
// archive from a fresh full export of it (tessarin-cli import, the whole
// process, which syncs the archive), against zip -f of the same 30 edited
// files in a freshly unzipped ZIP of the same files, followed by sync. Each
// side starts from a copy of its archive, exported or unzipped, with the same
// 30 edits (the same bytes) and everything synced before the clock starts;
// both find their data in the page cache, as after an export (no cache is
// dropped on either side). The two are measured in turn, which goes first
// changing every round, and the ratio is taken round by round as well as of
// the medians. Also shows import --check-all (every file compared by content).
// Goal: at most 1.0x zip -f + sync.
//
// Usage: bench_import_roundtrip [entries (default 1500)] [total MB (default 500)] [work folder] [rounds (default 5)]
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchArchive.h"
#include "bench/ChildProcess.h"
#include "core/platform/FileSystem.h"

namespace {

using namespace tessarin::bench;
namespace fs = std::filesystem;

constexpr int kEdited = 30;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t half = v.size() / 2;
    return v.size() % 2 == 1 ? v[half] : (v[half - 1] + v[half]) / 2;
}

bool Run(const std::vector<std::string>& args) {
    const ChildRun run = RunChild(args);
    if (!run.succeeded) std::printf("warning: %s %s failed\n", args[0].c_str(), args.size() > 1 ? args[1].c_str() : "");
    return run.succeeded;
}

double TimedMs(const std::vector<std::vector<std::string>>& commands) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& args : commands) Run(args);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The same 30 edits in either folder: entries spread over the archive get new
// data of their own size.
void Edit(const std::string& folder, const std::vector<EntryInfo>& entries) {
    const std::size_t step = entries.size() / kEdited;
    for (int k = 0; k < kEdited; ++k) {
        const std::size_t i = step / 2 + k * step;
        const std::string bytes = MakePlain(static_cast<int>(i) + 7919, entries[i].size);
        std::FILE* f = std::fopen((folder + "/" + entries[i].file).c_str(), "wb");
        if (f == nullptr) {
            std::printf("warning: cannot edit %s\n", entries[i].file.c_str());
            continue;
        }
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1500;
    const std::int64_t megabytes = argc > 2 ? std::atoll(argv[2]) : 500;
    const std::string work = argc > 3 ? argv[3] : (fs::temp_directory_path() / "tessarin-import-bench").string();
    const int rounds = std::max(1, argc > 4 ? std::atoi(argv[4]) : 5);
    if (std::system("command -v zip >/dev/null && command -v unzip >/dev/null") != 0) {
        std::printf("skipped: zip and unzip are needed for the reference (scripts/install-deps.sh installs them)\n");
        return 0;
    }
    fs::remove_all(work);
    fs::create_directories(work);
    const std::string archive = work + "/pack.arc", zip = work + "/pack.zip", types = work + "/types.txt";
    const std::vector<EntryInfo> entries = BuildArchive(archive, count, megabytes * 1000 * 1000);
    if (entries.empty()) {
        std::printf("could not build the archive\n");
        return 1;
    }
    std::FILE* noTypes = std::fopen(types.c_str(), "wb");  // no names: files end in their type code
    std::fclose(noTypes);
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";

    // The ZIP of the same files, their times set back so that the edits are newer.
    Run({cli, "extract", archive, work + "/zipped", "--types", types});
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& item : fs::recursive_directory_iterator(work + "/zipped"))
        if (item.is_regular_file()) fs::last_write_time(item.path(), past);
    Run({"sh", "-c", "cd '" + work + "/zipped' && zip -q -r '" + zip + "' . -x .tessarin-export"});
    fs::remove_all(work + "/zipped");

    // One timed run of either side, each from its own fresh copy.
    const auto timeImport = [&](bool checkAll) {
        fs::remove_all(work + "/out");
        fs::copy_file(archive, work + "/work.arc", fs::copy_options::overwrite_existing);
        Run({cli, "extract", work + "/work.arc", work + "/out", "--types", types});
        Edit(work + "/out", entries);
        Run({"sync"});
        std::vector<std::string> import = {cli, "import", work + "/work.arc", work + "/out", "--types", types};
        if (checkAll) import.push_back("--check-all");
        return TimedMs({import});
    };
    const auto timeZip = [&] {
        fs::remove_all(work + "/unzipped");
        fs::copy_file(zip, work + "/work.zip", fs::copy_options::overwrite_existing);
        Run({"unzip", "-q", work + "/work.zip", "-d", work + "/unzipped"});
        Edit(work + "/unzipped", entries);
        Run({"sync"});
        return TimedMs({{"sh", "-c", "cd '" + work + "/unzipped' && zip -q -f '" + work + "/work.zip'"}, {"sync"}});
    };

    std::printf("archive: %d entries, %lld MB; %d files edited\n", count, static_cast<long long>(megabytes), kEdited);
    std::vector<double> imports, checkAlls, zips, ratios;
    for (int round = 0; round < rounds; ++round) {
        double import = 0, reference = 0;
        if (round % 2 == 0) {
            import = timeImport(false);
            reference = timeZip();
        } else {
            reference = timeZip();
            import = timeImport(false);
        }
        imports.push_back(import);
        zips.push_back(reference);
        ratios.push_back(import / reference);
        checkAlls.push_back(timeImport(true));
        std::printf("round %d: import %5.0f ms, zip -f + sync %5.0f ms = %.2fx; --check-all %5.0f ms\n", round + 1, import,
                    reference, import / reference, checkAlls.back());
        std::fflush(stdout);
    }
    const double import = Median(imports), checkAll = Median(checkAlls), reference = Median(zips);
    std::printf("zip -f + sync:        %7.0f ms (median of %d)\n", reference, rounds);
    std::printf("import:               %7.0f ms (median of %d) = %.2fx (goal <= 1.0x); round by round: median %.2fx\n",
                import, rounds, import / reference, Median(ratios));
    std::printf("import --check-all:   %7.0f ms (median of %d) = %.2fx\n", checkAll, rounds, checkAll / reference);
    fs::remove_all(work);
    return 0;
}
