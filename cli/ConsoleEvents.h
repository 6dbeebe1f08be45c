#pragma once
// What the companion's operations report, on the console: messages on stderr
// in the process's language, the progress of long work drawn on stderr while
// it is a terminal (unless --quiet), and no one to ask: a failure is printed
// and the work goes on, a question is answered yes (the arguments were the
// user's answers already).
#include <memory>
#include <string>

#include "app/OpenClose.h"
#include "cli/TerminalProgress.h"
#include "state/OperationEvents.h"
#include "state/Program.h"

namespace tessarin::cli {

class ConsoleEvents : public OperationEvents {
public:
    ConsoleEvents();

    // For every console made afterwards: quiet draws no progress and prints
    // no success message (failures are always printed).
    static void SetQuiet(bool quiet);
    static bool Quiet();

    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;
    void ProgressBegun(int steps) override;
    void ProgressMoved(int step) override;
    void ProgressItems(std::size_t done, std::size_t total) override;
    void ProgressEnded() override;
    bool StopRequested() const override { return false; }
    FailureChoice AskAfterFailure(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    void ShowReport(const std::string& title, const std::string& summary,
                    const std::vector<std::string>& lines) override;

private:
    std::unique_ptr<TerminalProgress> progress_;  // null: nothing is drawn
};

// The key of an entry of the open archive, or "" after a message when the
// archive has no such entry (or key names a folder).
std::string EntryKeyOf(const Program& program, MessageSink& events, const std::string& key);

// Opens the archive at path (program text) as the window opens it, but with
// the root node alone: the companion shows no tree and finds entries by their
// records (an archive whose folders differ all the way down would give a tree
// larger than the memory any command may take). True when the archive is open;
// the open has reported why otherwise.
bool OpenArchive(Program& program, MessageSink& events, const std::string& path, OpenTree tree = OpenTree::RootOnly);

}  // namespace tessarin::cli
