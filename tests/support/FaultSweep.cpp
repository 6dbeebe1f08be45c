#include "support/FaultSweep.h"

#include <gtest/gtest.h>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "support/Listings.h"

namespace tessarin::testing {

void SweepFileFaults(const std::string& what, const std::function<bool(const FailingRun&)>& attempt) {
    for (const auto op : {faults::Op::Open, faults::Op::Read, faults::Op::Write, faults::Op::Sync, faults::Op::Rename}) {
        const std::string kind = what + ", operation kind " + std::to_string(static_cast<int>(op));
        int failures = 0;
        for (int nth = 1; nth <= 64; ++nth) {
            SCOPED_TRACE(kind + " #" + std::to_string(nth));
            const FailingRun failing = [&](const std::function<bool()>& command) {
                struct Disarm {
                    ~Disarm() { faults::Reset(); }
                } disarm;
                faults::FailAt(op, nth, vberr::DeviceIO);
                return command();
            };
            if (attempt(failing)) break;
            ++failures;
        }
        EXPECT_GT(failures, 0) << kind << " never reached by the command";
    }
}

void ExpectEachFaultChangesNothing(const std::string& what, const ArchiveCommand& command, const std::string& expected) {
    SweepFileFaults(what, [&](const FailingRun& failing) {
        ProgramHarness h;
        command.prepare(h);
        const std::string path = h.dir / "pack.ARC", before = ReadFileBytes(path);
        const auto records = Records(h.program.arc.ArcEntries);
        const std::int16_t number = h.program.arc.ArcFileNum;
        if (failing([&] { return command.run(h); })) return true;
        const auto boxes = h.window.Calls("MsgBox");
        EXPECT_EQ(boxes.size(), 1u) << ::testing::PrintToString(boxes);
        for (const std::string& box : boxes) {
            EXPECT_NE(box.find("错误编号:57"), std::string::npos) << box;
            EXPECT_NE(box.find(" | Stop | Tessarin"), std::string::npos) << box;
        }
        EXPECT_EQ(ReadFileBytes(path), before);
        EXPECT_EQ(Records(h.program.arc.ArcEntries), records);
        EXPECT_EQ(h.program.arc.ArcFileNum, number);
        EXPECT_EQ(FolderListing(h.dir.path()), command.listing);
        // Nothing is left half done: the same command now succeeds.
        EXPECT_TRUE(command.run(h)) << ::testing::PrintToString(h.window.log);
        EXPECT_EQ(ReadFileBytes(h.dir / command.written), expected);
        return false;
    });
}

}  // namespace tessarin::testing
