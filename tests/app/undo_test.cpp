// 撤销: after each kind of change the window makes, the archive comes back byte
// for byte with its tree, once; the previous version beside the archive lives
// while the archive is open, and a failed put-back leaves the archive alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/Commands.h"
#include "app/EditCommands.h"
#include "app/WindowHarness.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Temporaries.h"
#include "support/FaultSweep.h"
#include "support/Links.h"
#include "support/Listings.h"

namespace tessarin::testing {
namespace {

std::vector<std::string> TreeKeys(const Program& program) {
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < program.tree.Size(); ++i) keys.push_back(program.tree.Node(static_cast<NodeId>(i)).key);
    std::sort(keys.begin(), keys.end());
    return keys;
}

// An archive open in a window that keeps undo, with files to add and import.
struct Opened {
    WindowHarness h;
    std::string path, undoPath;
    explicit Opened(const std::string& select = "top.20") {
        h.program.undo.kept = true;
        path = h.OpenArchive(Archive({Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\deep\\doc", 0x20, "doc"), Entry("top", 0x20, "top")}));
        undoPath = h.dir / UndoName("pack.ARC");
        WriteFiles(h.dir.path(), {{"new.png", "new png"}, {"in/top.txt", "changed top"},
                                  {"patch.arc", BuildArc(Archive({Entry("top", 0x20, "new top"), Entry("ui\\added", 0x20, "a")}))}});
        h.SelectNode(select);
    }
    void Menu(const std::string& item, bool yes = true) {
        h.window.yesNoAnswers.push_back(yes);
        MenuClick(h.program, item);
    }
};

TEST(UndoTest, PutsBackTheArchiveAndTheTreeOnce) {
    const struct {
        const char* label;
        std::string select;
        std::function<void(Opened&)> change;
        std::string said;  // status panel 1 afterwards
    } rows[] = {
        {"replace", "top.20", [](Opened& o) { o.h.window.openAnswers.push_back(o.h.dir / "new.png"), o.Menu("nimport"); },
         "已撤销：替换 1 个对象"},
        {"import", "top.20", [](Opened& o) { o.h.window.folderAnswers.push_back(o.h.dir / "in"), o.Menu("nimportdir"); },
         "已撤销：替换 1 个对象"},
        {"add", "ui\\", [](Opened& o) { RunCommand(o.h.program, [&] { AddFilesToSelected(o.h.program, {o.h.dir / "new.png"}); }); },
         "已撤销：添加 1 个对象"},
        {"delete", "ui\\", [](Opened& o) { o.Menu("ndelete"); }, "已撤销：删除 2 个对象"},
        {"rename", "ui\\deep\\", [](Opened& o) { RunCommand(o.h.program, [&] { RenameSelected(o.h.program, "flat"); }); },
         "已撤销：重命名 1 个对象"},
        {"merge", "top.20", [](Opened& o) { o.h.window.openAnswers.push_back(o.h.dir / "patch.arc"), o.Menu("nmerge"); },
         "已撤销：替换 1 个对象，添加 1 个对象"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Opened o(row.select);
        const std::string before = ReadFileBytes(o.path);
        const auto tree = TreeKeys(o.h.program);
        row.change(o);
        ASSERT_NE(ReadFileBytes(o.path), before) << ::testing::PrintToString(o.h.window.log);
        EXPECT_TRUE(o.h.window.menuEnabled["nundo"]);
        o.h.window.ClearLog();
        o.Menu("nundo");
        EXPECT_EQ(ReadFileBytes(o.path), before);
        EXPECT_EQ(TreeKeys(o.h.program), tree);
        EXPECT_EQ(o.h.window.panels[1], row.said);
        EXPECT_TRUE(o.h.window.Calls("MsgBox").empty()) << ::testing::PrintToString(o.h.window.log);
        EXPECT_FALSE(o.h.window.menuEnabled["nundo"] || FileExists(o.undoPath)) << "undo still offered";
        o.Menu("nundo");  // once only
        EXPECT_EQ(ReadFileBytes(o.path), before);
    }
}

// Only the last change comes back; the previous version is held while the
// archive is open (no sweep takes it) and goes on close; one that a killed run
// left unheld is swept; a put-back that fails leaves the archive and the undo.
TEST(UndoTest, PreviousVersionLivesWhileTheArchiveIsOpenAndSurvivesAFailedPutBack) {
#ifdef _WIN32
    // Undo belongs to the window, which is not built for Windows here; under
    // Wine the kept version's second name is not made while the archive is open.
    GTEST_SKIP() << "the window's undo is not run on Windows";
#endif
    Opened o;
    o.Menu("ndelete");
    const std::string afterFirst = ReadFileBytes(o.path);
    o.h.SelectNode("ui\\logo.1A");
    o.Menu("ndelete");
    EXPECT_EQ(RemoveStaleTemporariesBeside(o.path), 0u);
    o.Menu("nundo");
    EXPECT_EQ(ReadFileBytes(o.path), afterFirst);
    o.Menu("ndelete");
    ASSERT_TRUE(FileExists(o.undoPath));
    o.Menu("nclose");
    EXPECT_FALSE(FileExists(o.undoPath));
    EXPECT_FALSE(o.h.window.menuEnabled["nundo"]);

    Opened killed;
    killed.Menu("ndelete");
    killed.h.program.files.CloseAll();
    EXPECT_EQ(RemoveStaleTemporariesBeside(killed.path), 1u);
    EXPECT_FALSE(FileExists(killed.undoPath));

    // Each file operation of the put-back fails in turn until undo no longer
    // reaches it: the archive and its records stay, and undo is still there.
    SweepFileFaults("undo", [](const FailingRun& failing) {
        Opened o;
        const std::string before = ReadFileBytes(o.path);
        o.Menu("ndelete");
        const std::string changed = ReadFileBytes(o.path);
        o.h.window.ClearLog();
        failing([&] { return o.Menu("nundo"), true; });
        if (ReadFileBytes(o.path) == before) return true;  // undo has fewer operations of this kind
        EXPECT_EQ(ReadFileBytes(o.path), changed);
        EXPECT_EQ(std::tuple(o.h.window.Calls("MsgBox").size(), o.h.program.arc.ArcEntries.size()), std::tuple(1u, 2u));
        o.Menu("nundo");
        EXPECT_EQ(ReadFileBytes(o.path), before);
        return false;
    }, {faults::Op::Read, faults::Op::Rename});
}

// Anyone who can write the folder may put another file, or a folder, at a
// hidden name the previous version needs: undo, or the change itself, then
// refuses naming it; the archive and what was put there stay as they are, and
// no temporary is left.
TEST(UndoTest, RefusesWhatAnotherPutAtTheHiddenNames) {
#ifdef _WIN32
    GTEST_SKIP() << "the window's undo is not run on Windows";
#endif
    enum Planted { SymbolicLink, HardLink, Folder };
    const struct {
        const char* label;
        Planted planted;
        std::string name;
    } rows[] = {
        {"symbolic link at the previous version", SymbolicLink, UndoName("pack.ARC")},
        {"hard link at the previous version", HardLink, UndoName("pack.ARC")},
        {"folder at the new previous version's name", Folder, UndoNewName("pack.ARC")},
        {"folder at the previous version's name", Folder, UndoName("pack.ARC")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Opened o;
        const std::string planted = o.h.dir / row.name, other = o.h.dir / "other.bin";
        WriteFileBytes(other, "not an archive");
        if (row.planted != Folder) {
            o.Menu("ndelete");
            ASSERT_TRUE(std::filesystem::remove(NativePath(o.undoPath)));
        }
        const std::string before = ReadFileBytes(o.path);
        ASSERT_EQ(row.planted == SymbolicLink ? MakeLink(other, planted, false) : "", "");
        if (row.planted == HardLink) std::filesystem::create_hard_link(NativePath(other), NativePath(planted));
        if (row.planted == Folder) std::filesystem::create_directory(NativePath(planted));
        o.h.window.ClearLog();
        o.Menu(row.planted == Folder ? "ndelete" : "nundo");
        EXPECT_EQ(ReadFileBytes(o.path), before);
        EXPECT_FALSE(std::filesystem::is_symlink(NativePath(o.path)));
        EXPECT_EQ(ReadFileBytes(other), "not an archive");
        EXPECT_EQ(o.h.program.arc.ArcEntries.size(), row.planted == Folder ? 3u : 2u);
        const auto boxes = o.h.window.Calls("MsgBox");
        EXPECT_TRUE(boxes.size() == 1 && boxes[0].find(planted) != std::string::npos)
            << ::testing::PrintToString(boxes);
        EXPECT_EQ(FolderListing(o.h.dir.path()), (std::vector<std::string>{row.name, "in", "new.png", "other.bin", "pack.ARC", "patch.arc"}));
    }
}

}  // namespace
}  // namespace tessarin::testing
