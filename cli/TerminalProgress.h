#pragma once
// The progress line of long work on a terminal: entries done of the total, a
// percentage and the time left (both from bar 2, which follows the work's
// bytes), the throughput, redrawn in place (carriage
// return and erase to the end of the line) at most ten times a second, and
// erased before anything else is printed.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace tessarin::cli {

class TerminalProgress {
public:
    using Writer = std::function<void(const std::string&)>;
    using Clock = std::function<double()>;                            // seconds
    using ByteCounter = std::function<std::optional<std::uint64_t>()>;  // bytes moved so far

    TerminalProgress(Writer write, Clock clock, ByteCounter bytes);

    // Work whose bar goes to barMax begins (or its bar's range changes).
    void Start(int barMax);
    // The bar is at value: redrawn unless the last drawing is under 0.1 s old.
    void Update(int value);
    // done entries of total are finished, drawn with the next Update (without
    // it the bar counts entries).
    void SetEntries(std::size_t done, std::size_t total);
    // Erases the line if one is shown (the next Update draws it again).
    void Clear();
    // The work is over: the line is erased and nothing more is drawn until Start.
    void Stop();

    // The text of one line; bytesPerSecond and secondsLeft are left out when unknown.
    static std::string Line(std::size_t done, std::size_t total, double fraction,
                            std::optional<double> bytesPerSecond, std::optional<double> secondsLeft);

private:
    Writer write_;
    Clock clock_;
    ByteCounter bytes_;
    bool active_ = false;
    bool shown_ = false;
    int barMax_ = 0;
    int barValue_ = 0;
    std::optional<std::pair<std::size_t, std::size_t>> entries_;  // done, total
    double started_ = 0;
    std::optional<double> lastDrawn_;
    std::optional<std::uint64_t> bytesAtStart_;
};

}  // namespace tessarin::cli
