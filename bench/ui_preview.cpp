// The preview of a 2048 x 2048 image entry, PNG and DXT5, in a fresh process
// of the real window: `tessarin ARCHIVE` opens the archive, shows the window,
// previews the entry (selected, opened, read, decoded and painted), closes the
// archive and ends; the reference is the same program doing the same without
// the preview. Goal: the preview costs at most 150 ms more.
// The same cycle also gives the window's peak memory (VmHWM, the process's
// maximum resident size) with the preview of 8 MiB of text and of entries that
// declare 1 GiB (text, and typed as PNG and DDS): the preview's footprint is
// that peak less the peak without preview.
// `bench_ui_preview --write PATH` only writes the archive there.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <zlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/platform/FileSystem.h"
#include "support/ArcBuilder.h"

namespace {

using tessarin::testing::ArcPlan;
using tessarin::testing::Entry;

constexpr int kSide = 2048;
constexpr int kRuns = 5;

// A picture with smooth areas and detail, as textures have: not a flat fill
// that compresses to nothing.
QImage Picture() {
    QImage image(kSide, kSide, QImage::Format_ARGB32);
    std::mt19937 random(7);
    for (int y = 0; y < kSide; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kSide; ++x) {
            const int noise = static_cast<int>(random() % 24);
            line[x] = qRgba((x / 8 + noise) & 0xFF, (y / 8 + noise) & 0xFF, ((x + y) / 16) & 0xFF, 255 - (x % 64));
        }
    }
    return image;
}

std::string Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A DXT5 surface of random blocks behind a DDS header.
std::string Dxt5() {
    std::string s(128, '\0');
    auto put = [&s](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    };
    s.replace(0, 4, "DDS ");
    put(4, 124);
    put(8, 0x81007);
    put(12, kSide);
    put(16, kSide);
    put(76, 32);
    put(80, 0x4);
    s.replace(84, 4, "DXT5");
    std::mt19937 random(5);
    std::string blocks(static_cast<std::size_t>(kSide / 4) * (kSide / 4) * 16, '\0');
    for (char& c : blocks) c = static_cast<char>(random());
    return s + blocks;
}

// A stream of count bytes of c, deflated a block at a time (never held whole).
std::string DeflatedRun(char c, std::int64_t count) {
    z_stream z{};
    deflateInit(&z, 1);
    const std::string block(1 << 20, c);
    std::string out;
    std::vector<unsigned char> buffer(1 << 16);
    for (std::int64_t left = count; left >= 0; left -= static_cast<std::int64_t>(block.size())) {
        const auto n = static_cast<uInt>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
        z.avail_in = n;
        const int flush = left <= static_cast<std::int64_t>(block.size()) ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            deflate(&z, flush);
            out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
        if (flush == Z_FINISH) break;
    }
    deflateEnd(&z);
    return out;
}

// 8 MiB of short numbered lines: the most lines a text of that size has in practice.
std::string Lines() {
    std::string text;
    for (int i = 0; text.size() < (8u << 20); ++i) text += "line " + std::to_string(i) + "\r\n";
    text.resize(8u << 20);
    return text;
}

// VmHWM of a running program in KiB: 0 once it has ended, and 0 before the
// fork has become the program (the forked copy counts this process's pages).
long PeakKiB(pid_t pid) {
    std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!status) return 0;
    char line[256];
    long kib = 0;
    bool program = false;
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "Name:\ttessarin\n", 15) == 0) program = true;
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
    }
    if (!program) kib = 0;
    std::fclose(status);
    return kib;
}

