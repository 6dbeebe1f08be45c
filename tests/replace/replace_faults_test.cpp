// A replacement or an import broken at any step of its file work, or by a full
// disk, leaves the original archive byte for byte, the records as they were, and
// no temporary file; the archive stays usable for the next command.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "extract/Export.h"
#include "replace/Import.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

// The entry before the replaced one spans several copy blocks.
const ArcPlan& Archive() {
    static const ArcPlan layout = [] {
        ArcPlan s;
        s.records = {Entry("a\\first", 0x1A, Noise((5 << 20) / 2, 777)), Entry("a\\second", 0x20, Noise(5000, 1)),
                     Entry("third", 3, Noise(100, 2))};
        s.gap = "gap";
        return s;
    }();
    return layout;
}

// Runs one writing command: replace gives source.bin to the selected entry, import
// takes the folder in/, the exports write below out/. True when it reports success.
bool RunWriting(ProgramHarness& h, const std::string& command) {
    h.window.ClearLog();
    if (command == "replace") {
        RunReplace(h, h.dir / "source.bin");
        return h.window.Calls("MsgBox") == std::vector<std::string>{kDone};
    }
    if (command.rfind("import", 0) == 0) {
        ImportPlan plan;
        return PlanImport(h.program, h.dir / "in", plan) && ApplyImport(h.program, plan);
    }
    h.window.folderAnswers.push_back(h.dir / "out");
    return command == "export one" ? ExtSub(h.program, 1) : ExportAllEntries(h.program);
}

struct ReplaceFaults : ::testing::Test {
    void TearDown() override { faults::Reset(); }
};

// Each kind of file operation fails at its 1st, 2nd, ... occurrence until the
// command no longer reaches that occurrence: a replacement of one entry, and an
// import that changes two entries and copies the large one.
TEST_F(ReplaceFaults, FailureAtEachStepKeepsTheOriginal) {
    const std::string source = Noise(100000);
    for (const std::string command : {"replace", "import"}) {
        ArcPlan expected = ExpectedAfterReplace(Archive(), 1, source);
        if (command == "import") expected = ExpectedAfterReplace(expected, 2, "changed third");
        for (const auto op : {faults::Op::Open, faults::Op::Read, faults::Op::Write, faults::Op::Sync, faults::Op::Rename}) {
            const std::string opName = command + ", operation kind " + std::to_string(static_cast<int>(op));
            int failures = 0;
            for (int nth = 1; nth <= 64; ++nth) {
                SCOPED_TRACE(opName + " #" + std::to_string(nth));
                ProgramHarness h;
                const std::string path = h.OpenArchive(Archive());
                WriteFileBytes(h.dir / "source.bin", source);
                std::filesystem::create_directories(NativePath(h.dir / "in/a"));
                WriteFileBytes(h.dir / "in/a/second.txt", source);
                WriteFileBytes(h.dir / "in/third.3", "changed third");
                const std::string before = ReadFileBytes(path);
                const auto records = Records(h.program.arc.ArcEntries);
                const std::int16_t number = h.program.arc.ArcFileNum;
                h.SelectNode("a\\second.20");

                faults::FailAt(op, nth, vberr::DeviceIO);
                const bool done = RunWriting(h, command);
                faults::Reset();
                if (done) break;  // the command has fewer operations of this kind
                ++failures;
                const auto boxes = h.window.Calls("MsgBox");
                ASSERT_EQ(boxes.size(), 1u);
                EXPECT_NE(boxes[0].find("错误编号:57"), std::string::npos) << boxes[0];
                EXPECT_NE(boxes[0].find(" | Stop | Tessarin"), std::string::npos) << boxes[0];
                EXPECT_EQ(ReadFileBytes(path), before);
                EXPECT_EQ(Records(h.program.arc.ArcEntries), records);
                EXPECT_EQ(h.program.arc.ArcFileNum, number);
                EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"in", "pack.ARC", "source.bin"}));

                // Nothing is left half done: the same command now succeeds.
                EXPECT_TRUE(RunWriting(h, command)) << ::testing::PrintToString(h.window.log);
                EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));
            }
            EXPECT_GT(failures, 0) << opName << " never reached by the command";
        }
    }
}

// Temporaries a killed run left (unlocked) go before the next run of any
// writing command writes in the same place (an import that finds nothing to
// change included); one another run holds stays.
// Replace and import write next to the archive, the exports below out/.
TEST_F(ReplaceFaults, KilledRunsTemporariesGoBeforeTheNextWrite) {
    ArcPlan plan;
    plan.records = {Entry("top", 0x20, "old")};
    for (const std::string command : {"replace", "import", "import, nothing changed", "export one", "export all"}) {
        SCOPED_TRACE(command);
        ProgramHarness h;
        h.OpenArchive(plan);
        h.SelectNode("top.20");
        const bool exporting = command.rfind("export", 0) == 0;
        const std::string folder = exporting ? h.dir / "out" : h.dir.path(), name = exporting ? "top.txt" : "pack.ARC";
        std::filesystem::create_directories(NativePath(folder));
        const std::string stale = "." + name + ".tessarin-99999-1.tmp", live = "." + name + ".tessarin-99999-2.tmp";
        WriteFileBytes(folder + "/" + stale, "left by a killed run");
        WriteFileBytes(folder + "/" + live, "being written");
        BinaryFile writer = BinaryFile::Open(folder + "/" + live, OpenMode::ReadWriteLocked);
        WriteFileBytes(h.dir / "source.bin", "new");
        std::filesystem::create_directories(NativePath(h.dir / "in"));
        WriteFileBytes(h.dir / "in/top.txt", command == "import, nothing changed" ? "old" : "new");
        EXPECT_TRUE(RunWriting(h, command)) << ::testing::PrintToString(h.window.log);
        const auto names = FolderListing(folder);
        EXPECT_EQ(std::count(names.begin(), names.end(), stale), 0);
        EXPECT_EQ(std::count(names.begin(), names.end(), live), 1);
    }
}

#ifndef _WIN32
// A real full disk: the child process may not grow any file past a limit just
// above the original archive's size, so the new archive cannot be written.
TEST_F(ReplaceFaults, FullDiskKeepsTheOriginal) {
    ProgramHarness h;
    const std::string path = h.OpenArchive(Archive());
    WriteFileBytes(h.dir / "source.bin", Noise(64 << 10));
    const std::string before = ReadFileBytes(path);
    h.SelectNode("third.3");
    h.window.ClearLog();

    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead of killing
        const rlim_t limit = before.size() + 1000;
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        RunReplace(h, h.dir / "source.bin");
        const auto boxes = h.window.Calls("MsgBox");
        const bool reported = boxes.size() == 1 &&
                              boxes[0].rfind("MsgBox | 写入新档案时出错，原档案未作改动：", 0) == 0 &&
                              boxes[0].find("错误编号:61") != std::string::npos;
        ::_exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child did not report the full disk";
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"pack.ARC", "source.bin"}));
}
#endif

}  // namespace
}  // namespace tessarin::testing
