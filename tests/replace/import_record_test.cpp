// Import with the export record: which files it reads (counted through the
// file layer's open seam: every open past the allowed ones fails the plan),
// what it finds changed, and the record it leaves after a rewrite.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "extract/Export.h"
#include "extract/ExportRecord.h"
#include "replace/Import.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

namespace fs = std::filesystem;

// Opens the archive and exports all of it, inflated, into dir/in; the record
// then made newer than every file (as it is once the clock has moved on; a
// time in the future, as some platforms set times to the second only).
void ExportToIn(ProgramHarness& h) {
    h.OpenArchive(ImportLayout());
    fs::create_directory(NativePath(h.dir / "in"));
    EXPECT_TRUE(ExportEntries(h.program, ExportRequest{h.dir / "in"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    fs::last_write_time(NativePath(h.dir / ("in/" + std::string(kExportRecordName))),
                        fs::file_time_type::clock::now() + std::chrono::seconds(2));
}

// Plans the import letting `reads` files (and the record, when it is read) be
// opened and no more.
bool PlanReading(ProgramHarness& h, int reads, ImportPlan& plan, bool checkAll, bool recordRead = true) {
    faults::FailAt(faults::Op::Open, 1 + reads + (recordRead ? 1 : 0), vberr::PermissionDenied);
    const bool planned = PlanImport(h.program, h.dir / "in", plan, checkAll);
    faults::Reset();
    return planned;
}

TEST(ImportRecordTest, ReadsOnlyWhatTheRecordCannotVouchFor) {
    const std::string record = std::string("in/") + kExportRecordName;
    const struct {
        const char* label;
        std::function<void(ProgramHarness&)> change;
        int reads;
        std::vector<std::size_t> changed;
        bool checkAll = false;
        bool recordRead = true;
    } cases[] = {
        {"nothing edited: nothing read", [](ProgramHarness&) {}, 0, {}},
        {"edit that keeps size and modification time", [](ProgramHarness& h) {
             const auto logo = NativePath(h.dir / "in/ui/logo.png");
             const auto modified = fs::last_write_time(logo);
             WriteFileBytes(h.dir / "in/ui/logo.png", "LOGO");  // the size of "logo"
             fs::last_write_time(logo, modified);
         }, 1, {0}},
        {"check-all", [](ProgramHarness&) {}, 4, {}, true, false},
        {"no record", [&](ProgramHarness& h) { fs::remove(NativePath(h.dir / record)); }, 4, {}, false, false},
        {"garbage record", [&](ProgramHarness& h) { WriteFileBytes(h.dir / record, "tessarin"); }, 4, {}},
        {"record of another archive", [&](ProgramHarness& h) {
             ExportRecord other = ReadExportRecord(h.dir / "in")->record;
             other.archivePath += ".other";
             WriteExportRecord(h.dir / "in", other);
         }, 4, {}},
        {"archive changed since (its change time moved on)", [&](ProgramHarness& h) {
             ExportRecord earlier = ReadExportRecord(h.dir / "in")->record;
             earlier.archive.changed -= 1;
             WriteExportRecord(h.dir / "in", earlier);
         }, 4, {}},
        {"record not newer than its files", [&](ProgramHarness& h) {
             fs::last_write_time(NativePath(h.dir / record), fs::file_time_type::clock::now() - std::chrono::hours(1));
         }, 4, {}},
        // A dry run (a plan alone) leaves the record as it was; a rewrite brings
        // it up to date with the new archive and the file put in.
        {"rewritten since: nothing read", [&](ProgramHarness& h) {
             WriteFileBytes(h.dir / "in/ui/logo.png", "new logo");
             std::this_thread::sleep_for(std::chrono::milliseconds(30));
             const std::string before = ReadFileBytes(h.dir / record);
             ImportPlan plan;
             ASSERT_TRUE(PlanImport(h.program, h.dir / "in", plan));
             EXPECT_EQ(ReadFileBytes(h.dir / record), before);
             ASSERT_TRUE(ApplyImport(h.program, plan));
         }, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        ExportToIn(h);
        c.change(h);
        ImportPlan plan;
        ASSERT_TRUE(PlanReading(h, c.reads, plan, c.checkAll, c.recordRead));
        std::vector<std::size_t> changed;
        for (const ImportItem& item : plan.changed) changed.push_back(item.index);
        EXPECT_EQ(changed, c.changed);
        EXPECT_TRUE(plan.unmatched.empty());  // the record is no stray
        if (c.reads > 0) { EXPECT_FALSE(PlanReading(h, c.reads - 1, plan, c.checkAll, c.recordRead)); }
    }
}

}  // namespace
}  // namespace tessarin::testing
