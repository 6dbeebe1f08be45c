#pragma once
// A recording main window: every call is appended to log, in order, as
// "Name | arg | arg"; pickers answer from scripts, the context menu with nothing, and
// the current state (caption, panels, enabled states...) can be read back.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "state/MainWindow.h"

namespace tessarin::testing {

class FakeWindow : public IMainWindow {
public:
    static constexpr WindowHandle kMainHandle = 0x1001;

    // Scripts: answers for the pickers, taken in order. An empty script answers "" (cancel).
    std::deque<std::string> openAnswers;    // returned as given (add "\0..." yourself)
    std::deque<std::string> folderAnswers;
    std::deque<FailureChoice> failureAnswers;  // empty: GoOn
    std::deque<bool> yesNoAnswers;             // empty: no
    // Set (e.g. from onDoEvents) to stop long work.
    bool stopRequested = false;
    // Runs at each DoEvents (e.g. to check that the window is disabled).
    std::function<void()> onDoEvents;

    // State as the calls left it.
    std::string caption = "Tessarin";
    std::string panels[4] = {"", "就绪", "", ""};
    int panelWidth[4] = {0, 5835, 1875, 1440};
    struct Bar { bool visible = false; int width = 0, min = 0, max = 100, value = 0; };
    Bar bars[3];
    std::size_t workDone = 0, workTotal = 0;  // long work's items, beside bar 2
    std::map<std::string, bool> menuEnabled;
    std::map<int, bool> buttonEnabled;
    int check1 = 0;
    NodeId selected = kNoNode;
    std::vector<NodeId> alsoSelected;  // selected besides the current node
    std::vector<NodeId> expanded;  // what TreeExpandedNodes answers
    bool mainEnabled = true;
    bool ended = false;
    bool longWork = false;  // between BeginLongWork and EndLongWork
    struct Report { std::string title, summary; std::vector<std::string> lines; };
    std::vector<Report> reports;

    std::vector<std::string> log;

    FakeWindow();

    // Entries of log that start with prefix (e.g. "MsgBox").
    std::vector<std::string> Calls(const std::string& prefix) const;
    void ClearLog() { log.clear(); }

