#pragma once
// The main window of the command-line companion: the pickers answer from the
// command's arguments, the selected node is the one of the KEY being worked on,
// Check1 follows --raw, and message boxes are printed on stderr. The verbs so
// run the very commands the window runs.
#include <memory>
#include <string>

#include "app/OpenClose.h"
#include "cli/TerminalProgress.h"
#include "state/HeadlessWindow.h"
#include "state/Program.h"

namespace tessarin::cli {

//
// The long work's progress bar (bar 2, which every long command drives) is
// drawn on stderr while stderr is a terminal, unless switched off (--quiet).
// Message boxes are printed in the process's language.
class ConsoleWindow : public HeadlessWindow {
public:
    ConsoleWindow();

    // For every console window made afterwards: quiet draws no progress and
    // prints no success message (failures are always printed).
    static void SetQuiet(bool quiet);
    static bool Quiet();

    // Selects the entry node with this key; false (after a message) when the
    // archive has no such entry.
    bool SelectEntry(const EntryTree& tree, const std::string& key);

    // Records the message and prints it on stderr.
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;

    void SetProgressVisible(int bar, bool visible) override;
    void SetProgressMax(int bar, int value) override;
    void SetProgressValue(int bar, int value) override;
    void SetWorkItems(std::size_t done, std::size_t total) override;

private:
    std::unique_ptr<TerminalProgress> progress_;  // null: nothing is drawn
};

// Opens the archive at path (program text) with the open command, the console
// answering its dialog. True when the archive is open; the command has shown
// its own message otherwise.
bool OpenArchive(Program& program, ConsoleWindow& window, const std::string& path, OpenTree tree = OpenTree::Whole);

}  // namespace tessarin::cli
