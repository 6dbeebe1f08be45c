#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "app/OpenClose.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "app/WindowHarness.h"

namespace tessarin::testing {
namespace {

using Log = std::vector<std::string>;

// Three entries: one in nested folders, one whose code has no name, one at the top.
ArcPlan ThreeEntries() {
    return Archive({Entry("ui\\img\\logo", 0x1A, "logo bytes"), Entry("ui\\bg", 0x1B, "bg"),
                    Entry("readme", 0x20, "hello")});
}

Log Concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The window effects before the file is opened.
Log BeforeOpen(const std::string& fileName) {
    return {"ShowOpenDialog | 4097 | ARC文件 (*.ARC)|*.ARC | ", "SetPanelText | 2 | ARC File: " + fileName,
            "SetProgressWidth | 1 | 5835", "SetCaption | " + fileName + " - Tessarin"};
}

// The effects of an accepted magic and header up to record `records`.
Log ReadDirectory(int version, int count, int records) {
    Log log = {"TreeBeginReset", "TreeSelect | 0", "TreeEnsureVisible | 0",
               "SetPanelText | 3 | ARC Version: " + std::to_string(version),
               "SetProgressVisible | 1 | true", "SetProgressMin | 1 | 0",
               "SetProgressMax | 1 | " + std::to_string(count),
               "SetPanelText | 1 | 发现 " + std::to_string(count) + " 个对象"};
    for (int i = 1; i <= records; ++i) log.push_back("SetProgressValue | 1 | " + std::to_string(i));
    return Concat(log, {"TreeEndReset"});
}

// The whole effects of opening ThreeEntries() as pack.ARC.
Log OpenedThreeEntries() {
    return Concat(Concat(BeforeOpen("pack.ARC"), ReadDirectory(7, 3, 3)),
                  {"TreeExpand | 0", "SetProgressVisible | 1 | false", "SetMenuEnabled | nopen | false",
                   "SetMenuEnabled | nclose | true", "SetMenuEnabled | nobject | true", "SetMenuEnabled | nimportdir | true", "SetButtonEnabled | 1 | false",
                   "SetButtonEnabled | 2 | true", "SetButtonEnabled | 4 | true"});
}

// The window effects of showing the no-archive state (as closing does).
Log NoArchiveState() {
    Log log = {"SetPanelText | 1 | 就绪", "SetPanelText | 3 | ", "SetPanelText | 2 | ", "SetCaption | Tessarin",
               "TreeBeginReset", "TreeEndReset"};
    for (const std::string menu : {"nopen", "nclose", "nobject", "nexport", "nimport", "nproperty", "nimportdir"})
        log.push_back("SetMenuEnabled | " + menu + (menu == "nopen" ? " | true" : " | false"));
    for (const int button : {1, 2, 4, 5, 6, 8})
        log.push_back("SetButtonEnabled | " + std::to_string(button) + (button == 1 ? " | true" : " | false"));
    return log;
}

std::string UnknownError(int number) {
    return "MsgBox | 发现未知的错误,错误编号:" + std::to_string(number) + "\r\n\r\n错误信息:" +
           VbErrorDescription(number) + " | Information | 提示";
}

// A cancelled pick changes nothing; an open reads the archive, builds the tree and
// keeps the file locked; closing resets the window and frees the file; the next
// open starts afresh, the entry commands waiting for a node click.
TEST(LoadArcFileTest, CancelOpenCloseAndOpenAgain) {
    WindowHarness h;
    LoadArcFile(h.program);  // no answer queued: the picker cancels
    EXPECT_EQ(h.window.log, Log{"ShowOpenDialog | 4097 | ARC文件 (*.ARC)|*.ARC | "});
    h.window.ClearLog();
    const std::string path = h.OpenArchive(ThreeEntries());
    EXPECT_EQ(h.window.log, OpenedThreeEntries());
    EXPECT_EQ(h.program.arc.OpenArcPath, path);  // cut at the NUL
    EXPECT_THROW(BinaryFile::Open(path, OpenMode::ReadLocked), VbError);  // kept open and locked while open
    // Every node, key and text, in the order added: the entries' names come from the program's type table.
    const auto& tree = h.program.tree;
    Log nodes;
    for (NodeId n = 0; n < static_cast<NodeId>(tree.Size()); ++n)
        nodes.push_back(tree.Node(n).key + " | " + tree.Node(n).text);
    EXPECT_EQ(nodes, (Log{"Root | " + path, "ui\\ | ui", "ui\\img\\ | img", "ui\\img\\logo.1A | logo.png",
                          "ui\\bg.1B | bg.1B", "readme.20 | readme.txt"}));
    EXPECT_EQ(tree.Node(tree.Root()).image, kImageArchive);

    h.SelectNode("readme.20");
    h.window.ClearLog();
    UnLoadArcFile(h.program);
    EXPECT_EQ(h.window.log, NoArchiveState());
    EXPECT_EQ(std::tuple(h.program.arc.ArcEntries.size(), h.program.arc.OpenArcPath, h.program.tree.Size()),
              std::tuple(0u, "", 0u));
    EXPECT_NO_THROW(BinaryFile::Open(path, OpenMode::ReadLocked));

    h.window.ClearLog();
    h.OpenArchive(ThreeEntries());
    EXPECT_EQ(h.window.log, OpenedThreeEntries());

    // Opened for a command on every entry: the same effects and records, the root node alone.
    UnLoadArcFile(h.program);
    h.window.ClearLog();
    OpenArchiveAt(h.program, path, OpenTree::RootOnly);
    const Log opened = OpenedThreeEntries();
    EXPECT_EQ(h.window.log, Log(opened.begin() + 1, opened.end())) << "all but the open dialog";
    EXPECT_EQ(std::tuple(h.program.arc.ArcEntries.size(), h.program.tree.Size()), std::tuple(3u, 1u));
}

// A failed open shows its message, keeps no lock on the file and goes back to
// the state with no archive open, whatever it had read; a repeated entry key
// ends the program instead, whether the whole tree is built or not. A file locked by another program, refused to this
// user or missing fails before anything is read; a refused permission is not
// called a file in use.
TEST(LoadArcFileTest, FailuresShowTheirMessageAndKeepTheNoArchiveState) {
    enum class File { Written, LockedElsewhere, Refused, Missing };
    ArcPlan countOneHigher = ThreeEntries();
    countOneHigher.count = 4;
    ArcPlan repeatedKey = Archive({Entry("a\\x", 0x1A, "1"), Entry("a\\y", 0x1A, "2"), Entry("a\\x", 0x1A, "3"),
                                   Entry("b", 0x1A, "4")});
    const struct {
        const char* name;
        std::string bytes;
        Log afterOpen;            // effects after BeforeOpen up to the message ("<path>" stands for the
                                  // file's path)
        bool ends;                // the program ends, with the records and nodes read before the refused one
        File file = File::Written;
    } cases[] = {
        {"wrong magic", std::string("ARX\0\7\0\0\0", 8), {"MsgBox | 文件类型不正确 | Warning | 错误提示"}, false},
        {"shorter than the magic", "AR", {UnknownError(vberr::InputPastEnd)}, false},
        {"count one higher than the records", BuildArc(countOneHigher),
         Concat(ReadDirectory(7, 4, 4), {UnknownError(vberr::InputPastEnd)}), false},
        // No record after the refused one is read, and its node is not added: root, a\, a\x.1A, a\y.1A.
        {"repeated entry key", BuildArc(repeatedKey),
         Concat(ReadDirectory(7, 4, 3), {"MsgBox | \r\n添加信息时出错,程序将退出,详细检查扩展信息文件.\r\n\r\nPath=[a\\x] "
                                         "\r\n\r\nExt=[png] | Stop | 错误信息提示"}), true},
        {"locked by another program", BuildArc(ThreeEntries()),
         {"MsgBox | \r\n文件可能被其它应用程序占用,请关闭后再重试.\r\n\r\n<path> | Stop | Tessarin"}, false, File::LockedElsewhere},
        {"permission refused", BuildArc(ThreeEntries()),
         {"MsgBox | \r\n没有权限打开这个文件,请检查文件的权限后再重试.\r\n\r\n<path> | Stop | Tessarin"}, false, File::Refused},
        {"missing", "", {UnknownError(vberr::FileNotFound)}, false, File::Missing},
    };
    for (const auto& c : cases)
    for (const OpenTree mode : {OpenTree::Whole, OpenTree::RootOnly}) {
        SCOPED_TRACE(std::string(c.name) + (mode == OpenTree::Whole ? "" : ", root node only"));
        WindowHarness h;
        // An earlier tree and records, to see what a failure keeps.
        h.program.tree.AddRoot(kRootKey, "earlier", kImageArchive);
        AddArcEntry(h.program.arc.ArcEntries, "x.png", "", "x", "png", 1, 1, 0, "1A");
        const std::string path = h.dir / "bad.ARC";
        if (c.file != File::Missing) WriteFileBytes(path, c.bytes);
        std::optional<BinaryFile> other;
        if (c.file == File::LockedElsewhere) other.emplace(BinaryFile::Open(path, OpenMode::ReadLocked));
        if (c.file == File::Refused) faults::FailAt(faults::Op::Open, 1, vberr::PermissionDenied);
        if (mode == OpenTree::Whole) h.Open(path);  // picked in the open dialog
        else OpenArchiveAt(h.program, path, mode);
        faults::Reset();
        other.reset();

        // Then the end, or the no-archive state with the directory's bar hidden.
        Log expected = Concat(Concat(BeforeOpen("bad.ARC"), c.afterOpen),
                              c.ends ? Log{"EndProgram"} : Concat(NoArchiveState(), {"SetProgressVisible | 1 | false"}));
        for (auto& line : expected)
            if (const auto at = line.find("<path>"); at != std::string::npos) line.replace(at, 6, path);
        if (mode == OpenTree::RootOnly) expected.erase(expected.begin());  // opened without the dialog
        EXPECT_EQ(h.window.log, expected);
        if (c.file != File::Missing) {
            EXPECT_NO_THROW(BinaryFile::Open(path, OpenMode::ReadLocked)) << "a failed open does not keep the file";
        }
        // The program's end, the records and the nodes.
        EXPECT_EQ(std::tuple(h.program.ending, h.program.arc.ArcEntries.size(), h.program.tree.Size()),
                  std::tuple(c.ends, c.ends ? 3u : 0u, !c.ends ? 0u : mode == OpenTree::Whole ? 4u : 1u));
    }
}

}  // namespace
}  // namespace tessarin::testing
