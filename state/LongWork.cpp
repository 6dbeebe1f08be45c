#include "state/LongWork.h"

#include <cmath>

namespace tessarin {

namespace {
constexpr int kWorkBar = 2;
constexpr int kStatusPanel = 1;
// Panel 1 changes at most this often, so its text can be read.
constexpr auto kPanelInterval = std::chrono::milliseconds(250);
// Below this the time left is a guess not worth showing.
constexpr double kEstimateAfterSeconds = 1.0;
}  // namespace

LongWork::LongWork(Program& program, std::string what, std::size_t total)
    : program_(program), what_(std::move(what)), total_(total), earlierPanel_(program.ui.PanelText(kStatusPanel)),
      earlierShown_(program.longWorkShown) {
    program_.longWorkShown = true;
    IMainWindow& ui = program_.ui;
    ui.SetProgressVisible(kWorkBar, true);
    ui.SetProgressValue(kWorkBar, 0);
    ui.SetProgressMin(kWorkBar, 0);
    ui.SetProgressMax(kWorkBar, static_cast<int>(total_));
    ui.SetMainEnabled(false);
    ui.BeginLongWork();
    ui.SetPanelText(kStatusPanel, ProgressText(what_, 0, total_, 0));
    shown_ = start_;
}

LongWork::~LongWork() {
    IMainWindow& ui = program_.ui;
    ui.EndLongWork();
    ui.SetMainEnabled(true);
    ui.SetProgressVisible(kWorkBar, false);
    ui.SetPanelText(kStatusPanel, earlierPanel_);
    program_.longWorkShown = earlierShown_;
}

void LongWork::Advance(std::size_t done) {
    program_.ui.SetProgressValue(kWorkBar, static_cast<int>(done));
    const Clock::time_point now = Clock::now();
    if (done < total_ && now - shown_ < kPanelInterval) return;
    shown_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    program_.ui.SetPanelText(kStatusPanel, ProgressText(what_, done, total_, elapsed));
}

bool LongWork::Poll() {
    program_.ui.DoEvents();
    return StopWanted(program_);
}

std::string LongWork::ProgressText(const std::string& what, std::size_t done, std::size_t total,
                                   double elapsedSeconds) {
    std::string text = what + " " + std::to_string(done) + " / " + std::to_string(total);
    if (done == 0 || done >= total || elapsedSeconds < kEstimateAfterSeconds) return text;
    const double left = elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
    return text + "，剩余约 " + std::to_string(static_cast<long long>(std::ceil(left))) + " 秒";
}

}  // namespace tessarin
