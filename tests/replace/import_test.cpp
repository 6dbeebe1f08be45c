// Importing a folder: which entries change, the archive byte for byte (as the
// same replacements one by one would leave it), the files that match nothing,
// links never followed. Failures at every step are tried with the replacement's.
#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/platform/FolderWalk.h"
#include "replace/Import.h"
#include "replace/ReplaceSupport.h"
#include "support/ChildPeak.h"
#include "support/Links.h"

namespace tessarin::testing {
namespace {

// Files below in/ are named as an inflated export names them (1A is png, 20 is txt, 5 has no name).

// A link in the folder is never followed: the file it points to is not imported.
TEST(ImportTest, LinksAreNotFollowed) {
    ProgramHarness h;
    h.OpenArchive(ImportLayout());
    WriteFiles(h.dir / "in", {{"top.5", "top entry"}});
    std::filesystem::create_directory(h.dir / "elsewhere");
    WriteFileBytes(h.dir / "elsewhere/logo.png", "outside");
    for (const std::string& why : {MakeLink(h.dir / "elsewhere", h.dir / "in/ui", true),
                                   MakeLink(h.dir / "elsewhere/logo.png", h.dir / "in/linked.png", false)}) {
        if (!why.empty()) GTEST_SKIP() << why;
    }
    ImportPlan plan;
    ASSERT_TRUE(PlanImport(h.program, h.dir / "in", plan));
    EXPECT_TRUE(plan.changed.empty());
    EXPECT_EQ(plan.unmatched, (std::vector<std::string>{"linked.png", "ui"}));
}

#ifndef _WIN32
// The walk hands over each file's stamp where the system lists it, so that an
// import with a record looks no file up again (that the stamps are the ones
// the record holds, the record's tests show: nothing is read there).
TEST(ImportTest, TheWalkGivesEachFilesStamp) {
    const TempDir dir;
    WriteFiles(dir / "in", {{"ui/deep/doc.txt", "doc"}, {"ui/logo.png", "logo"}, {"top.5", "top"}});
    const tessarin::FolderListing listing = ListFilesBelow(dir / "in");
    ASSERT_EQ(listing.files.size(), 3u);
    ASSERT_EQ(listing.stamps.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(listing.stamps[i]) << listing.files[i];
}
#endif

// Whatever the rewrite would refuse before writing (the same check as a
// replacement's, whose tests go through its reasons), the check a dry run makes
// refuses too, with the same message; a source the format cannot hold is
// refused while planning. Nothing is written either way.
TEST(ImportTest, ChecksBeforeWritingAreTheSameForADryRun) {
    const struct {
        const char* label;
        const char* file;  // written below in/ with changed bytes; "top.5" is a sparse 1 GiB file
        bool readOnly;
        std::string refusal;  // the start of each message, "" when the run may go ahead
        bool planRefuses = false;
    } cases[] = {
        {"read-only archive", "ui/logo.png", true, "MsgBox | 档案文件是只读的，档案未作改动："},
        {"source of 1 GiB", "top.5", false, "MsgBox | 替换文件太大，无法存入档案：", true},
        {"read-only archive, nothing to change", "", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        const std::string path = h.OpenArchive(ImportLayout());
        WriteFiles(h.dir / "in", {{"ui/none", ""}});
        if (*c.file) WriteFileBytes(h.dir / "in/" + c.file, "changed");
        if (std::string(c.file) == "top.5") std::filesystem::resize_file(NativePath(h.dir / "in/top.5"), 0x40000000);
        if (c.readOnly) std::filesystem::permissions(NativePath(path), std::filesystem::perms::owner_read);
        const std::string before = ReadFileBytes(path);
        h.window.ClearLog();
        ImportPlan plan;
        EXPECT_EQ(PlanImport(h.program, h.dir / "in", plan), !c.planRefuses);
        if (!c.planRefuses) {
            EXPECT_EQ(CheckImportCanBeApplied(h.program, plan), c.refusal.empty());
            EXPECT_EQ(ApplyImport(h.program, plan), c.refusal.empty());
        }
        const auto boxes = h.window.Calls("MsgBox");
        const std::size_t expected = c.refusal.empty() ? 0u : c.planRefuses ? 1u : 2u;
        ASSERT_EQ(boxes.size(), expected) << ::testing::PrintToString(boxes);
        for (const std::string& box : boxes) EXPECT_EQ(box.rfind(c.refusal, 0), 0u) << box;
        if (!boxes.empty() && !c.planRefuses) {
            EXPECT_EQ(boxes[0], boxes[1]) << "the dry run says what the run says";
        }
        EXPECT_EQ(ReadFileBytes(path), before);
    }
}

#ifndef _WIN32
// A folder inside the import folder that cannot be read would hide its files:
// the import fails naming it, it does not skip it. Run by an unprivileged
// user in a child process, since root reads every folder.
TEST(ImportTest, UnreadableFolderFailsTheImport) {
    ProgramHarness h;
    h.OpenArchive(ImportLayout());
    WriteFiles(h.dir / "in", {{"ui/logo.png", "changed"}, {"locked/file.bin", "hidden"}});
    ASSERT_EQ(::chmod(h.dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((h.dir / "in/locked").c_str(), 0), 0);
    h.window.ClearLog();
    const ChildPeak child = RunMeasuredInChild([&]() -> int {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 2;
        ImportPlan plan;
        const bool planned = PlanImport(h.program, h.dir / "in", plan);
        const auto boxes = h.window.Calls("MsgBox");
        return !planned && boxes.size() == 1 && boxes[0].rfind("MsgBox | 无法读取目录：", 0) == 0 &&
               boxes[0].find(h.dir / "in/locked") != std::string::npos && boxes[0].find("错误编号:70") != std::string::npos;
    });
    ::chmod((h.dir / "in/locked").c_str(), 0755);
    EXPECT_TRUE(child.ran && child.result == 1) << "the import did not fail naming the folder";
}
#endif

}  // namespace
}  // namespace tessarin::testing
