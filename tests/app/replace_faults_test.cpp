// A replacement or an import broken at any step of its file work leaves the
// original archive byte for byte, the records as they were, and no temporary
// file; the archive stays usable for the next command. A real full disk is
// tried with the companion's replace.
#include <gtest/gtest.h>

#include "extract/Export.h"
#include "replace/Import.h"
#include "app/WindowHarness.h"
#include "support/FaultSweep.h"

namespace tessarin::testing {
namespace {

// The entry before the replaced one spans several copy blocks.
const ArcPlan& Layout() {
    static const ArcPlan layout = [] {
        ArcPlan s = Archive({Entry("a\\first", 0x1A, Noise((5 << 20) / 2, 777)),
                             Entry("a\\second", 0x20, Noise(5000, 1)), Entry("third", 3, Noise(100, 2))});
        s.gap = "gap";
        return s;
    }();
    return layout;
}

// Runs one writing command: replace gives source.bin to the selected entry, import
// takes the folder in/, the exports write below out/. True when it reports success.
bool RunWriting(ProgramHarness& h, const std::string& command) {
    h.window.ClearLog();
    if (command == "replace")
        return RunReplace(h, h.dir / "source.bin") && h.window.Calls("MsgBox") == std::vector<std::string>{kDone};
    if (command.rfind("import", 0) == 0) {
        ImportPlan plan;
        return PlanImport(h.program, h.dir / "in", plan) && ApplyImport(h.program, plan);
    }
    const ExportRequest request{h.dir / "out"};
    return command == "export one" ? ExportOneEntry(h.program, request, h.program.SelectedNode()->key)
                                   : ExportEntries(h.program, request);
}

// A replacement of one entry, and an import that changes two entries and copies the large one.
TEST(ReplaceFaults, FailureAtEachStepKeepsTheOriginal) {
    const std::string source = Noise(100000);
    for (const std::string name : {"replace", "import"}) {
        ArcPlan expected = ExpectedAfterReplace(Layout(), 1, source);
        if (name == "import") expected = ExpectedAfterReplace(expected, 2, "changed third");
        const ArchiveCommand command{[&](ProgramHarness& h) {
                                         h.OpenArchive(Layout());
                                         WriteFileBytes(h.dir / "source.bin", source);
                                         WriteFiles(h.dir / "in", {{"a/second.txt", source}, {"third.3", "changed third"}});
                                         h.SelectNode("a\\second.20");
                                     },
                                     [name](ProgramHarness& h) { return RunWriting(h, name); },
                                     {"in", "pack.ARC", "source.bin"}};
        ExpectEachFaultChangesNothing(name, command, BuildArc(expected));
    }
}

// Temporaries a killed run left go before the next run of any writing command
// writes in the same place (an import that finds nothing to change included);
// which ones count as left is the platform tests' business.
// Replace and import write next to the archive, the exports below out/.
TEST(ReplaceFaults, KilledRunsTemporariesGoBeforeTheNextWrite) {
    const ArcPlan plan = Archive({Entry("top", 0x20, "old")});
    for (const std::string command : {"replace", "import", "import, nothing changed", "export one", "export all"}) {
        SCOPED_TRACE(command);
        ProgramHarness h;
        h.OpenArchive(plan);
        h.SelectNode("top.20");
        const bool exporting = command.rfind("export", 0) == 0;
        const std::string folder = exporting ? h.dir / "out" : h.dir.path(), name = exporting ? "top.txt" : "pack.ARC";
        const std::string stale = "." + name + ".tessarin-99999-1.tmp";
        WriteFiles(folder, {{stale, "left by a killed run"}});
        WriteFileBytes(h.dir / "source.bin", "new");
        WriteFiles(h.dir / "in", {{"top.txt", command == "import, nothing changed" ? "old" : "new"}});
        EXPECT_TRUE(RunWriting(h, command)) << ::testing::PrintToString(h.window.log);
        EXPECT_FALSE(std::filesystem::exists(NativePath(folder + "/" + stale)));
    }
}

}  // namespace
}  // namespace tessarin::testing
