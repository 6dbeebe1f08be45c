#pragma once
// The window of a program that has none (the command-line companion, the
// benchmarks): it keeps the state the commands read back (caption, the node
// they select) and passes everything an operation reports
// (messages, questions, stop, long work's progress) on to the events it was
// made with. The pickers cancel: a run without a window gets its inputs in
// the operations' requests.
#include <string>

#include "state/MainWindow.h"

namespace tessarin {

class HeadlessWindow final : public IMainWindow {
public:
    static constexpr WindowHandle kHandle = 1;

    explicit HeadlessWindow(OperationEvents& events) : events_(events) {}

    WindowHandle Handle() const override { return kHandle; }
    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    void SetPanelText(int, const std::string&) override {}
    int PanelWidth(int) const override { return 0; }
    void SetProgressVisible(int bar, bool visible) override;
    void SetProgressWidth(int, int) override {}
    void SetProgressMin(int, int) override {}
    void SetProgressMax(int bar, int value) override;
    void SetProgressValue(int bar, int value) override;
    void ProgressItems(std::size_t done, std::size_t total) override { events_.ProgressItems(done, total); }
    void TreeBeginReset() override {}
    void TreeEndReset() override {}
    void TreeSelect(NodeId node) override { selected_ = node; }
    void TreeEnsureVisible(NodeId) override {}
    void TreeExpand(NodeId) override {}
    NodeId TreeSelected() const override { return selected_; }
    void SetMenuEnabled(const std::string&, bool) override {}
    void SetButtonEnabled(int, bool) override {}
    int Check1Value() const override { return 0; }
    void SetMainEnabled(bool) override {}
    std::string ShowOpenDialog(WindowHandle, const std::string&, const std::string&) override { return {}; }
    std::string BrowseForFolder(WindowHandle, const std::string&, const std::string&, std::int32_t) override {
        return {};
    }
    TreeMenuChoice PopupTreeMenu() override { return TreeMenuChoice::None; }
    void Showinfo(const InfoTexts&) override {}
    void ShowAbout() override {}
    void BeginLongWork() override {}
    bool StopRequested() const override { return events_.StopRequested(); }
    void EndLongWork() override {}
    FailureChoice AskAfterFailure(const std::string& text, const std::string& title) override {
        return events_.AskAfterFailure(text, title);
    }
    bool AskYesNo(const std::string& text, const std::string& title) override { return events_.AskYesNo(text, title); }
    void ShowReport(const std::string& title, const std::string& summary,
                    const std::vector<std::string>& lines) override {
        events_.ShowReport(title, summary, lines);
    }
    void DoEvents() override {}
    void EndProgram() override {}
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override {
        events_.MsgBox(text, icon, title);
    }

private:
    OperationEvents& events_;
    NodeId selected_ = kNoNode;
    std::string caption_ = kProgramTitle;
};

}  // namespace tessarin
