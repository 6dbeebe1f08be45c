#include "cli/ConsoleWindow.h"

#include "cli/Console.h"
#include "core/MessageTexts.h"
#include "app/OpenClose.h"

namespace tessarin::cli {

bool ConsoleWindow::SelectEntry(const EntryTree& tree, const std::string& key) {
    const NodeId node = tree.Find(key);
    if (node == kNoNode || !IsEntryKey(key)) {
        MsgBox("档案中没有这个条目，KEY：" + key, MsgIcon::Stop, kProgramTitle);
        return false;
    }
    selected_ = node;
    return true;
}

void ConsoleWindow::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    HeadlessWindow::MsgBox(text, icon, title);
    // Texts may begin or end with line breaks meant for a dialog's layout.
    std::string shown = WithNewlines(text);
    const auto first = shown.find_first_not_of('\n');
    const auto last = shown.find_last_not_of('\n');
    shown = first == std::string::npos ? std::string() : shown.substr(first, last - first + 1);
    PrintError(shown);
}

bool OpenArchive(Program& program, ConsoleWindow& window, const std::string& path) {
    if (path.empty()) {
        window.MsgBox("未指定档案文件。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    window.openAnswers.push_back(path);
    LoadArcFile(program);
    return !program.ending && !window.ended && program.arc.ArcFileNum != 0 &&
           program.files.IsOpen(program.arc.ArcFileNum);
}

}  // namespace tessarin::cli
