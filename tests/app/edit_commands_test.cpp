// The window's delete, rename and add commands on the selected node: the
// question, the entries afterwards, the tree changed where the edit changed it
// and the selection on a neighbour; a rewrite the user stops (the replace
// command's too) changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "app/EditCommands.h"
#include "core/platform/FileSystem.h"
#include "support/Listings.h"
#include "app/WindowHarness.h"

namespace tessarin::testing {
namespace {

ArcPlan Layout() {
    return Archive({Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\deep\\doc", 0x20, "doc"), Entry("top", 0x20, "top"),
                    Entry("z", 0x20, "z")});
}

using Log = std::vector<std::string>;
using Command = std::function<bool(WindowHarness&)>;
bool Delete(WindowHarness& h) { return DeleteSelected(h.program); }
Command Rename(const std::string& name) { return [=](WindowHarness& h) { return RenameSelected(h.program, name); }; }
Command Add(const std::vector<std::string>& names) {
    return [=](WindowHarness& h) {
        std::vector<std::string> paths;
        for (const std::string& name : names) paths.push_back(h.dir / name);
        return AddFilesToSelected(h.program, paths);
    };
}

bool Replace(WindowHarness& h) { return RunReplace(h, h.dir / "new.png"); }

// Where long work is cut short: the user stops it, or the program ends, at an event pump.
enum class Halt { No, Stop, End };

// Each command on the selected node; one refused or answered no changes nothing,
// not a byte. The rewrites offer the stop: stopped (or the program ending) at an
// event pump during the copy, the archive stays byte for byte, no new file is
// left beside it and the tree and records are as they were.
TEST(EditCommandsTest, ChangesTheArchiveAndTheTree) {
    const std::vector<std::string> kAll = {"ui\\logo.1A", "ui\\deep\\doc.20", "top.20", "z.20"};
    const struct {
        const char* label;
        std::string select;
        Command command;
        std::vector<std::string> keys;  // the records afterwards
        std::string selected;           // the tree's selected node afterwards
        int deleting = 0;               // the nodes the delete question counts; 0: none asked
        std::vector<std::string> also = {};  // selected besides the current node
        bool refused = false;           // returns false (a delete question is answered no unless halted)
        Halt halt = Halt::No;
    } rows[] = {
        {"delete a folder", "ui\\", Delete, {"top.20", "z.20"}, "top.20", 2},
        {"delete an entry", "top.20", Delete, {"ui\\logo.1A", "ui\\deep\\doc.20", "z.20"}, "z.20", 1},
        {"delete the last entry of a folder", "ui\\deep\\doc.20", Delete, {"ui\\logo.1A", "top.20", "z.20"}, "ui\\logo.1A", 1},
        {"delete several nodes, one inside another and two emptying a folder", "ui\\logo.1A", Delete, {"top.20"},
         "top.20", 3, {"z.20", "ui\\deep\\", "ui\\deep\\doc.20"}},
        {"rename an entry with a type name", "ui\\logo.1A", Rename("icon.TXT"),
         {"ui\\icon.20", "ui\\deep\\doc.20", "top.20", "z.20"}, "ui\\icon.20"},
        {"rename a folder", "ui\\deep\\", Rename("浅"), {"ui\\logo.1A", "ui\\浅\\doc.20", "top.20", "z.20"}, "ui\\浅\\"},
        {"add files into the entry's folder", "ui\\logo.1A", Add({"new.png", "data.7"}),
         {"ui\\logo.1A", "ui\\deep\\doc.20", "top.20", "z.20", "ui\\new.1A", "ui\\data.7"}, "ui\\data.7"},
        {"delete answered no", "ui\\", Delete, kAll, "ui\\", 2, {}, true},
        {"rename onto another entry", "top.20", Rename("z.txt"), kAll, "top.20", 0, {}, true},
        {"rename without a type", "top.20", Rename("top"), kAll, "top.20", 0, {}, true},
        {"rename a folder to a name with a separator", "ui\\deep\\", Rename("x\\y"), kAll, "ui\\deep\\", 0, {}, true},
        {"add a file of a key already there", "top.20", Add({"z.txt"}), kAll, "top.20", 0, {}, true},
        {"delete stopped", "ui\\", Delete, kAll, "ui\\", 2, {}, true, Halt::Stop},
        {"rename stopped", "ui\\deep\\", Rename("flat"), kAll, "ui\\deep\\", 0, {}, true, Halt::Stop},
        {"add stopped", "top.20", Add({"new.png"}), kAll, "top.20", 0, {}, true, Halt::Stop},
        {"replace stopped", "top.20", Replace, kAll, "top.20", 0, {}, true, Halt::Stop},
        {"delete, program ending", "ui\\", Delete, kAll, "ui\\", 2, {}, true, Halt::End},
        {"rename, program ending", "ui\\deep\\", Rename("flat"), kAll, "ui\\deep\\", 0, {}, true, Halt::End},
        {"add, program ending", "top.20", Add({"new.png"}), kAll, "top.20", 0, {}, true, Halt::End},
        {"replace, program ending", "top.20", Replace, kAll, "top.20", 0, {}, true, Halt::End},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        WindowHarness h;
        h.program.undo.kept = row.halt != Halt::No;  // the halted rewrite leaves no previous version either
        const std::string path = h.OpenArchive(Layout()), before = ReadFileBytes(path);
        WriteFiles(h.dir.path(), {{"new.png", "png"}, {"data.7", "seven"}, {"z.txt", "z"}});
        const std::size_t treeSize = h.program.tree.Size();
        h.SelectNode(row.select);
        for (const std::string& key : row.also) h.window.alsoSelected.push_back(h.program.tree.Find(key));
        h.window.ClearLog();
        h.window.yesNoAnswers.push_back(!row.refused || row.halt != Halt::No);
        h.window.onDoEvents = [&] {
            if (row.halt == Halt::No) return;
            EXPECT_TRUE(h.window.longWork && !h.window.mainEnabled);
            if (row.halt == Halt::End) h.program.EndProgram();
            else h.window.stopRequested = true;
        };
        {
            const RunningCommand running(h.program);
            ASSERT_EQ(row.command(h), !row.refused) << ::testing::PrintToString(h.window.log);
            EXPECT_TRUE(h.program.ArchiveIsOpen());  // the files close once the command has returned
        }
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"data.7", "new.png", "pack.ARC", "z.txt"}));
        EXPECT_EQ(ReadFileBytes(path) == before, row.refused);
        if (row.refused) {
            EXPECT_EQ(std::pair(h.program.tree.Size(), +h.program.undo.fileNum), std::pair(treeSize, 0));
        }
        std::vector<std::string> keys;
        for (const ARCFileCls& e : h.program.arc.ArcEntries) {
            keys.push_back(e.ArcFileKey);
            EXPECT_NE(h.program.tree.Find(e.ArcFileKey), kNoNode) << e.ArcFileKey;
        }
        EXPECT_EQ(keys, row.keys);
        // Changed in place, one live entry node per record.
        EXPECT_EQ(h.window.Calls(row.refused ? "TreeBegin" : "TreeBeginE"),
                  row.refused ? std::vector<std::string>{} : std::vector<std::string>{"TreeBeginEdit"});
        std::size_t entryNodes = 0;
        for (NodeId id = 0; static_cast<std::size_t>(id) < h.program.tree.Size(); ++id)
            entryNodes += h.program.tree.Alive(id) && IsEntryKey(h.program.tree.Node(id).key);
        EXPECT_EQ(entryNodes, keys.size());
        ASSERT_NE(h.program.SelectedNode(), nullptr);
        EXPECT_EQ(h.program.SelectedNode()->key, row.selected);
        const std::string question = "AskYesNo | 删除 " + std::to_string(row.deleting) + " 个对象？ | Tessarin";
        EXPECT_EQ(h.window.Calls("AskYesNo"), row.deleting ? std::vector<std::string>{question} : std::vector<std::string>{});
        const std::vector<std::string> stopped = {"MsgBox | 已停止，档案未作改动。 | Information | Tessarin"};
        if (row.halt != Halt::No) {
            EXPECT_EQ(h.window.Calls("MsgBox"), row.halt == Halt::Stop ? stopped : Log{});
        }
        EXPECT_EQ(std::tuple(h.window.longWork, h.window.mainEnabled, h.window.ended),
                  std::tuple(false, true, row.halt == Halt::End));
    }
}

