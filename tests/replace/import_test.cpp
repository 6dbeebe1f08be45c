// Importing a folder: which entries change, the archive byte for byte (as the
// same replacements one by one would leave it), the files that match nothing,
// links never followed. Failures at every step are tried with the replacement's.
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

// The window command: the question (how many entries change, the files that
// match nothing), the archive as the same replacements one by one leave it, and
// Stop pressed once the rewrite has begun.
TEST(ImportTest, ReplacesChangedEntriesInOneRewrite) {
    const std::string big = Noise(3 << 20, 9);
    const struct {
        const char* label;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::pair<std::size_t, std::string>> replaced;  // in directory order
        std::string unmatched;  // as the question lists them
        bool stop = false;
    } cases[] = {
        {"identical files change nothing", {{"ui/logo.png", "logo"}, {"ui/deep/doc.txt", Noise(3000, 5)}}, {}, ""},
        {"changed ones replaced, others kept", {{"ui/logo.png", "new logo"}, {"ui/deep/doc.txt", Noise(3000, 5)},
                                               {"top.5", big}},
         {{0, "new logo"}, {2, big}}, ""},
        {"padding of a short stream counts as equal", {{"top.5", "top entry"}}, {}, ""},
        {"unmatched files are listed, not imported", {{"ui/logo.5", "x"}, {"extra/file", "y"}, {"ui/deep/doc.txt", ""}},
         {{1, ""}}, "\r\nextra/file\r\nui/logo.5"},
        {"stopped", {{"ui/logo.png", "changed"}, {"stray.bin", "?"}}, {{0, "changed"}}, "\r\nstray.bin", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        const std::string path = h.OpenArchive(Layout());
        WriteExport(h.dir, c.files);
        h.window.folderAnswers.push_back(h.dir / "in");
        h.window.yesNoAnswers.push_back(true);
        h.window.onDoEvents = [&] {  // DoEvents runs while the import plans too: stop only once it was asked
            const bool asked = !h.window.Calls("AskYesNo").empty();
            EXPECT_EQ(h.window.panels[1].rfind(asked ? "正在导入 " : "正在比较 ", 0), 0u) << h.window.panels[1];
            if (c.stop && asked) h.window.stopRequested = true;
        };
        ArcPlan expected = Layout();
        for (const auto& [index, bytes] : c.replaced) {
            if (!c.stop) expected = ExpectedAfterReplace(expected, index, bytes);
        }
        h.window.ClearLog();
        EXPECT_EQ(ImportFolder(h.program), !c.stop);

        std::string question = "AskYesNo | 将替换 " + std::to_string(c.replaced.size()) + " 个对象。";
        if (!c.unmatched.empty()) question += "\r\n\r\n以下文件没有对应的对象，将被跳过：" + c.unmatched;
        EXPECT_EQ(h.window.Calls("AskYesNo"), std::vector<std::string>{question + " | Tessarin"});
        EXPECT_EQ(ReadFileBytes(path), BuildArc(expected));
        EXPECT_EQ(Records(h.program.arc.ArcEntries), RecordsOnDisk(h.program));
        const std::string end = c.stop ? "已停止导入，档案未作改动。"
                                       : "导入完成，已替换 " + std::to_string(c.replaced.size()) + " 个对象。";
        EXPECT_EQ(h.window.Calls("MsgBox"), std::vector<std::string>{"MsgBox | " + end + " | Information | Tessarin"});
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"in", "pack.ARC"}));
        EXPECT_EQ(h.window.panels[1], "发现 3 个对象");
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

}  // namespace
}  // namespace tessarin::testing
