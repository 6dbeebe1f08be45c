// Replacing an entry in a ~1 GiB archive: prints the peak resident memory and
// the time taken. Goal: a peak under 100 MiB plus twice the source file's size,
// whatever the archive's size, as the old data is copied in blocks.
//
// Usage: bench_replace_memory [archive MiB (default 1024)] [source MiB (default 16)]
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/OpenClose.h"
#include "state/Program.h"
#include "bench/PrintingEvents.h"
#include "replace/Replace.h"

namespace {

using namespace tessarin;
using namespace tessarin::bench;

void PutLE(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool WriteAll(int fd, const std::string& bytes, off_t offset) {
    return pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size());
}

// Header and directory of `count` entries of entrySize stored bytes each; the
// data area is left sparse (zero bytes), which the copy reads like any data.
bool BuildArchive(const std::string& path, int count, std::int64_t entrySize) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    std::string head("ARC\0", 4);
    PutLE(head, 7, 2);
    PutLE(head, static_cast<std::uint32_t>(count), 2);
    const std::int64_t dataStart = 8 + 80LL * count;
    for (int i = 0; i < count; ++i) {
        std::string name = "bench\\entry" + std::to_string(i);
        name.resize(64, '\0');
        head += name;
        PutLE(head, 0x1A, 4);
        PutLE(head, static_cast<std::uint32_t>(entrySize), 4);
        PutLE(head, static_cast<std::uint32_t>(entrySize + 0x40000000), 4);
        PutLE(head, static_cast<std::uint32_t>(dataStart + entrySize * i), 4);
    }
    const bool ok = WriteAll(fd, head, 0) && ftruncate(fd, dataStart + entrySize * count) == 0;
    close(fd);
    return ok;
}

bool BuildSource(const std::string& path, std::int64_t size) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    std::mt19937 random(42);
    std::string block(1 << 20, '\0');
    bool ok = true;
    for (std::int64_t done = 0; ok && done < size; done += static_cast<std::int64_t>(block.size())) {
        for (char& c : block) c = static_cast<char>(random());  // incompressible
        block.resize(static_cast<std::size_t>(std::min<std::int64_t>(size - done, 1 << 20)));
        ok = WriteAll(fd, block, done);
    }
    close(fd);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const std::int64_t archiveMiB = argc > 1 ? std::atoll(argv[1]) : 1024;
    const std::int64_t sourceMiB = argc > 2 ? std::atoll(argv[2]) : 16;
    constexpr int kEntries = 64;
    const std::int64_t entrySize = (archiveMiB << 20) / kEntries;

    char folderTemplate[] = "/tmp/tessarin-bench-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder) return 1;
    const std::string archive = std::string(folder) + "/big.ARC";
    const std::string source = std::string(folder) + "/source.bin";
    if (!BuildArchive(archive, kEntries, entrySize) || !BuildSource(source, sourceMiB << 20)) {
        std::printf("could not build the test files in %s\n", folder);
        return 1;
    }
    const long rssBefore = PeakRssKiB();

    PrintingEvents events("message: ", stdout);
    Program program(events);
    OpenArchiveAt(program, archive);
    // An entry in the middle: both the leading and the trailing data are copied.
    const NodeId node = program.tree.Find("bench\\entry" + std::to_string(kEntries / 2) + ".1A");
    if (node == kNoNode) {
        std::printf("archive did not open\n");
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    const bool replaced = ReplaceEntry(program, ReplaceRequest{program.tree.Node(node).key, source});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = PeakRssKiB();

    const double goalMiB = 100.0 + 2.0 * static_cast<double>(sourceMiB);
    std::printf("archive %lld MiB, source %lld MiB (incompressible)\n", static_cast<long long>(archiveMiB),
                static_cast<long long>(sourceMiB));
    std::printf("replaced: %s\n", replaced ? "yes" : "NO");
    std::printf("time: %.2f s\n", seconds);
    std::printf("peak RSS: %.1f MiB before, %.1f MiB after (goal under %.0f MiB)\n", rssBefore / 1024.0,
                peak / 1024.0, goalMiB);

    program.files.CloseAll();
    unlink(archive.c_str());
    unlink(source.c_str());
    rmdir(folder);
    return replaced ? 0 : 1;
}