TEST(EditCommandsTest, NewArchiveFromAFolderAsLongWork) {
    WindowHarness h;
    h.OpenArchive(Layout());
    WriteFiles(h.dir / "src", {{"ui/logo.png", "logo"}});
#ifndef _WIN32
    std::filesystem::create_symlink(h.dir / "src/ui/logo.png", h.dir / "src/ui/alias.png");
#endif
    h.window.ClearLog();
    ASSERT_TRUE(CreateArchiveFromFolder(h.program, h.dir / "src", h.dir / "new.arc"));  // its bytes: the create tests
#ifndef _WIN32
    // A link is no plain file: left out, and named once the archive is written.
    EXPECT_EQ(h.window.Calls("MsgBox"), std::vector<std::string>{std::string("MsgBox | 以下不是普通文件，已跳过：") + kCrLf +
                                                                "ui/alias.png | Information | Tessarin"});
#endif
    EXPECT_EQ(h.window.Calls("BeginLongWork").size(), 2u);  // the folder's walk, then the writing
    EXPECT_EQ(h.window.Calls("EndLongWork").size(), 2u);
    EXPECT_TRUE(h.window.mainEnabled);
    EXPECT_FALSE(CreateArchiveFromFolder(h.program, h.dir / "src", h.dir / "new.arc"));  // it exists now
    // Stopped while the folder is read: nothing is written.
    h.window.ClearLog();
    h.window.onDoEvents = [&] { h.window.stopRequested = h.window.Calls("BeginLongWork").size() == 1; };
    EXPECT_FALSE(CreateArchiveFromFolder(h.program, h.dir / "src", h.dir / "stopped.arc"));
    EXPECT_FALSE(FileExists(h.dir / "stopped.arc"));
}

}  // namespace
}  // namespace tessarin::testing
