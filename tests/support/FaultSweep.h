#pragma once
// Breaks a command's file work at each step: each kind of file operation
// (open, read, write, sync, rename) fails with error 57 at its 1st, 2nd, ...
// occurrence, until the command no longer reaches that occurrence.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "support/Listings.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {

// Runs a command with the one file operation of this step failing; what it returned.
using FailingRun = std::function<bool(const std::function<bool()>& command)>;

// Every kind of file operation a sweep breaks.
inline const std::vector<faults::Op> kFileOps = {faults::Op::Open, faults::Op::Read, faults::Op::Write,
                                                 faults::Op::Sync, faults::Op::Rename};

// For each step, attempt prepares a fresh run, hands its command to the failing
// run, checks what the failure left and returns what the command returned: a
// success means the command has fewer operations of that kind and ends the
// sweep of that kind. A kind in mustFail that never failed the command fails the test.
inline void SweepFileFaults(const std::string& what, const std::function<bool(const FailingRun&)>& attempt,
                            const std::vector<faults::Op>& mustFail = kFileOps) {
    for (const auto op : kFileOps) {
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
        EXPECT_TRUE(failures > 0 || !std::count(mustFail.begin(), mustFail.end(), op)) << kind << " never reached";
    }
}

// A command on the archive opened as h.dir/pack.ARC.
struct ArchiveCommand {
    std::function<void(ProgramHarness&)> prepare;  // opens the archive, lays out the inputs
    std::function<bool(ProgramHarness&)> run;      // true when the command reports success
    std::vector<std::string> listing;              // h.dir's names before the command and after a failed one
    std::string written = "pack.ARC";              // the file the command writes, in h.dir
};

// Each failure shows one Stop box with error 57 and leaves the archive's bytes,
// records and file number as they were, and no other file in h.dir; the same
// command then succeeds and writes expected.
inline void ExpectEachFaultChangesNothing(const std::string& what, const ArchiveCommand& command,
                                          const std::string& expected) {
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
