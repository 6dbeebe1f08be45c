#pragma once
// Long work the user can stop (export all, verify, import): progress bar 2
// from 0 to the number of items, the main window disabled, the stop control
// offered and status panel 1 saying what runs, how far it is and the time
// left. Everything returns to how it was when the object goes, however the
// work ends.
#include <chrono>
#include <cstddef>
#include <string>

#include "state/Program.h"

namespace tessarin {

class LongWork {
public:
    // what: the running work as panel 1 names it ("正在导出").
    LongWork(Program& program, std::string what, std::size_t total);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // done of the total items are finished: the bar and panel 1 follow.
    void Advance(std::size_t done);
    // Lets pending window events run; true when the work is to stop.
    bool Poll();
    // True once the user asked to stop or the program is ending.
    static bool StopWanted(const Program& program) { return program.ending || program.ui.StopRequested(); }

    // "正在导出 120 / 1500，剩余约 12 秒": the time left once it can be told.
    static std::string ProgressText(const std::string& what, std::size_t done, std::size_t total, double elapsedSeconds);

private:
    using Clock = std::chrono::steady_clock;
    Program& program_;
    std::string what_;
    std::size_t total_;
    std::string earlierPanel_;
    bool earlierShown_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

}  // namespace tessarin
