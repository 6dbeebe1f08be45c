// Export all on an archive it builds itself (about 1,500 entries and 500 MB of
// text-like, binary-like and random data), against two references measured in
// the same run: the simplest one-thread loop (read, zlib's uncompress, write
// each file) and writing the same files from memory. Prints the times, the
// ratios and the export's peak resident memory.
// Goals: at most 0.5x the one-thread loop, at most 2.5x the write-only limit,
// peak under 64 MiB.
//
// Usage: bench_export_all [entries (default 1500)] [total MB (default 500)] [work folder [keep]]
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/OpenClose.h"
#include "state/Program.h"
#include "bench/PrintingEvents.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "extract/Export.h"
#include "bench/BenchArchive.h"

namespace {

using namespace tessarin;
using namespace tessarin::bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool WriteFile(const std::string& path, const void* bytes, std::size_t n) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, bytes, n) == static_cast<ssize_t>(n);
    ::close(fd);
    return ok;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double ProgramExport(const std::string& archive, const std::string& out) {
    PrintingEvents events("message: ", stdout, false);
    Program program(events);
    OpenArchiveAt(program, archive);
    const auto start = Clock::now();
    const bool ok = ExportEntries(program, ExportRequest{out});
    const double seconds = Seconds(start);
    if (!ok) std::printf("export all reported a failure\n");
    return seconds;
}

// The simplest loop: read, uncompress into a fresh buffer, write.
double OneThreadLoop(const std::string& archive, const std::vector<EntryInfo>& entries, const std::string& out) {
    const auto start = Clock::now();
    const int fd = ::open(archive.c_str(), O_RDONLY);
    for (const EntryInfo& e : entries) {
        std::vector<std::uint8_t> stored(e.stored), plain(e.size);
        if (pread(fd, stored.data(), stored.size(), e.offset) != static_cast<ssize_t>(stored.size())) return -1;
        uLongf length = e.size;
        if (uncompress(plain.data(), &length, stored.data(), e.stored) != Z_OK) return -1;
        fs::create_directories(out + "/" + e.folder);
        if (!WriteFile(out + "/" + e.file, plain.data(), plain.size())) return -1;
    }
    ::close(fd);
    return Seconds(start);
}

// The same files written from memory: what writing alone costs.
double WriteOnly(const std::vector<EntryInfo>& entries, const std::string& out) {
    std::uint32_t largest = 0;
    for (const EntryInfo& e : entries) largest = std::max(largest, e.size);
    std::vector<std::uint8_t> bytes(largest, 0x5A);
    const auto start = Clock::now();
    std::string lastFolder;
    for (const EntryInfo& e : entries) {
        if (e.folder != lastFolder) fs::create_directories(out + "/" + e.folder);
        lastFolder = e.folder;
        if (!WriteFile(out + "/" + e.file, bytes.data(), e.size)) return -1;
    }
    return Seconds(start);
}

