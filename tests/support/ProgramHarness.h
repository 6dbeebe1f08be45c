#pragma once
// A program run against the recording window, with an archive written to a
// temporary folder and opened as the layers below the commands see it: the
// directory read, the tree built, the file held open and the node selected.
// The window's own opening and clicks are the app tests' (WindowHarness).
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
    virtual ~ProgramHarness() = default;

    // Writes the archive to dir/name and opens it. Returns the archive's path.
    std::string OpenArchive(const ArcPlan& plan, const std::string& name = "pack.ARC");

    // Opens the archive at path; fails the test when it cannot be read.
    virtual void Open(const std::string& path);

    // Selects the node with this key; fails the test when absent.
    void SelectNode(const std::string& key);

protected:
    // What selecting a node does besides the window's selection.
    virtual void Clicked(NodeId node) {}
};

}  // namespace tessarin::testing
