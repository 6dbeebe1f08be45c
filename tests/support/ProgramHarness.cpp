#include "support/ProgramHarness.h"

#include <gtest/gtest.h>

#include "app/OpenClose.h"
#include "app/TreeEvents.h"

namespace tessarin::testing {

ProgramHarness::ProgramHarness() {
    AddExtType(program.ExtTypes, "1A", "png");
    AddExtType(program.ExtTypes, "20", "txt");
}

std::string ProgramHarness::OpenArchive(const ArcPlan& plan, const std::string& name) {
    const std::string path = dir / name;
    WriteFileBytes(path, BuildArc(plan));
    window.openAnswers.push_back(path + std::string(1, '\0') + "filler");
    LoadArcFile(program);
    return path;
}

void ProgramHarness::SelectNode(const std::string& key) {
    const NodeId node = program.tree.Find(key);
    ASSERT_NE(node, kNoNode) << key;
    window.TreeSelect(node);
    NodeClick(program, node);
}

}  // namespace tessarin::testing
