#pragma once
// The main window of the command-line companion: the pickers answer from the
// command's arguments, the selected node is the one of the KEY being worked on,
// Check1 follows --raw, and message boxes are printed on stderr. The verbs so
// run the very commands the window runs.
#include <deque>
#include <string>
#include <vector>

#include "core/MainWindow.h"
#include "core/Program.h"

namespace tessarin::cli {

class ConsoleWindow : public IMainWindow {
public:
    static constexpr WindowHandle kHandle = 1;

    struct ShownMessage {
        std::string text;
        MsgIcon icon;
        std::string title;
    };

    // Answers of the open-file picker, taken in order; each is returned as the
    // platform's dialog does, followed by a NUL character. None left: cancel.
    std::deque<std::string> openAnswers;
    // Answer of the folder picker, for every call.
    std::string folderAnswer;
    // Check1: 1 for --raw.
    int check1 = 0;

    std::vector<ShownMessage> messages;
    bool ended = false;

    // Selects the entry node with this key; false (after a message) when the
    // archive has no such entry.
    bool SelectEntry(const EntryTree& tree, const std::string& key);

    // Messages with the warning or stop icon shown from message index `from` on.
    std::size_t FailuresSince(std::size_t from) const;
    // True when a message with exactly this text and the information icon was shown from `from` on.
    bool InformedSince(std::size_t from, const std::string& text) const;

    WindowHandle Handle() const override { return kHandle; }
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    void SetPanelText(int, const std::string&) override {}
    int PanelWidth(int) const override { return 0; }
    void SetProgressVisible(int, bool) override {}
    void SetProgressWidth(int, int) override {}
    void SetProgressMin(int, int) override {}
    void SetProgressMax(int, int) override {}
    void SetProgressValue(int bar, int value) override;
    int ProgressValue(int bar) const override;
    void TreeBeginReset() override {}
    void TreeEndReset() override {}
    void TreeSelect(NodeId node) override { selected_ = node; }
    void TreeEnsureVisible(NodeId) override {}
    void TreeExpand(NodeId) override {}
    NodeId TreeSelected() const override { return selected_; }
    void SetMenuEnabled(const std::string&, bool) override {}
    void SetButtonEnabled(int, bool) override {}
    int Check1Value() const override { return check1; }
    void SetMainEnabled(bool) override {}
    std::string ShowOpenDialog(WindowHandle owner, const std::string& filter, const std::string& title) override;
    std::string BrowseForFolder(WindowHandle owner, const std::string& prompt, const std::string& initialFolder,
                                std::int32_t flags) override;
    TreeMenuChoice PopupTreeMenu() override { return TreeMenuChoice::None; }
    void Showinfo(const InfoTexts&) override {}
    void ShowAbout() override {}
    void DoEvents() override {}
    void EndProgram() override { ended = true; }
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;

private:
    std::string caption_ = "Tessarin";
    NodeId selected_ = kNoNode;
    int progress_[3] = {0, 0, 0};
};

// Opens the archive at path (program text) with the open command, the console
// answering its dialog. True when the archive is open; the command has shown
// its own message otherwise.
bool OpenArchive(Program& program, ConsoleWindow& window, const std::string& path);

}  // namespace tessarin::cli
