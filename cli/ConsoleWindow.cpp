#include "cli/ConsoleWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/Console.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Terminal.h"
#include "app/OpenClose.h"

namespace tessarin::cli {

namespace {

constexpr int kLongWorkBar = 2;
bool quietRun = false;

// The texts a finished command shows, which --quiet leaves out.
bool IsSuccessMessage(const std::string& text) {
    for (Msg done : {Msg::SharedReplaceDone, Msg::SharedExportDone, Msg::SharedExportAllDone})
        if (text == MessageTable()[static_cast<int>(done)].chinese) return true;
    return false;
}

double SecondsNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void ConsoleWindow::SetQuiet(bool quiet) { quietRun = quiet; }
bool ConsoleWindow::Quiet() { return quietRun; }

ConsoleWindow::ConsoleWindow() {
    if (quietRun || !StandardErrorIsTerminal()) return;
    progress_ = std::make_unique<TerminalProgress>(
        [](const std::string& text) { WriteText(stderr, text); },
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
        MsgBox(Say(Msg::NoSuchEntry, {key}), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    selected_ = node;
    return true;
}

void ConsoleWindow::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    HeadlessWindow::MsgBox(text, icon, title);
    if (quietRun && IsSuccessMessage(text)) return;
    if (progress_) progress_->Clear();
    // Texts may begin or end with line breaks meant for a dialog's layout.
    std::string shown = WithNewlines(Translated(text));
    const auto first = shown.find_first_not_of('\n');
    const auto last = shown.find_last_not_of('\n');
    shown = first == std::string::npos ? std::string() : shown.substr(first, last - first + 1);
    PrintError(shown);
}

bool OpenArchive(Program& program, ConsoleWindow& window, const std::string& path, OpenTree tree) {
    if (path.empty()) {
        window.MsgBox(Text(Msg::NoArchiveGiven), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    window.openAnswers.push_back(path);
    LoadArcFile(program, tree);
    return !program.ending && !window.ended && program.arc.ArcFileNum != 0 &&
           program.files.IsOpen(program.arc.ArcFileNum);
}

}  // namespace tessarin::cli
