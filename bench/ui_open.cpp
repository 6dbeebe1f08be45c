// A fresh process of the real window opens an archive, shows it, closes it
// (Ctrl+B) and ends: the whole run of `tessarin ARCHIVE` in its benchmark
// cycle, timed from fork to exit, for one entry, 32767 entries right under the
// root and 32767 entries in nested folders. Goal: at most 150 ms more than one
// entry. Then, in this process, how long the window takes to answer a scroll
// to the end and a click there on the big archives.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/QuietWindow.h"
#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"
#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"

namespace {

using tessarin::testing::ArcPlan;
using tessarin::testing::RecordPlan;

constexpr int kEntries = 32767;
constexpr int kRuns = 5;

enum class Shape { One, Flat, Deep };

// flat: every entry right under the root (the expanded root then shows them all);
// deep: nested folders, some with double-byte names.
ArcPlan MakeArchive(Shape shape) {
    ArcPlan archive;
    const int count = shape == Shape::One ? 1 : kEntries;
    archive.records.reserve(count);
    for (int i = 0; i < count; ++i) {
        RecordPlan record;
        record.name = shape != Shape::Deep ? "file" + std::to_string(i)
                                           : "data\\level" + std::to_string(i % 7) + "\\\xD7\xCA\xD4\xB4" +
                                                 std::to_string(i % 97) + "\\file" + std::to_string(i);
        record.typeCode = 0x1A + i % 5;
        record.data = "x";
        record.orgSize = 1;
        archive.records.push_back(std::move(record));
    }
    return archive;
}

struct Figures {
    double wall = 0;  // median wall time, ms
    double cpu = 0;   // median CPU time (user + system), ms: steadier on a busy machine
};

double Millis(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// `tessarin path` in its benchmark cycle, run kRuns times.
Figures TimeFreshProcess(const std::string& program, const std::string& path) {
    std::vector<double> wall, cpu;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("TESSARIN_BENCH_CYCLE", "1", 1);
            ::execl(program.c_str(), program.c_str(), path.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(Millis(usage.ru_utime) + Millis(usage.ru_stime));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s ended with status %d\n", program.c_str(), status);
            return {-1, -1};
        }
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

double TimeScrollAndClick(const std::string& path, bool flat) {
    tessarin::bench::QuietWindow quiet(path);
    tessarin::frmMain& window = quiet.window;

    QElapsedTimer timer;
    timer.start();
    auto* tree = window.Tree();
    if (!flat) tree->expandRecursively(window.Model()->index(0, 0), 2);
    tree->verticalScrollBar()->setValue(tree->verticalScrollBar()->maximum());
    QApplication::processEvents();
    const QModelIndex last = tree->indexAt(QPoint(5, tree->viewport()->height() - 5));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(last).center());
    window.grab();
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string program = tessarin::ProgramFolder() + "/tessarin";
    tessarin::testing::TempDir dir;
    const struct { Shape shape; const char* name; } shapes[] = {
        {Shape::One, "one"}, {Shape::Flat, "flat"}, {Shape::Deep, "deep"}};
    Figures one;
    for (const auto& s : shapes) {
        const std::string path = dir / (std::string(s.name) + ".arc");
        tessarin::testing::WriteFileBytes(path, tessarin::testing::BuildArc(MakeArchive(s.shape)));
        const Figures f = TimeFreshProcess(program, path);
        if (f.wall < 0) return 1;
        if (s.shape == Shape::One) {
            one = f;
            std::printf("ui_open fresh process, 1 entry: open + show + close + end %.1f ms wall, %.1f ms CPU (reference)\n",
                        f.wall, f.cpu);
            continue;
        }
        const double extraWall = f.wall - one.wall, extraCpu = f.cpu - one.cpu;
        std::printf("ui_open fresh process, %d entries %-4s: %.1f ms wall (+%.1f, ratio %.2f), %.1f ms CPU (+%.1f, "
                    "ratio %.2f); goal <= 150 ms more%s\n",
                    kEntries, s.name, f.wall, extraWall, f.wall / one.wall, f.cpu, extraCpu, f.cpu / one.cpu,
                    std::min(extraWall, extraCpu) <= 150 ? "" : "  SLOW");
    }
    QApplication app(argc, argv);
    for (const auto& s : shapes) {
        if (s.shape == Shape::One) continue;
        std::printf("ui_open %-4s: scroll to the end and click %.1f ms\n", s.name,
                    TimeScrollAndClick(dir / (std::string(s.name) + ".arc"), s.shape == Shape::Flat));
    }
    return 0;
}
