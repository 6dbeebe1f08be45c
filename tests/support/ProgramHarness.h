#pragma once
// A program run against the recording window, with an archive written to a
// temporary folder and opened through the open command, as the user would.
#include <string>

#include "state/Program.h"
#include "support/ArcBuilder.h"
#include "support/FakeWindow.h"

namespace tessarin::testing {

struct ProgramHarness {
    FakeWindow window;
    Program program{window};
    TempDir dir;

    // The type table most tests use: 1A is png, 20 is txt.
    ProgramHarness();

    // Writes the archive to dir/name, answers the open dialog with its path and
    // runs LoadArcFile. Returns the archive's path.
    std::string OpenArchive(const ArcPlan& plan, const std::string& name = "pack.ARC");

    // Left-clicks (selects) the node with this key; fails the test when absent.
    void SelectNode(const std::string& key);
};

}  // namespace tessarin::testing
