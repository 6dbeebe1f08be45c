#pragma once
// The program as the window drives it: archives opened through the open
// command (the dialog answered with the path), nodes selected by a click, and
// the 替换 command run as the user runs it.
#include "app/ExportCommands.h"
#include "app/OpenClose.h"
#include "app/TreeEvents.h"
#include "replace/ReplaceSupport.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {

struct WindowHarness : ProgramHarness {
    void Open(const std::string& path) override {
        window.openAnswers.push_back(path + std::string(1, '\0') + "filler");
        LoadArcFile(program);
    }

protected:
    void Clicked(NodeId node) override { NodeClick(program, node); }
};

// Answers the picker with path (NUL and filler after it, as the dialog does) and runs 替换; whether it succeeded.
inline bool RunReplace(ProgramHarness& h, const std::string& sourcePath) {
    h.window.openAnswers.push_back(sourcePath + std::string(1, '\0') + "filler");
    return ReplaceFile(h.program, FakeWindow::kMainHandle);
}

}  // namespace tessarin::testing
