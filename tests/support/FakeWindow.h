#pragma once
// A recording main window: every call is appended to log, in order, as
// "Name | arg | arg"; pickers and the context menu answer from scripts, and
// the current state (caption, panels, enabled states...) can be read back.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/MainWindow.h"

namespace tessarin::testing {

class FakeWindow : public IMainWindow {
public:
    static constexpr WindowHandle kMainHandle = 0x1001;

    // Scripts: answers for the pickers and the context menu, taken in order.
    // An empty script answers "" (cancel) / TreeMenuChoice::None.
    std::deque<std::string> openAnswers;    // returned as given (add "\0..." yourself)
    std::deque<std::string> folderAnswers;
    std::deque<TreeMenuChoice> menuAnswers;
    // Runs while frmInfo is "shown"; may press its buttons by calling commands.
    std::function<void(const InfoTexts&)> onShowinfo;
    // Runs at each DoEvents (e.g. to check that the window is disabled).
    std::function<void()> onDoEvents;

    // State as the calls left it.
    std::string caption = "Tessarin";
    std::string panels[4] = {"", "就绪", "", ""};
    int panelWidth[4] = {0, 5835, 1875, 1440};
    struct Bar { bool visible = false; int width = 0, min = 0, max = 100, value = 0; };
    Bar bars[3];
    std::map<std::string, bool> menuEnabled;
    std::map<int, bool> buttonEnabled;
    int check1 = 0;
    NodeId selected = kNoNode;
    bool mainEnabled = true;
    bool ended = false;
    bool treeResetOpen = false;  // between TreeBeginReset and TreeEndReset
    std::vector<InfoTexts> shownInfos;

    std::vector<std::string> log;

    FakeWindow();

    // Entries of log that start with prefix (e.g. "MsgBox").
    std::vector<std::string> Calls(const std::string& prefix) const;
    void ClearLog() { log.clear(); }

    WindowHandle Handle() const override { return kMainHandle; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override;
    void SetPanelText(int panel, const std::string& text) override;
    int PanelWidth(int panel) const override { return panelWidth[panel]; }
    void SetProgressVisible(int bar, bool visible) override;
    void SetProgressWidth(int bar, int twips) override;
    void SetProgressMin(int bar, int value) override;
    void SetProgressMax(int bar, int value) override;
    void SetProgressValue(int bar, int value) override;
    int ProgressValue(int bar) const override { return bars[bar].value; }
    void TreeBeginReset() override;
    void TreeEndReset() override;
    void TreeSelect(NodeId node) override;
    void TreeEnsureVisible(NodeId node) override;
    void TreeExpand(NodeId node) override;
    NodeId TreeSelected() const override { return selected; }
    void SetMenuEnabled(const std::string& name, bool enabled) override;
    void SetButtonEnabled(int index, bool enabled) override;
    int Check1Value() const override { return check1; }
    void SetMainEnabled(bool enabled) override;
    std::string ShowOpenDialog(WindowHandle owner, const std::string& filter,
                               const std::string& title) override;
    std::string BrowseForFolder(WindowHandle owner, const std::string& prompt,
                                const std::string& initialFolder, std::int32_t flags) override;
    TreeMenuChoice PopupTreeMenu() override;
    void Showinfo(const InfoTexts& texts) override;
    void ShowAbout() override;
    void DoEvents() override;
    void EndProgram() override;
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;

private:
    void Record(std::string entry) { log.push_back(std::move(entry)); }
};

const char* IconName(MsgIcon icon);

}  // namespace tessarin::testing
