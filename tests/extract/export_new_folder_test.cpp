// Exporting every entry into a folder the export makes itself
// (an export request for a new folder), and the memory of an export of many small
// entries.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/platform/FaultInjection.h"
#include "core/platform/FileStamp.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "extract/Export.h"
#include "extract/ExportRecord.h"
#include "support/ChildPeak.h"
#include "support/Links.h"
#include "support/Listings.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

// Every entry, inflated, into folder, which the export makes.
ExportRequest IntoNewFolder(const std::string& folder) { return {folder, false, true}; }

namespace fs = std::filesystem;

// The hidden folders an export into folder makes beside it, in parent.
std::vector<std::string> HiddenBeside(const std::string& parent) {
    std::vector<std::string> hidden;
    for (const std::string& name : FolderListing(parent))
        if (name.rfind(".out.tessarin-", 0) == 0) hidden.push_back(parent + "/" + name);
    return hidden;
}

// While the export runs, out is not there and its files grow in one hidden
// folder beside it, where a file that fails (bad data, a write that fails
// half-way) leaves nothing; the folder gets
// its name at the end unless something took the name meanwhile. Whatever is
// planted in the hidden folder takes the temporary's way, so a link there is
// replaced, never written through.
TEST(ExportNewFolderTest, WrittenHiddenThenNamed) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the new folder is written as any chosen folder is";
#endif
    const ArcPlan plan = Archive({Entry("ui\\logo", 0x1A, "logo"), Entry("top", 0x20, "new top"),
                                  Stored("bad", 0x20, "junk", 4), Entry("ui\\deep\\doc", 0x20, "doc")});
    const FileTree all = {{"ui/logo.png", "logo"}, {"top.txt", "new top"}, {"ui/deep/doc.txt", "doc"}};
    const struct {
        const char* label;
        std::function<std::string(const std::string& out, const std::string& hidden)> plant;  // "": nothing
        bool named;  // out has the files at the end
        int failingWrite = 0;  // this write fails (the second is top.txt's)
    } cases[] = {
        {"nothing in the way", nullptr, true},
        {"a write fails", nullptr, true, 2},
        {"a link planted under an entry's name",
         [](const std::string&, const std::string& hidden) {
             return MakeLink(ParentFolder(hidden) + "/victim.txt", hidden + "/top.txt", false);
         },
         true},
        {"an empty folder takes the name", [](const std::string& out, const std::string&) {
             fs::create_directory(out);
             return std::string();
         },
         true},
        {"a file takes the name", [](const std::string& out, const std::string&) {
             WriteFileBytes(out, "someone else's");
             return std::string();
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        h.OpenArchive(plan);
        const std::string out = h.dir / "out";
        WriteFileBytes(h.dir / "victim.txt", "precious");
        bool sawRun = false;
        std::string skip;
        h.window.onDoEvents = [&] {
            if (sawRun) return;
            sawRun = true;
            const std::vector<std::string> hidden = HiddenBeside(h.dir.path());
            ASSERT_EQ(hidden.size(), 1u);
            EXPECT_FALSE(fs::exists(fs::symlink_status(out)));
            if (c.plant) skip = c.plant(out, hidden[0]);
        };
        if (c.failingWrite > 0) faults::FailAt(faults::Op::Write, c.failingWrite, vberr::DeviceIO);
        EXPECT_FALSE(ExportEntries(h.program, IntoNewFolder(out)));  // the bad entry fails
        faults::Reset();
        if (!skip.empty()) GTEST_SKIP() << skip;
        EXPECT_TRUE(sawRun);
        EXPECT_EQ(ReadFileBytes(h.dir / "victim.txt"), "precious");
        const std::vector<std::string> hidden = HiddenBeside(h.dir.path());
        EXPECT_EQ(h.window.Calls("MsgBox | 无法把导出的文件夹放到目标位置").size(), c.named ? 0u : 1u);
        ASSERT_EQ(hidden.size(), c.named ? 0u : 1u);
        const std::string written = c.named ? out : hidden[0];
        FileTree expected = all;
        if (c.failingWrite > 0) expected.erase("top.txt");
        EXPECT_EQ(FilesBelow(written), expected);
        if (!c.named) {
            EXPECT_EQ(ReadFileBytes(out), "someone else's");
        }
        // The record names each file with its stamp as it is on the disk.
        const std::optional<StoredExportRecord> record = ReadExportRecord(written);
        ASSERT_TRUE(record.has_value());
        ASSERT_EQ(record->record.files.size(), expected.size());
        for (const auto& [key, stamp] : record->record.files) {
            const std::string file = key == "ui\\logo.1A" ? "ui/logo.png" : key == "top.20" ? "top.txt" : "ui/deep/doc.txt";
            EXPECT_EQ(stamp, StampOfFileBelow(written, file)) << file;
        }
    }
}

#ifndef _WIN32
// Many small entries go through the pipeline's buffers again and again: the
// memory they take stays that of a few entries in flight, not the whole budget.
TEST(ExportNewFolderTest, ManySmallEntriesKeepMemorySmall) {
    ArcPlan plan;
    std::string plain(6000, 'x');
    for (int i = 0; i < 4000; ++i) {
        plain.replace(0, 8, std::to_string(10000000 + i));
        plan.records.push_back(Entry("d" + std::to_string(i / 500) + "\\e" + std::to_string(i), 0x20, plain));
    }
    ProgramHarness h;
    h.OpenArchive(plan);
    const ChildPeak peak = RunMeasuredInChild([&] {
        return ExportEntries(h.program, IntoNewFolder(h.dir / "out")) ? 1 : 0;
    });
    ASSERT_TRUE(peak.ran);
    EXPECT_EQ(peak.result, 1);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    EXPECT_LT(peak.addedKiB, 20 << 10);  // a sanitizer's own memory on top
#else
    EXPECT_LT(peak.addedKiB, 12 << 10);
#endif
    EXPECT_EQ(FilesBelow(h.dir / "out").size(), 4000u);
}
#endif

}  // namespace
}  // namespace tessarin::testing
