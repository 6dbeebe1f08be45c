#pragma once
// The main window of the command-line companion: the pickers answer from the
// command's arguments, the selected node is the one of the KEY being worked on,
// Check1 follows --raw, and message boxes are printed on stderr. The verbs so
// run the very commands the window runs.
#include <string>

#include "state/HeadlessWindow.h"
#include "state/Program.h"

namespace tessarin::cli {

class ConsoleWindow : public HeadlessWindow {
public:
    // Selects the entry node with this key; false (after a message) when the
    // archive has no such entry.
    bool SelectEntry(const EntryTree& tree, const std::string& key);

    // Records the message and prints it on stderr.
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;
};

// Opens the archive at path (program text) with the open command, the console
// answering its dialog. True when the archive is open; the command has shown
// its own message otherwise.
bool OpenArchive(Program& program, ConsoleWindow& window, const std::string& path);

}  // namespace tessarin::cli
