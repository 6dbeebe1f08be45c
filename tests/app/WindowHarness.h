#pragma once
// The program as the window drives it: archives opened through the open
// command (the dialog answered with the path), nodes selected by a click.
#include "app/OpenClose.h"
#include "app/TreeEvents.h"
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

}  // namespace tessarin::testing
