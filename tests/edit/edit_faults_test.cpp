// Create, add, delete and rename broken at each step of their file work: the
// archive stays byte for byte as it was (a new one is not left at all), no
// temporary file remains, and the same command then succeeds.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "edit/CreateArchive.h"
#include "edit/EditEntries.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

struct EditFaults : ::testing::Test {
    void TearDown() override { faults::Reset(); }
};

bool RunEdit(ProgramHarness& h, const std::string& command) {
    h.window.ClearLog();
    if (command == "create") {
        CreatePlan plan;
        return PlanCreate(h.program, h.dir / "in", plan) && WriteNewArchive(h.program, plan, h.dir / "new.arc");
    }
    if (command == "add") return AddEntry(h.program, "a\\added.20", h.dir / "in/a/second.txt");
    if (command == "delete") return DeleteEntries(h.program, {"a\\second.20"});
    return RenameEntry(h.program, "a\\second.20", "b\\renamed.1A");
}

TEST_F(EditFaults, FailureAtEachStepChangesNothing) {
    ArcPlan layout;  // the first entry spans several copy blocks
    layout.records = {Entry("a\\first", 0x1A, Noise((5 << 20) / 2, 777)), Entry("a\\second", 0x20, Noise(5000, 1)),
                      Entry("third", 3, Noise(100, 2))};
    for (const std::string command : {"create", "add", "delete", "rename"}) {
        // The bytes the command writes when nothing fails.
        std::string expected;
        {
            ProgramHarness h;
            h.OpenArchive(layout);
            std::filesystem::create_directories(NativePath(h.dir / "in/a"));
            WriteFileBytes(h.dir / "in/a/second.txt", Noise(100000));
            WriteFileBytes(h.dir / "in/third.3", "third");
            ASSERT_TRUE(RunEdit(h, command)) << command;
            expected = ReadFileBytes(command == "create" ? h.dir / "new.arc" : h.dir / "pack.ARC");
        }
        for (const auto op : {faults::Op::Open, faults::Op::Read, faults::Op::Write, faults::Op::Sync, faults::Op::Rename}) {
            const std::string opName = command + ", operation kind " + std::to_string(static_cast<int>(op));
            int failures = 0;
            for (int nth = 1; nth <= 64; ++nth) {
                SCOPED_TRACE(opName + " #" + std::to_string(nth));
                ProgramHarness h;
                const std::string path = h.OpenArchive(layout);
                std::filesystem::create_directories(NativePath(h.dir / "in/a"));
                WriteFileBytes(h.dir / "in/a/second.txt", Noise(100000));
                WriteFileBytes(h.dir / "in/third.3", "third");
                const std::string before = ReadFileBytes(path);
                const auto records = Records(h.program.arc.ArcEntries);

                faults::FailAt(op, nth, vberr::DeviceIO);
                const bool done = RunEdit(h, command);
                faults::Reset();
                if (done) break;  // the command has fewer operations of this kind
                ++failures;
                const auto boxes = h.window.Calls("MsgBox");
                ASSERT_EQ(boxes.size(), 1u);
                EXPECT_NE(boxes[0].find("错误编号:57"), std::string::npos) << boxes[0];
                EXPECT_EQ(ReadFileBytes(path), before);
                EXPECT_EQ(Records(h.program.arc.ArcEntries), records);
                EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"in", "pack.ARC"}));

                EXPECT_TRUE(RunEdit(h, command)) << ::testing::PrintToString(h.window.log);
                EXPECT_EQ(ReadFileBytes(command == "create" ? h.dir / "new.arc" : path), expected);
            }
            EXPECT_GT(failures, 0) << opName << " never reached by the command";
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