    WindowHandle Handle() const override { return kMainHandle; }
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c) override { Rec("SetCaption", caption = c); }
    void SetPanelText(int panel, const std::string& text) override { Rec("SetPanelText", panel, panels[panel] = text); }
    std::string PanelText(int panel) const override { return panels[panel]; }
    int PanelWidth(int panel) const override { return panelWidth[panel]; }
    void SetProgressVisible(int bar, bool v) override { Rec("SetProgressVisible", bar, bars[bar].visible = v); }
    void SetProgressWidth(int bar, int twips) override { Rec("SetProgressWidth", bar, bars[bar].width = twips); }
    void SetProgressMin(int bar, int value) override { Rec("SetProgressMin", bar, bars[bar].min = value); }
    void SetProgressMax(int bar, int value) override { Rec("SetProgressMax", bar, bars[bar].max = value); }
    void SetProgressValue(int bar, int value) override { Rec("SetProgressValue", bar, bars[bar].value = value); }
    void ProgressItems(std::size_t done, std::size_t total) override {
        Rec("SetWorkItems", static_cast<int>(workDone = done), static_cast<int>(workTotal = total));
    }
    void TreeBeginReset() override { Rec("TreeBeginReset"); }
    void TreeEndReset() override { Rec("TreeEndReset"); }
    void TreeSelect(NodeId node) override { Rec("TreeSelect", selected = node); }
    void TreeEnsureVisible(NodeId node) override { Rec("TreeEnsureVisible", node); }
    void TreeExpand(NodeId node) override { Rec("TreeExpand", node); }
    NodeId TreeSelected() const override { return selected; }
    // The selection is the selected node unless alsoSelected names more.
    std::vector<NodeId> TreeSelection() const override {
        std::vector<NodeId> nodes = alsoSelected;
        if (selected != kNoNode) nodes.insert(nodes.begin(), selected);
        return nodes;
    }
    void TreeBeginEdit() override { Rec("TreeBeginEdit"); }
    void TreeEndEdit() override { Rec("TreeEndEdit"); }
    void TreeBeginRemove(NodeId node) override { Rec("TreeBeginRemove", node); }
    void TreeEndRemove() override { Rec("TreeEndRemove"); }
    void TreeBeginInsert(NodeId parent) override { Rec("TreeBeginInsert", parent); }
    void TreeEndInsert() override { Rec("TreeEndInsert"); }
    void TreeNodeChanged(NodeId node) override { Rec("TreeNodeChanged", node); }
    std::vector<NodeId> TreeExpandedNodes() const override { return expanded; }
    void SetMenuEnabled(const std::string& name, bool on) override { Rec("SetMenuEnabled", name, menuEnabled[name] = on); }
    void SetButtonEnabled(int index, bool on) override { Rec("SetButtonEnabled", index, buttonEnabled[index] = on); }
    int Check1Value() const override { return check1; }
    void SetMainEnabled(bool enabled) override { Rec("SetMainEnabled", mainEnabled = enabled); }
    std::string ShowOpenDialog(WindowHandle owner, const std::string& filter, const std::string& title) override {
        Rec("ShowOpenDialog", static_cast<int>(owner), filter, title);
        return Next(openAnswers, std::string());
    }
    std::string BrowseForFolder(WindowHandle owner, const std::string& prompt, const std::string& initialFolder,
                                std::int32_t flags) override {
        Rec("BrowseForFolder", static_cast<int>(owner), prompt, initialFolder, flags);
        return Next(folderAnswers, std::string());
    }
    TreeMenuChoice PopupTreeMenu() override { Rec("PopupTreeMenu"); return TreeMenuChoice::None; }
    void Showinfo(const InfoTexts& t) override {
        Rec("Showinfo", t.filename, t.FiletypeHex, t.Filetype, t.Filepath, t.FileOFSET, t.Filesize);
    }
    void ShowAbout() override { Rec("ShowAbout"); }
    void BeginLongWork() override { stopRequested = false; longWork = true; Rec("BeginLongWork"); }
    bool StopRequested() const override { return stopRequested; }
    void EndLongWork() override { longWork = false; Rec("EndLongWork"); }
    FailureChoice AskAfterFailure(const std::string& text, const std::string& title) override {
        Rec("AskAfterFailure", text, title);
        return Next(failureAnswers, FailureChoice::GoOn);
    }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        Rec("AskYesNo", text, title);
        return Next(yesNoAnswers, false);
    }
    void ShowReport(const std::string& title, const std::string& summary,
                    const std::vector<std::string>& lines) override {
        Rec("ShowReport", title, summary, static_cast<int>(lines.size()));
        reports.push_back({title, summary, lines});
    }
    // Reached only when the fake serves as the events of a program without a window.
    void ProgressBegun(int steps) override { Rec("ProgressBegun", steps); }
    void ProgressEnded() override { Rec("ProgressEnded"); }
    void DoEvents() override;
    void EndProgram() override { ended = true; Rec("EndProgram"); }
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override;

private:
    static std::string Str(const std::string& s) { return s; }
    static std::string Str(bool b) { return b ? "true" : "false"; }
    static std::string Str(int n) { return std::to_string(n); }
    // Appends "name | arg | arg" to the log.
    template <class... Args>
    void Rec(const char* name, const Args&... args) {
        std::string entry = name;
        ((entry += " | " + Str(args)), ...);
        log.push_back(std::move(entry));
    }
    template <class T>
    static T Next(std::deque<T>& script, T none) {
        if (script.empty()) return none;
        T answer = std::move(script.front());
        script.pop_front();
        return answer;
    }
};

}  // namespace tessarin::testing
