#include "cli/ConsoleWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/Console.h"
#include "core/MessageTexts.h"
#include "core/platform/Terminal.h"
#include "app/OpenClose.h"

namespace tessarin::cli {

namespace {

constexpr int kLongWorkBar = 2;
bool progressShown = true;

double SecondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void ConsoleWindow::SetProgressShown(bool shown) { progressShown = shown; }

ConsoleWindow::ConsoleWindow() {
    if (!progressShown || !StandardErrorIsTerminal()) return;
    progress_ = std::make_unique<TerminalProgress>(
        [](const std::string& text) {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        },
        SecondsNow,
        []() -> std::optional<std::uint64_t> {
            const auto totals = ProcessIoTotals();
            if (!totals) return std::nullopt;
            return std::max(totals->read, totals->written);
        });
}

void ConsoleWindow::SetProgressVisible(int bar, bool visible) {
    HeadlessWindow::SetProgressVisible(bar, visible);
    if (progress_ && bar == kLongWorkBar && !visible) progress_->Stop();
}

void ConsoleWindow::SetProgressMax(int bar, int value) {
    HeadlessWindow::SetProgressMax(bar, value);
    if (progress_ && bar == kLongWorkBar) progress_->Start(value);
}

void ConsoleWindow::SetProgressValue(int bar, int value) {
    HeadlessWindow::SetProgressValue(bar, value);
    if (progress_ && bar == kLongWorkBar) progress_->Update(value);
}

void ConsoleWindow::SetWorkItems(std::size_t done, std::size_t total) {
    if (progress_) progress_->SetEntries(done, total);
}

bool ConsoleWindow::SelectEntry(const EntryTree& tree, const std::string& key) {
    const NodeId node = tree.Find(key);
    if (node == kNoNode || !IsEntryKey(key)) {
        MsgBox("档案中没有这个条目，KEY：" + key, MsgIcon::Stop, kProgramTitle);
        return false;
    }
    selected_ = node;
    return true;
}

void ConsoleWindow::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    HeadlessWindow::MsgBox(text, icon, title);
    if (progress_) progress_->Clear();
    // Texts may begin or end with line breaks meant for a dialog's layout.
    std::string shown = WithNewlines(text);
    const auto first = shown.find_first_not_of('\n');
    const auto last = shown.find_last_not_of('\n');
    shown = first == std::string::npos ? std::string() : shown.substr(first, last - first + 1);
    PrintError(shown);
}

bool OpenArchive(Program& program, ConsoleWindow& window, const std::string& path) {
    if (path.empty()) {
        window.MsgBox("未指定档案文件。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    window.openAnswers.push_back(path);
    LoadArcFile(program);
    return !program.ending && !window.ended && program.arc.ArcFileNum != 0 &&
           program.files.IsOpen(program.arc.ArcFileNum);
}

}  // namespace tessarin::cli
