#pragma once
// A main window without a display, for the command-line companion and the
// benchmarks: it keeps the state the commands read back (caption, selection,
// progress, Check1), answers the pickers from queues and records messages.
// Subclasses decide how messages are shown.
#include <deque>
#include <string>
#include <vector>

#include "state/MainWindow.h"

namespace tessarin {

class HeadlessWindow : public IMainWindow {
public:
    static constexpr WindowHandle kHandle = 1;

    struct ShownMessage {
        std::string text;
        MsgIcon icon;
        std::string title;
    };

    // Paths the open-file picker answers, in order, each followed by a NUL as a
    // real dialog returns it. None left: cancel.
    std::deque<std::string> openAnswers;
    // What the folder picker answers, every time ("" cancels).
    std::string folderAnswer;
    int check1 = 0;
    std::vector<ShownMessage> messages;
    bool ended = false;
    // Set to stop long work after the entry in hand.
    bool stopRequested = false;
    // What every yes/no question is answered.
    bool yesAnswer = true;
    struct ShownReport {
        std::string title, summary;
        std::vector<std::string> lines;
    };
    std::vector<ShownReport> reports;

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
    void BeginLongWork() override { stopRequested = false; }
    bool StopRequested() const override { return stopRequested; }
    void EndLongWork() override {}
    // Shows the failure as a message and goes on: nobody is there to ask.
    FailureChoice AskAfterFailure(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string&, const std::string&) override { return yesAnswer; }
    // Records the report; subclasses show it as well.
    void ShowReport(const std::string& title, const std::string& summary,
                    const std::vector<std::string>& lines) override;
    void DoEvents() override {}
    void EndProgram() override { ended = true; }
    // Records the message; subclasses show it as well.
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;

protected:
    NodeId selected_ = kNoNode;

private:
    std::string caption_ = kProgramTitle;
    int progress_[3] = {0, 0, 0};
};

}  // namespace tessarin
