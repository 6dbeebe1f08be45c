// 撤销: after each kind of change the window makes, the archive comes back byte
// for byte with its tree, once; the previous version beside the archive lives
// while the archive is open, and a failed put-back leaves the archive alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/Commands.h"
#include "app/EditCommands.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {
namespace {

ArcPlan Layout() {
    ArcPlan plan;
    plan.records = {Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\deep\\doc", 0x20, "doc"), Entry("top", 0x20, "top")};
    plan.gap = "gap";
    return plan;
}

std::vector<std::string> TreeKeys(const Program& program) {
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < program.tree.Size(); ++i) keys.push_back(program.tree.Node(static_cast<NodeId>(i)).key);
    std::sort(keys.begin(), keys.end());
    return keys;
}

bool Exists(const std::string& path) { return std::filesystem::exists(NativePath(path)); }

struct Opened {
    ProgramHarness h;
    std::string path, undoPath;
    explicit Opened(const std::string& select = "top.20") {
        h.program.undo.kept = true;
        path = h.OpenArchive(Layout());
        undoPath = h.dir / UndoName("pack.ARC");
        h.SelectNode(select);
    }
    void Delete() {
        h.window.yesNoAnswers.push_back(true);
        RunCommand(h.program, [&] { DeleteSelected(h.program); });
    }
};

TEST(UndoTest, PutsBackTheArchiveAndTheTreeOnce) {
    const struct {
        const char* label;
        std::string select;
        std::function<void(ProgramHarness&)> change;
        std::string said;  // status panel 1 afterwards
    } rows[] = {
        {"replace", "top.20",
         [](ProgramHarness& h) {
             h.window.openAnswers.push_back(h.dir / "new.png");
             MenuClick(h.program, "nimport");
         },
         "已撤销：替换 1 个对象"},
        {"import", "top.20",
         [](ProgramHarness& h) {
             h.window.folderAnswers.push_back(h.dir / "in");
             h.window.yesNoAnswers.push_back(true);
             MenuClick(h.program, "nimportdir");
         },
         "已撤销：替换 1 个对象"},
        {"add", "ui\\",
         [](ProgramHarness& h) { RunCommand(h.program, [&] { AddFilesToSelected(h.program, {h.dir / "new.png"}); }); },
         "已撤销：添加 1 个对象"},
        {"delete", "ui\\",
         [](ProgramHarness& h) {
             h.window.yesNoAnswers.push_back(true);
             MenuClick(h.program, "ndelete");
         },
         "已撤销：删除 2 个对象"},
        {"rename", "ui\\deep\\",
         [](ProgramHarness& h) { RunCommand(h.program, [&] { RenameSelected(h.program, "flat"); }); },
         "已撤销：重命名 1 个对象"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Opened o(row.select);
        WriteFileBytes(o.h.dir / "new.png", "new png");
        std::filesystem::create_directories(NativePath(o.h.dir / "in"));
        WriteFileBytes(o.h.dir / "in/top.txt", "changed top");
        const std::string before = ReadFileBytes(o.path);
        const auto tree = TreeKeys(o.h.program);
        o.h.window.menuEnabled["nundo"] = false;

        row.change(o.h);
        const std::string changed = ReadFileBytes(o.path);
        ASSERT_NE(changed, before) << ::testing::PrintToString(o.h.window.log);
        EXPECT_TRUE(o.h.window.menuEnabled["nundo"]);
        EXPECT_EQ(ReadFileBytes(o.undoPath), before);

        o.h.window.ClearLog();
        MenuClick(o.h.program, "nundo");
        EXPECT_EQ(ReadFileBytes(o.path), before);
        EXPECT_EQ(TreeKeys(o.h.program), tree);
        EXPECT_EQ(o.h.window.panels[1], row.said);
        EXPECT_TRUE(o.h.window.Calls("MsgBox").empty()) << ::testing::PrintToString(o.h.window.log);
        EXPECT_FALSE(o.h.window.menuEnabled["nundo"]);
        EXPECT_FALSE(Exists(o.undoPath));

        // Once only: a second undo changes nothing.
        MenuClick(o.h.program, "nundo");
        EXPECT_EQ(ReadFileBytes(o.path), before);
        EXPECT_EQ(o.h.program.arc.ArcEntries.size(), Layout().records.size());
    }
}

// Only the last change comes back: two deletes, one undo.
TEST(UndoTest, KeepsOnlyTheVersionBeforeTheLastChange) {
    Opened o("top.20");
    o.Delete();
    const std::string afterFirst = ReadFileBytes(o.path);
    o.h.SelectNode("ui\\logo.1A");
    o.Delete();
    MenuClick(o.h.program, "nundo");
    EXPECT_EQ(ReadFileBytes(o.path), afterFirst);
}

// The previous version is held while the archive is open (no sweep takes it),
// goes on close, and one that a killed run left unheld is swept.
TEST(UndoTest, PreviousVersionLivesWhileTheArchiveIsOpen) {
    {
        Opened o;
        o.Delete();
        ASSERT_TRUE(Exists(o.undoPath));
        EXPECT_EQ(RemoveStaleTemporariesBeside(o.path), 0u);
        EXPECT_TRUE(Exists(o.undoPath));
        MenuClick(o.h.program, "nclose");
        EXPECT_FALSE(Exists(o.undoPath));
        EXPECT_FALSE(o.h.window.menuEnabled["nundo"]);
    }
    Opened killed;
    killed.Delete();
    killed.h.program.files.CloseAll();  // as if the run had been killed
    EXPECT_EQ(RemoveStaleTemporariesBeside(killed.path), 1u);
    EXPECT_FALSE(Exists(killed.undoPath));
}

TEST(UndoTest, FailedPutBackLeavesTheArchive) {
    Opened o;
    const std::string before = ReadFileBytes(o.path);
    o.Delete();
    const std::string changed = ReadFileBytes(o.path);
    const auto records = o.h.program.arc.ArcEntries.size();
    o.h.window.ClearLog();
    faults::FailAt(faults::Op::Rename, 1, vberr::DeviceIO);
    MenuClick(o.h.program, "nundo");
    faults::Reset();
    const auto boxes = o.h.window.Calls("MsgBox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("撤销时出错，档案未作改动"), std::string::npos) << boxes[0];
    EXPECT_EQ(ReadFileBytes(o.path), changed);
    EXPECT_EQ(o.h.program.arc.ArcEntries.size(), records);
    EXPECT_TRUE(o.h.window.menuEnabled["nundo"]);
    // Still there to be undone.
    MenuClick(o.h.program, "nundo");
    EXPECT_EQ(ReadFileBytes(o.path), before);
}

}  // namespace
}  // namespace tessarin::testing
