#include "support/FakeWindow.h"

namespace tessarin::testing {
// MsgIcon's names, in the enumeration's order.
constexpr const char* kIconNames[] = {"Information", "Warning", "Stop", "Question"};

FakeWindow::FakeWindow() {
    for (const char* name : {"nopen", "nexit", "nabout", "nfile", "nhelp", "nalle"}) menuEnabled[name] = true;
    for (const char* name : {"nclose", "nobject", "nexport", "nimport", "nproperty", "nimportdir"}) menuEnabled[name] = false;
    buttonEnabled = {{1, true}, {2, false}, {4, false}, {5, false}, {6, false}, {8, false}};
}

std::vector<std::string> FakeWindow::Calls(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
    return out;
}

void FakeWindow::DoEvents() {
    Rec("DoEvents");
    if (onDoEvents) onDoEvents();
}

void FakeWindow::MsgBox(const std::string& text, MsgIcon icon, const std::string& title) {
    Rec("MsgBox", text, std::string(kIconNames[static_cast<int>(icon)]), title);
}

}  // namespace tessarin::testing
