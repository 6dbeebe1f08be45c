#pragma once
// Long work the user can stop (export all, verify, import, a rewrite): progress
// bar 2 and the time left follow the bytes of the work, status panel 1 says
// what runs, how many items are done ("正在导出 120 / 1500，剩余约 12 秒"),
// the main window is disabled and the stop control offered. Everything returns
// to how it was when the object goes, however the work ends.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "state/Program.h"

namespace tessarin {

class LongWork {
public:
    // Steps of bar 2 when the work's bytes are known.
    static constexpr int kBarSteps = 10000;

    // what: the running work as panel 1 names it ("正在导出"); items of the
    // given sizes in bytes (Advance tells how many are done).
    LongWork(Program& program, std::string what, std::vector<std::uint64_t> itemBytes);
    // items and the bytes of the whole work, told apart (Advance and AdvanceBytes).
    LongWork(Program& program, std::string what, std::size_t items, std::uint64_t bytes);
    // Work whose size is not known before it ends (a folder's walk): panel 1
    // names it, the bar stays empty.
    LongWork(Program& program, std::string what) : LongWork(program, std::move(what), 0, 0) {}
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // The long work that shows its progress now, or null.
    static LongWork* Current(const Program& program) { return program.longWork; }

    // done items are finished (with sizes given: their bytes too).
    void Advance(std::size_t done);
    // bytes of the work are done.
    void AdvanceBytes(std::uint64_t bytes);
    // Both at once.
    void Advance(std::size_t done, std::uint64_t bytes);
    // Some bytes of the item in hand are done beyond what AdvanceBytes told
    // (a source being deflated): shown, not kept.
    void ShowPartial(std::uint64_t bytes);
    // Lets pending window events run; true when the work is to stop.
    bool Poll();
    // True once the user asked to stop or the program is ending.
    static bool StopWanted(const Program& program) { return program.ending || program.ui.StopRequested(); }

    // "正在导出 120 / 1500，剩余约 12 秒": the time left, from the share of the
    // bytes done (fraction, 0 to 1), once it can be told.
    static std::string ProgressText(const std::string& what, std::size_t done, std::size_t total, double fraction,
                                    double elapsedSeconds);

private:
    using Clock = std::chrono::steady_clock;
    void Show(std::uint64_t bytes);

    Program& program_;
    std::string what_;
    std::size_t items_;
    std::size_t itemsDone_ = 0;
    std::vector<std::uint64_t> bytesBefore_;  // bytes of the items before each; empty when not given
    std::uint64_t bytes_;
    std::uint64_t bytesDone_ = 0;
    std::string earlierPanel_;
    LongWork* earlier_ = nullptr;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

}  // namespace tessarin
