#include "cli/TerminalProgress.h"

#include <algorithm>
#include <cstdio>

#include "core/MessageTable.h"

namespace tessarin::cli {

namespace {

constexpr double kRedrawInterval = 0.1;
constexpr char kEraseLine[] = "\r\033[K";

std::string Duration(double seconds) {
    const long long s = static_cast<long long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld", s / 60, s % 60);
    return text;
}

}  // namespace

TerminalProgress::TerminalProgress(Writer write, Clock clock, ByteCounter bytes)
    : write_(std::move(write)), clock_(std::move(clock)), bytes_(std::move(bytes)) {}

std::string TerminalProgress::Line(std::size_t done, std::size_t total, double fraction,
                                   std::optional<double> bytesPerSecond, std::optional<double> secondsLeft) {
    const int percent = static_cast<int>(100.0 * std::clamp(fraction, 0.0, 1.0));
    char text[128];
    std::snprintf(text, sizeof text, "%3d", percent);
    std::string line = Say(Msg::ProgressEntries, {std::to_string(done), std::to_string(total), text});
    if (bytesPerSecond) {
        std::snprintf(text, sizeof text, "  %.1f MB/s", *bytesPerSecond / 1e6);
        line += text;
    }
    if (secondsLeft) line += "  " + Say(Msg::ProgressLeft, {Duration(*secondsLeft)});
    return line;
}

void TerminalProgress::Start(int barMax) {
    if (!active_) {
        active_ = true;
        started_ = clock_();
        bytesAtStart_ = bytes_();
        lastDrawn_.reset();
        entries_.reset();
        barValue_ = 0;
    }
    barMax_ = barMax;
}

void TerminalProgress::SetEntries(std::size_t done, std::size_t total) {
    if (!active_) return;
    entries_.emplace(done, total);  // drawn with the bar's next step
}

void TerminalProgress::Update(int value) {
    if (!active_) return;
    barValue_ = value;
    const double now = clock_();
    if (lastDrawn_ && now - *lastDrawn_ < kRedrawInterval) return;
    lastDrawn_ = now;
    const double elapsed = now - started_;
    const double fraction = barMax_ > 0 ? std::clamp(static_cast<double>(value) / barMax_, 0.0, 1.0) : 0.0;
    std::optional<double> rate, left;
    if (elapsed > 0) {
        const std::optional<std::uint64_t> bytes = bytes_();
        if (bytes && bytesAtStart_ && *bytes >= *bytesAtStart_)
            rate = static_cast<double>(*bytes - *bytesAtStart_) / elapsed;
        if (fraction > 0) left = elapsed * (1 - fraction) / fraction;
    }
    const auto [done, total] =
        entries_.value_or(std::pair<std::size_t, std::size_t>(std::max(value, 0), std::max(barMax_, 0)));
    write_(kEraseLine + Line(done, total, fraction, rate, left));
    shown_ = true;
}

void TerminalProgress::Clear() {
    if (!shown_) return;
    write_(kEraseLine);
    shown_ = false;
    lastDrawn_.reset();  // redrawn at the next step, after what was printed
}

void TerminalProgress::Stop() {
    Clear();
    active_ = false;
}

}  // namespace tessarin::cli
