// Command time of opening a 32767-entry archive with deep folders: LoadArcFile
// reads the directory and builds the tree through a window that does nothing.
// Goal: under 100 ms.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/OpenClose.h"
#include "state/Program.h"
#include "bench/PrintingEvents.h"
#include "support/ArcBuilder.h"

namespace {

using namespace tessarin;
using namespace tessarin::bench;

constexpr int kEntries = 32767;
constexpr int kRuns = 7;

// Archive shapes. Both are eight levels deep; "grouped" keeps 16 entries per
// folder in directory order, as archives are normally written; "scattered"
// gives every entry a folder chain of its own, the worst case for the tree.
enum class Shape { Grouped, Scattered };

std::string EntryName(Shape shape, int i) {
    std::string name;
    if (shape == Shape::Grouped) {
        const int folder = i / 16;
        name = "data\\lvl" + std::to_string((folder >> 8) & 7) + "\\zone" + std::to_string((folder >> 5) & 7) +
               "\\sect" + std::to_string((folder >> 2) & 7) + "\\part" + std::to_string(folder & 3) +
               "\\deep\\deeper\\deepest\\";
    } else {
        int rest = i;
        for (const char* level : {"art", "set", "grp", "pak", "sub"}) {
            name += level + std::to_string(rest % 8) + "\\";
            rest /= 8;
        }
        name += "deep\\deeper\\deepest\\";
    }
    return name + "item" + std::to_string(i);
}

std::string BuildArchive(Shape shape) {
    testing::ArcPlan plan;
    plan.records.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        testing::RecordPlan record;
        record.name = EntryName(shape, i);
        record.typeCode = i % 3 == 0 ? 0x1A : 0x20;
        record.data = "\x78\x9c\x03\x00\x00\x00\x00\x01";  // an empty zlib stream
        plan.records.push_back(std::move(record));
    }
    return testing::BuildArc(plan);
}

struct Figures {
    double median = 0, min = 0, max = 0;
    std::size_t entries = 0, nodes = 0;
};

Figures TimeOpen(const std::string& path) {
    std::vector<double> millis;
    Figures figures;
    for (int run = 0; run < kRuns; ++run) {
        PrintingEvents events("unexpected message: ", stderr);
        Program program(events);
        AddExtType(program.ExtTypes, "1A", "png");
        AddExtType(program.ExtTypes, "20", "txt");
        const auto start = std::chrono::steady_clock::now();
        OpenArchiveAt(program, path);
        const auto stop = std::chrono::steady_clock::now();
        millis.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        figures.entries = program.arc.ArcEntries.size();
        figures.nodes = program.tree.Size();
        UnLoadArcFile(program);
    }
    std::sort(millis.begin(), millis.end());
    figures.median = millis[millis.size() / 2];
    figures.min = millis.front();
    figures.max = millis.back();
    return figures;
}

}  // namespace

int main() {
    int status = 0;
    struct Run {
        Shape shape;
        const char* label;
        const char* goal;
    };
    for (const Run& run : {Run{Shape::Grouped, "grouped", "goal < 100 ms"},
                           Run{Shape::Scattered, "scattered", "worst case, for reference"}}) {
        const Shape shape = run.shape;
        char pathTemplate[] = "/tmp/tessarin-bench-XXXXXX";
        const int fd = ::mkstemp(pathTemplate);
        if (fd < 0) {
            std::perror("mkstemp");
            return 1;
        }
        ::close(fd);
        const std::string path = pathTemplate;
        {
            const std::string bytes = BuildArchive(shape);
            std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        const Figures f = TimeOpen(path);
        std::remove(path.c_str());
        std::printf("open_tree %-9s: %zu entries, %zu tree nodes, LoadArcFile median %.1f ms, min %.1f ms, "
                    "max %.1f ms (%s)\n",
                    run.label, f.entries, f.nodes, f.median, f.min, f.max, run.goal);
        if (f.entries != static_cast<std::size_t>(kEntries)) status = 1;
    }
    return status;
}
