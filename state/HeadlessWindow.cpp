#include "state/HeadlessWindow.h"

namespace tessarin {

void HeadlessWindow::SetProgressValue(int bar, int value) {
    if (bar >= 0 && bar < 3) progress_[bar] = value;
}

int HeadlessWindow::ProgressValue(int bar) const { return bar >= 0 && bar < 3 ? progress_[bar] : 0; }

std::string HeadlessWindow::ShowOpenDialog(WindowHandle, const std::string&, const std::string&) {
    if (openAnswers.empty()) return "";
    std::string answer = openAnswers.front();
    openAnswers.pop_front();
    if (answer.empty()) return "";
    return answer + '\0';
}

std::string HeadlessWindow::BrowseForFolder(WindowHandle, const std::string&, const std::string&, std::int32_t) {
    return folderAnswer;
}

void HeadlessWindow::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    messages.push_back({text, icon, title});
}

FailureChoice HeadlessWindow::AskAfterFailure(const std::string& text, const std::string& title) {
    MsgBox(text, MsgIcon::Stop, title);
    return FailureChoice::GoOn;
}

void HeadlessWindow::ShowReport(const std::string& title, const std::string& summary,
                                const std::vector<std::string>& lines) {
    reports.push_back({title, summary, lines});
}

}  // namespace tessarin