double Millis(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

struct Figures {
    double wall = 0;
    double cpu = 0;
    long peakKiB = 0;  // the largest of the runs' peaks
};

// `tessarin path` in its benchmark cycle, previewing key (none when empty), best of kRuns.
Figures TimeFreshProcess(const std::string& program, const std::string& path, const std::string& key) {
    Figures best{1e12, 1e12};
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("TESSARIN_BENCH_CYCLE", "1", 1);
            if (!key.empty()) ::setenv("TESSARIN_BENCH_PREVIEW", key.c_str(), 1);
            ::execl(program.c_str(), program.c_str(), path.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        // The child's own peak: its VmHWM, read while it runs (it only grows;
        // the rusage peak would count this process's memory, which the child
        // inherits at the fork).
        long peak = 0;
        while (::wait4(child, &status, WNOHANG, &usage) == 0) {
            peak = std::max(peak, PeakKiB(child));
            ::usleep(2000);
        }
        best.peakKiB = std::max(best.peakKiB, peak);
        const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s ended with status %d\n", program.c_str(), status);
            return {-1, -1};
        }
        best.wall = std::min(best.wall, wall);
        best.cpu = std::min(best.cpu, Millis(usage.ru_utime) + Millis(usage.ru_stime));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string program = tessarin::ProgramFolder() + "/tessarin";
    tessarin::testing::TempDir dir;
    const std::string path = dir / "images.arc";
    const std::string png = Png(Picture());
    ArcPlan plan;
    // The largest original size the format records: just under 1 GiB.
    const std::int32_t gib = (std::int32_t{1} << 30) - 1;
    const std::string bomb = DeflatedRun('a', gib);
    plan.records = {Entry("picture", 0x1A, png), Entry("texture", 0x99, Dxt5()), Entry("text", 0x20, Lines()),
                    tessarin::testing::Stored("textbomb", 0x20, bomb, gib),
                    tessarin::testing::Stored("pngbomb", 0x1A, bomb, gib),
                    tessarin::testing::Stored("ddsbomb", 0x40, bomb, gib)};
    tessarin::testing::WriteFileBytes(path, tessarin::testing::BuildArc(plan));
    if (argc == 3 && std::string(argv[1]) == "--write") {
        // Only writes the archive, for timing two builds of the program on it.
        tessarin::testing::WriteFileBytes(argv[2], tessarin::testing::BuildArc(plan));
        return 0;
    }
    std::printf("ui_preview: %d x %d PNG of %zu bytes, DXT5 of %zu bytes\n", kSide, kSide, png.size(),
                plan.records[1].orgSize > 0 ? static_cast<std::size_t>(plan.records[1].orgSize) : 0);

    const Figures reference = TimeFreshProcess(program, path, "");
    if (reference.wall < 0) return 1;
    std::printf("ui_preview fresh process, open + show + close, no preview: %.1f ms wall, %.1f ms CPU, "
                "peak %.1f MiB (reference)\n",
                reference.wall, reference.cpu, reference.peakKiB / 1024.0);
    for (const auto& [name, key] : {std::pair{"PNG", "picture.1A"}, {"DXT5", "texture.99"}}) {
        const Figures f = TimeFreshProcess(program, path, key);
        if (f.wall < 0) return 1;
        const double extra = f.wall - reference.wall;
        std::printf("ui_preview fresh process, preview of the %s: %.1f ms wall (+%.1f, ratio %.2f), %.1f ms CPU "
                    "(+%.1f); goal <= 150 ms more%s\n",
                    name, f.wall, extra, f.wall / reference.wall, f.cpu, f.cpu - reference.cpu,
                    extra <= 150 ? "" : "  SLOW");
    }
    for (const auto& [name, key] : {std::pair{"PNG", "picture.1A"}, {"DXT5", "texture.99"}, {"8 MiB text", "text.20"},
                                    {"1 GiB text bomb", "textbomb.20"}, {"1 GiB bomb typed PNG", "pngbomb.1A"},
                                    {"1 GiB bomb typed DDS", "ddsbomb.40"}}) {
        const Figures f = TimeFreshProcess(program, path, key);
        if (f.wall < 0) return 1;
        std::printf("ui_preview peak memory (VmHWM), preview of the %s: %.1f MiB (+%.1f MiB over no preview)\n", name,
                    f.peakKiB / 1024.0, (f.peakKiB - reference.peakKiB) / 1024.0);
    }
    return 0;
}