// Reading and inflating alone, nothing written: entries shared out among
// threads workers, each with its own reused buffers. With one worker a thread
// per core, this is the least the export can take however it writes.
double InflateOnly(const std::string& archive, const std::vector<EntryInfo>& entries, unsigned threads) {
    const int fd = ::open(archive.c_str(), O_RDONLY);
    if (fd < 0) return -1;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            WholeInflater inflater;
            std::vector<std::uint8_t> stored, plain;
            for (std::size_t i; (i = next++) < entries.size();) {
                const EntryInfo& e = entries[i];
                if (stored.size() < e.stored) stored.resize(e.stored);
                if (plain.size() < e.size) plain.resize(e.size);
                if (pread(fd, stored.data(), e.stored, e.offset) != static_cast<ssize_t>(e.stored) ||
                    !inflater.Inflate(stored.data(), e.stored, plain.data(), static_cast<std::int32_t>(e.size)).ok())
                    failed = true;
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    const double seconds = Seconds(start);
    ::close(fd);
    return failed ? -1 : seconds;
}

// The same files written from memory the way the export writes them: each
// under a temporary name, locked, then renamed over its own name.
double SafeWriteOnly(const std::vector<EntryInfo>& entries, const std::string& out) {
    std::uint32_t largest = 0;
    for (const EntryInfo& e : entries) largest = std::max(largest, e.size);
    std::vector<std::uint8_t> bytes(largest, 0x5A);
    const auto start = Clock::now();
    try {
        std::string lastFolder;
        SafeFolder folder;
        for (const EntryInfo& e : entries) {
            if (e.folder != lastFolder) {
                fs::create_directories(out + "/" + e.folder);
                folder = SafeFolder::Open(out + "/" + e.folder);
            }
            lastFolder = e.folder;
            const std::string name = e.file.substr(e.folder.size());
            FolderFile file = folder.CreateTemporaryFor(name);
            file.Write(bytes.data(), e.size);
            file.CommitAs(name);
        }
    } catch (const VbError&) {
        return -1;
    }
    return Seconds(start);
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::file_size(a, ec) != fs::file_size(b, ec) || ec) return false;
    std::FILE* fa = std::fopen(a.c_str(), "rb");
    std::FILE* fb = std::fopen(b.c_str(), "rb");
    bool same = fa && fb;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (same) {
        const std::size_t na = std::fread(ba.data(), 1, ba.size(), fa), nb = std::fread(bb.data(), 1, bb.size(), fb);
        same = na == nb && std::memcmp(ba.data(), bb.data(), na) == 0;
        if (na == 0) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1500;
    const std::int64_t totalMB = argc > 2 ? std::atoll(argv[2]) : 500;
    const std::string work = argc > 3 ? argv[3] : (fs::temp_directory_path() / "tessarin-bench-export").string();
    fs::remove_all(work);
    fs::create_directories(work);
    const std::string archive = work + "/bench.arc";

    std::printf("building %d entries, about %lld MB ...\n", count, static_cast<long long>(totalMB));
    const std::vector<EntryInfo> entries = BuildArchive(archive, count, totalMB << 20);
    if (entries.empty()) {
        std::printf("could not build the archive\n");
        return 1;
    }
    double plainBytes = 0;
    for (const EntryInfo& e : entries) plainBytes += e.size;
    const long rssBefore = PeakRssKiB();

    // Best of five runs each. A round first deletes what the runs wrote
    // before (as a machine in use recycles its page cache), so every run of the
    // round creates its files among the same freed ones; the runs take turns
    // at going first, and each starts once earlier writes are on the disk, so
    // none pays for another's writeback.
    double program = 1e9, loop = 1e9, write = 1e9, safeWrite = 1e9, inflateAll = 1e9, inflateOne = 1e9;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::string kinds[] = {"program", "loop", "write", "safe"};
    for (int round = 0; round < 5; ++round) {
        for (const std::string& kind : kinds) {
            fs::remove_all(work + "/" + kind);
            fs::create_directories(work + "/" + kind);
        }
        for (int turn = 0; turn < 4; ++turn) {
            ::sync();
            const std::string& kind = kinds[(round + turn) % 4];
            const std::string out = work + "/" + kind;
            if (kind == "program") {
                program = std::min(program, ProgramExport(archive, out));
                if (round == 0)
                    std::printf("peak resident memory of export all: %s%.1f MiB (goal < 64)\n",
                                PeakRssKiB() > rssBefore ? "" : "at most ", PeakRssKiB() / 1024.0);
            } else if (kind == "loop") {
                loop = std::min(loop, OneThreadLoop(archive, entries, out));
            } else if (kind == "write") {
                write = std::min(write, WriteOnly(entries, out));
            } else {
                safeWrite = std::min(safeWrite, SafeWriteOnly(entries, out));
            }
        }
        inflateOne = std::min(inflateOne, InflateOnly(archive, entries, 1));
        inflateAll = std::min(inflateAll, InflateOnly(archive, entries, cores));
    }
    std::size_t checked = 0, differing = 0;
    for (std::size_t i = 0; i < entries.size(); i += 7, ++checked)
        if (!SameFile(work + "/program/" + entries[i].file, work + "/loop/" + entries[i].file)) ++differing;

    const double mb = plainBytes / 1e6;
    std::printf("output: %.0f MB in %zu files (%s inflater)\n", mb, entries.size(),
                FastInflateAvailable() ? "libdeflate + zlib" : "zlib");
    std::printf("export all:           %7.3f s  %7.1f MB/s\n", program, mb / program);
    std::printf("one-thread zlib loop: %7.3f s  %7.1f MB/s\n", loop, mb / loop);
    std::printf("write-only limit:     %7.3f s  %7.1f MB/s\n", write, mb / write);
    std::printf("references (not goals):\n");
    std::printf("  write, temporary + rename: %7.3f s  (%.2fx the write-only)\n", safeWrite, safeWrite / write);
    std::printf("  read + inflate, 1 thread:  %7.3f s\n", inflateOne);
    std::printf("  read + inflate, %u threads: %7.3f s  (%.2fx the write-only)\n", cores, inflateAll,
                inflateAll / write);
    std::printf("  floor on %u cores, (inflate 1 thread + safe write) / cores: %.3f s  (%.2fx the write-only)\n",
                cores, (inflateOne + safeWrite) / cores, (inflateOne + safeWrite) / cores / write);
    std::printf("ratio to the loop:       %.2fx (goal <= 0.5)\n", program / loop);
    std::printf("ratio to the write-only: %.2fx (goal <= 2.5)\n", program / write);
    std::printf("files compared with the loop's: %zu, differing: %zu\n", checked, differing);
    if (!(argc > 4 && std::string(argv[4]) == "keep")) fs::remove_all(work);
    return differing == 0 ? 0 : 1;
}
