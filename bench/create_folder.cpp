// tessarin-cli create on a folder it fills itself (about 1,500 files and
// 500 MB of text-like, binary-like and random data), against the simplest
// one-thread loop measured in the same run: read each file, zlib's compress,
// append to one file, fsync it. Runs take turns, best of three. Prints the
// times, the ratio (goal: at most 0.6x) and create's peak resident memory.
//
// Usage: bench_create_folder [files (default 1500)] [total MB (default 500)]
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/XorShift.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;
namespace fs = std::filesystem;

using tessarin::bench::Next;

// Plain bytes of file i: words and lines, small binary records, or random, by turns.
std::string MakePlain(int i, std::size_t size) {
    static const char* words[] = {"the", "archive", "entry", "texture", "model", "sound", "value", "index",
                                  "render", "shader", "0.25", "true", "false", "name", "{", "}", "=", ";"};
    std::uint64_t s = 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(i + 1) * 0x100000001B3ull;
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const std::uint64_t r = Next(s);
        if (i % 3 == 0) {
            out += words[r % (sizeof words / sizeof *words)];
            out += r % 9 ? ' ' : '\n';
        } else if (i % 3 == 1) {
            const std::uint32_t fields[4] = {static_cast<std::uint32_t>(out.size() / 16),
                                             static_cast<std::uint32_t>(r & 0xFF),
                                             static_cast<std::uint32_t>((r >> 8) & 0xFFF), 0x3F800000u};
            out.append(reinterpret_cast<const char*>(fields), sizeof fields);
        } else {
            out.append(reinterpret_cast<const char*>(&r), sizeof r);
        }
    }
    out.resize(size);
    return out;
}

// The reference: one thread, each file read whole, compressed, appended; then fsync.
double LoopMs(const std::vector<std::string>& files, const std::string& outPath) {
    const auto start = std::chrono::steady_clock::now();
    std::FILE* out = std::fopen(outPath.c_str(), "wb");
    for (const std::string& file : files) {
        const std::string plain = ReadFileBytes(file);
        uLongf length = compressBound(static_cast<uLong>(plain.size()));
        std::string zipped(length, '\0');
        compress(reinterpret_cast<Bytef*>(zipped.data()), &length, reinterpret_cast<const Bytef*>(plain.data()),
                 static_cast<uLong>(plain.size()));
        std::fwrite(zipped.data(), 1, length, out);
    }
    std::fflush(out);
    ::fsync(fileno(out));
    std::fclose(out);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1500;
    const std::int64_t total = (argc > 2 ? std::atoll(argv[2]) : 500) * 1000 * 1000;
    TempDir dir;
    std::vector<std::string> files;
    std::uint64_t s = 12345;
    const std::int64_t average = total / count;
    for (int i = 0; i < count; ++i) {
        // Mostly 5%..195% of the average; every 100th file is large.
        const auto size = static_cast<std::size_t>(i % 100 == 99 ? average * 12 : average * (5 + Next(s) % 190) / 100);
        const std::string folder = dir / ("src/data" + std::to_string(i % 23) + "/part" + std::to_string(i % 5));
        fs::create_directories(folder);
        files.push_back(folder + "/file" + std::to_string(i) + ".1A");
        WriteFileBytes(files.back(), MakePlain(i, size));
    }
    std::sort(files.begin(), files.end());
    ::sync();
    const std::string cli = tessarin::ProgramFolder() + "/tessarin-cli";

    double loop = 1e300, create = 1e300;
    long peakKiB = 0;
    for (int round = 0; round < 3; ++round) {
        loop = std::min(loop, LoopMs(files, dir / "loop.bin"));
        ::unlink((dir / "loop.bin").c_str());
        const tessarin::bench::ChildRun run = tessarin::bench::RunChild({cli, "create", dir / "new.arc", dir / "src"});
        if (!run.succeeded) std::printf("warning: create failed\n");
        create = std::min(create, run.ms);
        peakKiB = std::max(peakKiB, run.peakKiB);
        ::unlink((dir / "new.arc").c_str());
    }
    std::printf("folder: %d files, %.0f MB\n", count, static_cast<double>(total) / 1e6);
    std::printf("one-thread read + compress + append + fsync: %.0f ms (best of 3)\n", loop);
    std::printf("create: %.0f ms (best of 3) = %.2fx (goal <= 0.6x), peak %.1f MiB\n", create, create / loop,
                static_cast<double>(peakKiB) / 1024);
    return 0;
}
