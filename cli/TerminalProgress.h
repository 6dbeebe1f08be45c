#pragma once
// The progress line of long work on a terminal: entries done of the total, a
// percentage, the throughput and the time left, redrawn in place (carriage
// return and erase to the end of the line) at most ten times a second, and
// erased before anything else is printed.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tessarin::cli {

class TerminalProgress {
public:
    using Writer = std::function<void(const std::string&)>;
    using Clock = std::function<double()>;                            // seconds
    using ByteCounter = std::function<std::optional<std::uint64_t>()>;  // bytes moved so far

    TerminalProgress(Writer write, Clock clock, ByteCounter bytes);

    // Work of total entries begins (or its total changes).
    void Start(int total);
    // done entries are finished: redrawn unless the last drawing is under 0.1 s old.
    void Update(int done);
    // Erases the line if one is shown (the next Update draws it again).
    void Clear();
    // The work is over: the line is erased and nothing more is drawn until Start.
    void Stop();

    // The text of one line; bytesPerSecond and secondsLeft are left out when unknown.
    static std::string Line(int done, int total, std::optional<double> bytesPerSecond,
                            std::optional<double> secondsLeft);

private:
    Writer write_;
    Clock clock_;
    ByteCounter bytes_;
    bool active_ = false;
    bool shown_ = false;
    int total_ = 0;
    double started_ = 0;
    std::optional<double> lastDrawn_;
    std::optional<std::uint64_t> bytesAtStart_;
};

}  // namespace tessarin::cli
