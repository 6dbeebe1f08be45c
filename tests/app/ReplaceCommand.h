#pragma once
// The window's 替换 command run as the user runs it: the picker answered.
#include <string>

#include "app/ExportCommands.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {

// Answers the picker with path (NUL and filler after it, as the dialog does) and runs the command.
inline void RunReplace(ProgramHarness& h, const std::string& sourcePath) {
    h.window.openAnswers.push_back(sourcePath + std::string(1, '\0') + "filler");
    ReplaceFile(h.program, FakeWindow::kMainHandle);
}

}  // namespace tessarin::testing
