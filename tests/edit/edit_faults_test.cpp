// Create, add, delete and rename broken at each step of their file work: the
// archive stays byte for byte as it was (a new one is not left at all), no
// temporary file remains, and the same command then succeeds.
#include <gtest/gtest.h>

#include "edit/CreateArchive.h"
#include "edit/EditEntries.h"
#include "replace/ReplaceSupport.h"
#include "support/FaultSweep.h"

namespace tessarin::testing {
namespace {

bool RunEdit(ProgramHarness& h, const std::string& command) {
    h.window.ClearLog();
    if (command == "create") {
        CreatePlan plan;
        return PlanCreate(h.program, h.dir / "in", plan) && WriteNewArchive(h.program, plan, h.dir / "new.arc");
    }
    if (command == "add") return AddEntry(h.program, "a\\added.20", h.dir / "in/a/second.txt");
    if (command == "delete") return DeleteEntries(h.program, DeleteRequest{{"a\\second.20"}});
    return RenameEntry(h.program, "a\\second.20", "b\\renamed.1A");
}

TEST(EditFaults, FailureAtEachStepChangesNothing) {
    // The first entry spans several copy blocks.
    const ArcPlan layout = Archive({Entry("a\\first", 0x1A, Noise((5 << 20) / 2, 777)),
                                    Entry("a\\second", 0x20, Noise(5000, 1)), Entry("third", 3, Noise(100, 2))});
    for (const std::string name : {"create", "add", "delete", "rename"}) {
        const ArchiveCommand command{[&](ProgramHarness& h) {
                                         h.OpenArchive(layout);
                                         WriteFiles(h.dir / "in", {{"a/second.txt", Noise(100000)}, {"third.3", "third"}});
                                     },
                                     [name](ProgramHarness& h) { return RunEdit(h, name); }, {"in", "pack.ARC"},
                                     name == "create" ? "new.arc" : "pack.ARC"};
        ProgramHarness clean;  // the bytes the command writes when nothing fails
        command.prepare(clean);
        ASSERT_TRUE(command.run(clean)) << name;
        ExpectEachFaultChangesNothing(name, command, ReadFileBytes(clean.dir / command.written));
    }
}

}  // namespace
}  // namespace tessarin::testing
