// Reads the directory of a 32767-entry archive and prints the time it takes.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/ArcReader.h"
#include "support/ArcBuilder.h"

namespace {

// 32767 entries in nested folders, some names double-byte, one data byte each.
std::string MakeArchive(int count) {
    tessarin::testing::ArcPlan plan;
    plan.records.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        tessarin::testing::RecordPlan record;
        record.name = "data\\level" + std::to_string(i % 7) + "\\\xD7\xCA\xD4\xB4" + std::to_string(i % 97) +
                      "\\sub" + std::to_string(i % 13) + "\\file" + std::to_string(i);
        record.typeCode = i % 5 + 0x1A;
        record.data = "x";
        record.orgSize = 1;
        plan.records.push_back(std::move(record));
    }
    return tessarin::testing::BuildArc(plan);
}

}  // namespace

int main() {
    constexpr int kEntries = 32767;
    constexpr int kRuns = 20;
    const auto path = std::filesystem::temp_directory_path() / "tessarin-bench-read.arc";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string bytes = MakeArchive(kEntries);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const tessarin::ExtTypeTable types = {{"1A", "png"}, {"1B", "bmp"}, {"1C", "txt"}};
    double best = 1e9, total = 0;
    std::size_t read = 0;
    for (int run = 0; run < kRuns; ++run) {
        tessarin::ArcEntryList entries;
        tessarin::ArcReadReceiver receiver;
        const auto start = std::chrono::steady_clock::now();
        const auto result = tessarin::ReadArcFile(path.string(), types, entries, receiver);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (result.status != tessarin::ArcReadResult::Status::Ok) {
            std::fprintf(stderr, "read failed: %d %s\n", result.errorNumber, result.errorDescription.c_str());
            return 1;
        }
        read = entries.size();
        best = ms < best ? ms : best;
        total += ms;
    }
    std::filesystem::remove(path);
    std::printf("read_directory: %zu entries, best %.2f ms, mean %.2f ms over %d runs (goal: well under 50 ms)\n",
                read, best, total / kRuns, kRuns);
    return 0;
}
