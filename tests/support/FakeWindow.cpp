#include "support/FakeWindow.h"

namespace tessarin::testing {

namespace {
std::string B(bool v) { return v ? "true" : "false"; }
}  // namespace

const char* IconName(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information: return "Information";
        case MsgIcon::Warning: return "Warning";
        case MsgIcon::Stop: return "Stop";
    }
    return "?";
}

FakeWindow::FakeWindow() {
    for (const char* name : {"nopen", "nexit", "nabout", "nfile", "nhelp", "nalle"}) menuEnabled[name] = true;
    for (const char* name : {"nclose", "nobject", "nexport", "nimport", "nproperty"}) menuEnabled[name] = false;
    buttonEnabled = {{1, true}, {2, false}, {4, false}, {5, false}, {6, false}, {8, false}};
}

std::vector<std::string> FakeWindow::Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
    return out;
}

void FakeWindow::SetCaption(const std::string& c) { caption = c; Record("SetCaption | " + c); }
void FakeWindow::SetPanelText(int panel, const std::string& text) {
    panels[panel] = text;
    Record("SetPanelText | " + std::to_string(panel) + " | " + text);
}
void FakeWindow::SetProgressVisible(int bar, bool visible) {
    bars[bar].visible = visible;
    Record("SetProgressVisible | " + std::to_string(bar) + " | " + B(visible));
}
void FakeWindow::SetProgressWidth(int bar, int twips) {
    bars[bar].width = twips;
    Record("SetProgressWidth | " + std::to_string(bar) + " | " + std::to_string(twips));
}
void FakeWindow::SetProgressMin(int bar, int value) {
    bars[bar].min = value;
    Record("SetProgressMin | " + std::to_string(bar) + " | " + std::to_string(value));
}
void FakeWindow::SetProgressMax(int bar, int value) {
    bars[bar].max = value;
    Record("SetProgressMax | " + std::to_string(bar) + " | " + std::to_string(value));
}
void FakeWindow::SetProgressValue(int bar, int value) {
    bars[bar].value = value;
    Record("SetProgressValue | " + std::to_string(bar) + " | " + std::to_string(value));
}
void FakeWindow::TreeBeginReset() { treeResetOpen = true; Record("TreeBeginReset"); }
void FakeWindow::TreeEndReset() { treeResetOpen = false; Record("TreeEndReset"); }
void FakeWindow::TreeSelect(NodeId node) { selected = node; Record("TreeSelect | " + std::to_string(node)); }
void FakeWindow::TreeEnsureVisible(NodeId node) { Record("TreeEnsureVisible | " + std::to_string(node)); }
void FakeWindow::TreeExpand(NodeId node) { Record("TreeExpand | " + std::to_string(node)); }
void FakeWindow::SetMenuEnabled(const std::string& name, bool enabled) {
    menuEnabled[name] = enabled;
    Record("SetMenuEnabled | " + name + " | " + B(enabled));
}
void FakeWindow::SetButtonEnabled(int index, bool enabled) {
    buttonEnabled[index] = enabled;
    Record("SetButtonEnabled | " + std::to_string(index) + " | " + B(enabled));
}
void FakeWindow::SetMainEnabled(bool enabled) {
    mainEnabled = enabled;
    Record("SetMainEnabled | " + B(enabled));
}
std::string FakeWindow::ShowOpenDialog(WindowHandle owner, const std::string& filter, const std::string& title) {
    Record("ShowOpenDialog | " + std::to_string(owner) + " | " + filter + " | " + title);
    if (openAnswers.empty()) return "";
    std::string answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}
std::string FakeWindow::BrowseForFolder(WindowHandle owner, const std::string& prompt,
                                        const std::string& initialFolder, std::int32_t flags) {
    Record("BrowseForFolder | " + std::to_string(owner) + " | " + prompt + " | " + initialFolder + " | " +
           std::to_string(flags));
    if (folderAnswers.empty()) return "";
    std::string answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}
TreeMenuChoice FakeWindow::PopupTreeMenu() {
    Record("PopupTreeMenu");
    if (menuAnswers.empty()) return TreeMenuChoice::None;
    TreeMenuChoice answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}
void FakeWindow::Showinfo(const InfoTexts& t) {
    Record("Showinfo | " + t.filename + " | " + t.FiletypeHex + " | " + t.Filetype + " | " + t.Filepath + " | " +
           t.FileOFSET + " | " + t.Filesize);
    shownInfos.push_back(t);
    if (onShowinfo) onShowinfo(t);
}
void FakeWindow::ShowAbout() { Record("ShowAbout"); }
void FakeWindow::DoEvents() {
    Record("DoEvents");
    if (onDoEvents) onDoEvents();
}
void FakeWindow::EndProgram() { ended = true; Record("EndProgram"); }
void FakeWindow::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    Record("MsgBox | " + text + " | " + IconName(icon) + " | " + title);
}

}  // namespace tessarin::testing
