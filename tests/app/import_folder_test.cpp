// The window's import of a folder: the question (how many entries change, the
// files that match nothing), the archive as the same replacements one by one
// leave it, and Stop pressed once the rewrite has begun.
#include <gtest/gtest.h>

#include <optional>

#include "app/Import.h"
#include "app/WindowHarness.h"
#include "core/platform/FolderWalk.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

TEST(ImportTest, ReplacesChangedEntriesInOneRewrite) {
    const std::string big = Noise(3 << 20, 9);
    const struct {
        const char* label;
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::pair<std::size_t, std::string>> replaced;  // in directory order
        std::string unmatched;  // as the question lists them
        bool stop = false;
        bool held = false;  // another import reads ui/logo.png meanwhile: sources are only read, shared
    } cases[] = {
        {"identical files change nothing",
         {{"ui/logo.png", "logo"}, {"ui/deep/doc.txt", Noise(3000, 5)}, {"empty.txt", ""}}, {}, ""},
        {"a file given to an empty entry", {{"empty.txt", "now full"}}, {{3, "now full"}}, ""},
        {"changed ones replaced, others kept", {{"ui/logo.png", "new logo"}, {"ui/deep/doc.txt", Noise(3000, 5)},
                                               {"top.5", big}},
         {{0, "new logo"}, {2, big}}, ""},
        {"padding of a short stream counts as equal", {{"top.5", "top entry"}}, {}, ""},
        {"unmatched files are listed, not imported", {{"ui/logo.5", "x"}, {"extra/file", "y"}, {"ui/deep/doc.txt", ""}},
         {{1, ""}}, "\r\nextra/file\r\nui/logo.5"},
        {"stopped", {{"ui/logo.png", "changed"}, {"stray.bin", "?"}}, {{0, "changed"}}, "\r\nstray.bin", true},
        {"a source another import holds open", {{"ui/logo.png", "shared"}}, {{0, "shared"}}, "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WindowHarness h;
        const std::string path = h.OpenArchive(ImportLayout());
        WriteFiles(h.dir / "in", c.files);
        std::optional<BinaryFile> otherImport;
        if (c.held) otherImport.emplace(OpenFileBelow(h.dir / "in", "ui/logo.png"));
        h.window.folderAnswers.push_back(h.dir / "in");
        h.window.yesNoAnswers.push_back(true);
        h.window.onDoEvents = [&] {  // DoEvents runs while the import plans too: stop only once it was asked
            const bool asked = !h.window.Calls("AskYesNo").empty();
            EXPECT_EQ(h.window.panels[1].rfind(asked ? "正在导入 " : "正在比较 ", 0), 0u) << h.window.panels[1];
            if (c.stop && asked) h.window.stopRequested = true;
        };
        ArcPlan expected = ImportLayout();
        for (const auto& [index, bytes] : c.replaced)
            if (!c.stop) expected = ExpectedAfterReplace(expected, index, bytes);
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
        EXPECT_EQ(h.window.panels[1], "发现 4 个对象");
    }
}

}  // namespace
}  // namespace tessarin::testing
