#pragma once
// Breaks a command's file work at each step: each kind of file operation
// (open, read, write, sync, rename) fails with error 57 at its 1st, 2nd, ...
// occurrence, until the command no longer reaches that occurrence.
#include <functional>
#include <string>
#include <vector>

#include "support/ProgramHarness.h"

namespace tessarin::testing {

// Runs a command with the one file operation of this step failing; what it returned.
using FailingRun = std::function<bool(const std::function<bool()>& command)>;

// For each step, attempt prepares a fresh run, hands its command to the failing
// run, checks what the failure left and returns what the command returned: a
// success means the command has fewer operations of that kind and ends the
// sweep of that kind. A kind that never failed the command fails the test.
void SweepFileFaults(const std::string& what, const std::function<bool(const FailingRun&)>& attempt);

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
void ExpectEachFaultChangesNothing(const std::string& what, const ArchiveCommand& command, const std::string& expected);

}  // namespace tessarin::testing
