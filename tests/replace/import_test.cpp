// Importing a folder: which entries change, the archive byte for byte (as the
// same replacements one by one would leave it), the files that match nothing,
// links never followed. Failures at every step: replace_faults_test.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/Import.h"
#include "replace/Import.h"
#include "replace/ReplaceSupport.h"
#include "support/Links.h"

namespace tessarin::testing {
namespace {

ArcPlan Layout() {
    ArcPlan s;
    s.records = {Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\deep\\doc", 0x20, Noise(3000, 5)),
                 Entry("top", 5, "top entry")};
    s.records[2].data += "KEPT";  // bytes after an entry's data stay
    s.records[2].storedSize = static_cast<std::int32_t>(s.records[2].data.size() - 4);
    s.gap = "GAP";
    s.trailer = "TRAILER";
    return s;
}

// Files as an inflated export names them (1A is png, 20 is txt, 5 has no name).
void WriteExport(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [name, bytes] : files) {
        std::filesystem::create_directories(std::filesystem::path(dir / ("in/" + name)).parent_path());
        WriteFileBytes(dir / ("in/" + name), bytes);
    }
}

TEST(ImportTest, ReplacesChangedEntriesInOneRewrite) {
    const std::string big = Noise(3 << 20, 9);
    const struct {
        const char* label;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::pair<std::size_t, std::string>> replaced;  // in directory order
        std::vector<std::string> unmatched;
    } cases[] = {
        {"identical files change nothing", {{"ui/logo.png", "logo"}, {"ui/deep/doc.txt", Noise(3000, 5)}}, {}, {}},
        {"changed ones replaced, others kept", {{"ui/logo.png", "new logo"}, {"ui/deep/doc.txt", Noise(3000, 5)},
                                               {"top.5", big}},
         {{0, "new logo"}, {2, big}}, {}},
        {"padding of a short stream counts as equal", {{"top.5", "top entry"}}, {}, {}},
        {"unmatched files are listed, not imported", {{"ui/logo.5", "x"}, {"extra/file", "y"}, {"ui/deep/doc.txt", ""}},
         {{1, ""}}, {"extra/file", "ui/logo.5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        const std::string path = h.OpenArchive(Layout());
        WriteExport(h.dir, c.files);
        ImportPlan plan;
        ASSERT_TRUE(PlanImport(h.program, h.dir / "in", plan)) << ::testing::PrintToString(h.window.Calls("MsgBox"));
        ArcPlan expected = Layout();
        ASSERT_EQ(plan.changed.size(), c.replaced.size());
        for (std::size_t i = 0; i < c.replaced.size(); ++i) {
            EXPECT_EQ(plan.changed[i].index, c.replaced[i].first);
            expected = ExpectedAfterReplace(expected, c.replaced[i].first, c.replaced[i].second);
        }
        EXPECT_EQ(plan.unmatched, c.unmatched);
        ASSERT_TRUE(ApplyImport(h.program, plan));
        EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));  // the archive as written when nothing changed
        EXPECT_EQ(Records(h.program.arc.ArcEntries), RecordsOnDisk(h.program));
        EXPECT_TRUE(h.window.Calls("MsgBox").empty());
    }
}

// A link in the folder is never followed: the file it points to is not imported.
TEST(ImportTest, LinksAreNotFollowed) {
    ProgramHarness h;
    h.OpenArchive(Layout());
    WriteExport(h.dir, {{"top.5", "top entry"}});
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

// The window command: the question, the stop request, the final message.
TEST(ImportTest, WindowCommandAsksAndCanBeStopped) {
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop);
        ProgramHarness h;
        const std::string path = h.OpenArchive(Layout());
        WriteExport(h.dir, {{"ui/logo.png", "changed"}, {"stray.bin", "?"}});
        h.window.folderAnswers.push_back(h.dir / "in");
        h.window.yesNoAnswers.push_back(true);
        // Stop is pressed once the rewrite has begun.
        h.window.onDoEvents = [&] {
            if (stop && !h.window.Calls("AskYesNo").empty()) h.window.stopRequested = true;
        };
        const std::string before = ReadFileBytes(path);
        h.window.ClearLog();
        EXPECT_EQ(ImportFolder(h.program), !stop);
        const auto asked = h.window.Calls("AskYesNo");
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_NE(asked[0].find("将替换 1 个对象。\r\n\r\n以下文件没有对应的对象，将被跳过：\r\nstray.bin"),
                  std::string::npos) << asked[0];
        EXPECT_EQ(h.window.Calls("MsgBox"),
                  stop ? std::vector<std::string>{} : std::vector<std::string>{"MsgBox | 导入完成。 | Information | Tessarin"});
        EXPECT_EQ(ReadFileBytes(path) == before, stop);
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"in", "pack.ARC"}));
    }
}

}  // namespace
}  // namespace tessarin::testing
