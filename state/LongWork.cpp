#include "state/LongWork.h"

#include <algorithm>
#include <cmath>

namespace tessarin {

namespace {
constexpr int kWorkBar = 2;
constexpr int kStatusPanel = 1;
// Panel 1 changes at most this often, so its text can be read.
constexpr auto kPanelInterval = std::chrono::milliseconds(250);
// Below this the time left is a guess not worth showing.
constexpr double kEstimateAfterSeconds = 1.0;

std::vector<std::uint64_t> RunningSums(const std::vector<std::uint64_t>& sizes) {
    std::vector<std::uint64_t> before(sizes.size() + 1, 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) before[i + 1] = before[i] + sizes[i];
    return before;
}
}  // namespace

LongWork::LongWork(Program& program, std::string what, std::vector<std::uint64_t> itemBytes)
    : LongWork(program, std::move(what), itemBytes.size(), 0) {
    bytesBefore_ = RunningSums(itemBytes);
    bytes_ = bytesBefore_.back();
}

LongWork::LongWork(Program& program, std::string what, std::size_t items, std::uint64_t bytes)
    : program_(program), what_(std::move(what)), items_(items), bytes_(bytes),
      earlierPanel_(program.ui.PanelText(kStatusPanel)), earlier_(program.longWork) {
    program_.longWork = this;
    IMainWindow& ui = program_.ui;
    ui.SetProgressVisible(kWorkBar, true);
    ui.SetProgressValue(kWorkBar, 0);
    ui.SetProgressMin(kWorkBar, 0);
    ui.SetProgressMax(kWorkBar, kBarSteps);
    ui.SetMainEnabled(false);
    ui.BeginLongWork();
    ui.ProgressItems(0, items_);
    ui.SetPanelText(kStatusPanel, ProgressText(what_, 0, items_, 0, 0));
    shown_ = start_;
}

LongWork::~LongWork() {
    IMainWindow& ui = program_.ui;
    ui.EndLongWork();
    ui.SetMainEnabled(true);
    ui.SetProgressVisible(kWorkBar, false);
    ui.SetPanelText(kStatusPanel, earlierPanel_);
    program_.longWork = earlier_;
}

void LongWork::Advance(std::size_t done) {
    itemsDone_ = std::min(done, items_);
    if (!bytesBefore_.empty()) bytesDone_ = bytesBefore_[itemsDone_];
    program_.ui.ProgressItems(itemsDone_, items_);
    Show(bytesDone_);
}

void LongWork::AdvanceBytes(std::uint64_t bytes) {
    bytesDone_ = bytes;
    Show(bytesDone_);
}

void LongWork::Advance(std::size_t done, std::uint64_t bytes) {
    itemsDone_ = std::min(done, items_);
    bytesDone_ = bytes;
    program_.ui.ProgressItems(itemsDone_, items_);
    Show(bytesDone_);
}

void LongWork::ShowPartial(std::uint64_t bytes) { Show(bytesDone_ + bytes); }

void LongWork::Show(std::uint64_t bytes) {
    // Work of no bytes at all (empty entries only) goes by its items.
    const double fraction =
        bytes_ > 0 ? std::min(1.0, static_cast<double>(bytes) / static_cast<double>(bytes_))
                   : (items_ > 0 ? static_cast<double>(itemsDone_) / static_cast<double>(items_) : 0.0);
    program_.ui.SetProgressValue(kWorkBar, static_cast<int>(fraction * kBarSteps));
    const Clock::time_point now = Clock::now();
    if (itemsDone_ < items_ && now - shown_ < kPanelInterval) return;
    shown_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    program_.ui.SetPanelText(kStatusPanel, ProgressText(what_, itemsDone_, items_, fraction, elapsed));
}

bool LongWork::Poll() {
    program_.ui.DoEvents();
    return StopWanted(program_);
}

std::string LongWork::ProgressText(const std::string& what, std::size_t done, std::size_t total, double fraction,
                                   double elapsedSeconds) {
    if (total == 0) return what;
    std::string text = what + " " + std::to_string(done) + " / " + std::to_string(total);
    if (fraction <= 0 || fraction >= 1 || elapsedSeconds < kEstimateAfterSeconds) return text;
    const double left = elapsedSeconds * (1 - fraction) / fraction;
    return text + "，剩余约 " + std::to_string(static_cast<long long>(std::ceil(left))) + " 秒";
}

}  // namespace tessarin
