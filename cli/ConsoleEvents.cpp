#include "cli/ConsoleEvents.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/OpenClose.h"
#include "cli/Console.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Terminal.h"

namespace tessarin::cli {

namespace {

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

void ConsoleEvents::SetQuiet(bool quiet) { quietRun = quiet; }
bool ConsoleEvents::Quiet() { return quietRun; }

ConsoleEvents::ConsoleEvents() {
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

void ConsoleEvents::ProgressBegun(int steps) {
    if (progress_) progress_->Start(steps);
}

void ConsoleEvents::ProgressMoved(int step) {
    if (progress_) progress_->Update(step);
}

void ConsoleEvents::ProgressItems(std::size_t done, std::size_t total) {
    if (progress_) progress_->SetEntries(done, total);
}

void ConsoleEvents::ProgressEnded() {
    if (progress_) progress_->Stop();
}

void ConsoleEvents::MsgBox(const std::string& text, MsgIcon, const std::string&) {
    if (quietRun && IsSuccessMessage(text)) return;
    if (progress_) progress_->Clear();
    // Texts may begin or end with line breaks meant for a dialog's layout.
    std::string shown = WithNewlines(Translated(text));
    const auto first = shown.find_first_not_of('\n');
    const auto last = shown.find_last_not_of('\n');
    shown = first == std::string::npos ? std::string() : shown.substr(first, last - first + 1);
    PrintError(shown);
}

FailureChoice ConsoleEvents::AskAfterFailure(const std::string& text, const std::string& title) {
    MsgBox(text, MsgIcon::Stop, title);
    return FailureChoice::GoOn;
}

void ConsoleEvents::ShowReport(const std::string& title, const std::string& summary,
                               const std::vector<std::string>& lines) {
    MsgBox(summary, MsgIcon::Information, title);
    for (const std::string& line : lines) PrintError(line);
}

std::string EntryKeyOf(const Program& program, MessageSink& events, const std::string& key) {
    if (FindEntryByKey(program.arc.ArcEntries, key) != nullptr) return key;
    events.MsgBox(Say(Msg::NoSuchEntry, {key}), MsgIcon::Stop, kProgramTitle);
    return {};
}

bool OpenArchive(Program& program, MessageSink& events, const std::string& path, OpenTree tree) {
    if (path.empty()) {
        events.MsgBox(Text(Msg::NoArchiveGiven), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    return OpenArchiveAt(program, path, tree) && !program.ending && program.ArchiveIsOpen();
}

}  // namespace tessarin::cli
