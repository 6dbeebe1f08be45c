#include "app/OpenClose.h"

#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/ArcReader.h"
#include "core/MessageTexts.h"
#include "core/platform/FileIdentity.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "extract/WrittenFiles.h"
#include "replace/UndoCopy.h"
#include "tree/TreeBuilder.h"

namespace tessarin {

namespace {

constexpr int kDirectoryBar = 1;
constexpr const char* kTreeErrorTitle = "错误信息提示";

// Thrown once the program has been ended: the opening command stops at once.
struct ProgramEnding {};

// An entry the tree refuses (a repeated key) ends the program: the stop
// message, every file closed, then the running command stops.
[[noreturn]] void EndProgramForRefusedEntry(Program& program, const std::string& spath, const std::string& Ext) {
    const std::string text = std::string(kCrLf) + "添加信息时出错,程序将退出,详细检查扩展信息文件." + kCrLf + kCrLf +
                             "Path=[" + spath + "] " + kCrLf + kCrLf + "Ext=[" + Ext + "]";
    program.ui.MsgBox(text, MsgIcon::Stop, kTreeErrorTitle);
    program.EndProgram();
    throw ProgramEnding{};
}

// The archive file name: the part of the path after its last separator.
std::string ArchiveFileName(const std::string& path) {
    std::size_t start = path.size();
    while (start > 0 && !IsNativeSeparator(path[start - 1])) --start;
    return path.substr(start);
}

// Turns each step of the directory read into its window effects. The tree's
// nodes change only between TreeBeginReset and TreeEndReset; the reset is
// closed before anything can repaint (a message box). The root is selected as
// soon as it exists; the window applies that when the reset ends.
//
// Without the whole tree only the root node is made; a repeated key is still
// refused, found through a flat table of the keys' hashes (eight bytes an
// entry rather than a node for every folder an archive names).
class OpenReceiver : public ArcReadReceiver {
public:
    OpenReceiver(Program& program, OpenTree tree) : program_(program), wholeTree_(tree == OpenTree::Whole) {}

    void MagicAccepted() override {
        program_.ui.TreeBeginReset();
        resetOpen_ = true;
        program_.tree.Clear();
        root_ = program_.tree.AddRoot(kRootKey, program_.arc.OpenArcPath, kImageArchive);
        program_.ui.TreeSelect(root_);
        program_.ui.TreeEnsureVisible(root_);
    }

    void VersionRead(std::int16_t version) override {
        program_.ui.SetPanelText(3, "ARC Version: " + std::to_string(version));
    }

    void CountRead(std::int16_t count) override {
        program_.ui.SetProgressVisible(kDirectoryBar, true);
        program_.ui.SetProgressMin(kDirectoryBar, 0);
        // A negative count reads no records; keep the bar's range valid.
        program_.ui.SetProgressMax(kDirectoryBar, std::max<int>(count, 0));
        program_.ui.SetPanelText(1, "发现 " + std::to_string(count) + " 个对象");
        // Room for the entries and their folders (deep trees have several per
        // entry), so the key map seldom has to grow while the tree is built.
        if (count > 0 && wholeTree_) {
            program_.tree.Reserve(6 * static_cast<std::size_t>(count) + 1);
        } else if (count > 0) {
            keys_.Reserve(static_cast<std::size_t>(count));
        }
    }

    void RecordStarting(int index) override { program_.ui.SetProgressValue(kDirectoryBar, index); }

    void EntryAdded(const ARCFileCls& entry, const DirectoryRecord& record) override {
        if (!wholeTree_) {
            CheckKeyUnique(entry, record);
            return;
        }
        try {
            AddItemNodes(program_.tree, record.fullName, kRootKey, entry.ArcFileTypeHex, entry.ArcFileName);
        } catch (const EntryNodeRefused&) {
            FinishTree();
            EndProgramForRefusedEntry(program_, record.fullName, entry.ArcFileType);
        }
    }

    // Closes the tree reset, if one was opened.
    void FinishTree() {
        if (!resetOpen_) {
            return;
        }
        resetOpen_ = false;
        program_.ui.TreeEndReset();
    }

    NodeId Root() const { return root_; }

private:
    // The refusal the tree would give for a key an earlier entry has.
    void CheckKeyUnique(const ARCFileCls& entry, const DirectoryRecord& record) {
        const std::vector<ARCFileCls>& entries = program_.arc.ArcEntries;
        const std::size_t hash = std::hash<std::string>{}(entry.ArcFileKey);
        const auto same = [&](std::uint32_t i) { return entries[i].ArcFileKey == entry.ArcFileKey; };
        if (keys_.Find(hash, same)) {
            FinishTree();
            EndProgramForRefusedEntry(program_, record.fullName, entry.ArcFileType);
        }
        keys_.Add(hash, static_cast<std::uint32_t>(entries.size() - 1));
    }

    Program& program_;
    const bool wholeTree_;
    WrittenFiles keys_;  // entry keys by hash, without the whole tree
    bool resetOpen_ = false;
    NodeId root_ = kNoNode;
};

void ShowOpenFailure(Program& program, int number, const std::string& description) {
    const std::string& path = program.arc.OpenArcPath;
    if (number == vberr::PermissionDenied) {
        program.ui.MsgBox(AccessRefusedText(path, description), MsgIcon::Stop, kProgramTitle);
    } else {
        program.ui.MsgBox(UnknownErrorText(number, description, path), MsgIcon::Information, kUnknownErrorTitle);
    }
}

void CloseArchiveFile(Program& program) {
    if (program.arc.ArcFileNum != 0 && program.files.IsOpen(program.arc.ArcFileNum)) {
        program.files.Close(program.arc.ArcFileNum);
    }
}

// No archive open: an empty tree, caption and panels as at start, only the
// open command available, and the archive's file (if open) closed.
void ShowNoArchiveState(Program& program) {
    IMainWindow& ui = program.ui;
    ui.SetPanelText(1, "就绪");
    ui.SetPanelText(3, "");
    ui.SetPanelText(2, "");
    ui.SetCaption(kProgramTitle);

    ui.TreeBeginReset();
    program.tree.Clear();
    ui.TreeEndReset();

    program.arc.ArcEntries.clear();
    program.arc.OpenArcPath.clear();

    ui.SetMenuEnabled("nopen", true);
    for (const char* item : {"nclose", "nobject", "nexport", "nimport", "nproperty", "nimportdir"}) {
        ui.SetMenuEnabled(item, false);
    }
    ui.SetButtonEnabled(1, true);
    for (int button : {2, 4, 5, 6, 8}) {
        ui.SetButtonEnabled(button, false);
    }
    CloseArchiveFile(program);
}

// A failed open keeps nothing of what was read (the entries' data is out of
// reach) and no lock on the file.
void ShowFailedOpen(Program& program) {
    ShowNoArchiveState(program);
    program.ui.SetProgressVisible(kDirectoryBar, false);
}

void ShowOpenedState(Program& program, NodeId root) {
    IMainWindow& ui = program.ui;
    ui.TreeExpand(root);
    ui.SetProgressVisible(kDirectoryBar, false);
    ui.SetMenuEnabled("nopen", false);
    ui.SetMenuEnabled("nclose", true);
    ui.SetMenuEnabled("nobject", true);
    ui.SetMenuEnabled("nimportdir", true);
    ui.SetButtonEnabled(1, false);
    ui.SetButtonEnabled(2, true);
    ui.SetButtonEnabled(4, true);
}

}  // namespace

void LoadArcFile(Program& program) {
    IMainWindow& ui = program.ui;
    std::string path = ui.ShowOpenDialog(ui.Handle(), kArcFilter, "");
    // The dialog's answer is the path, a NUL character and filler.
    if (const auto nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
    if (!path.empty()) OpenArchiveAt(program, path);
}

bool OpenArchiveAt(Program& program, const std::string& path, OpenTree tree) {
    IMainWindow& ui = program.ui;
    ArcState& arc = program.arc;
    arc.OpenArcPath = path;

    const std::string fileName = ArchiveFileName(arc.OpenArcPath);
    ui.SetPanelText(2, "ARC File: " + fileName);
    ui.SetProgressWidth(kDirectoryBar, ui.PanelWidth(1));
    ui.SetCaption(fileName + " - " + kProgramTitle);

    OpenReceiver receiver(program, tree);
    ArcReadResult result;
    try {
        arc.ArcFileNum = program.files.FreeFile();
        // Read access is all an open archive needs (a replacement writes a new
        // file and renames it over this one), so read-only archives open too.
        // The lock must be on the file the path names, not on one renamed over meanwhile.
        BinaryFile& file = program.files.Adopt(arc.ArcFileNum, OpenLockedCurrent(arc.OpenArcPath, OpenMode::ReadLocked));
        result = ReadArcDirectory(file, program.ExtTypes, arc.ArcEntries, receiver);
    } catch (const ProgramEnding&) {
        return false;  // the refused entry's message has been shown and the program ended
    } catch (const VbError& error) {
        result.Fail(error.number(), error.description());
    } catch (const std::bad_alloc&) {
        result.Fail(vberr::OutOfMemory, VbErrorDescription(vberr::OutOfMemory));
    } catch (const std::exception& error) {
        result.Fail(vberr::InternalError, error.what());
    }
    receiver.FinishTree();
    if (program.ending) {
        return false;
    }

    switch (result.status) {
        case ArcReadResult::Status::Ok:
            // The window keeps a previous version beside the archive while it is
            // open; one that a killed run left (held by no one) goes now.
            if (program.undo.kept) RemoveStaleTemporariesBeside(ResolvedPath(arc.OpenArcPath));
            ShowOpenedState(program, receiver.Root());
            return true;
        case ArcReadResult::Status::WrongMagic:
            CloseArchiveFile(program);  // no lock while the message shows
            ui.MsgBox(WrongTypeText(arc.OpenArcPath), MsgIcon::Warning, kWrongTypeTitle);
            ShowFailedOpen(program);
            return false;
        case ArcReadResult::Status::Failed:
            CloseArchiveFile(program);
            ShowOpenFailure(program, result.errorNumber, result.errorDescription);
            ShowFailedOpen(program);
            return false;
    }
    return false;
}

void UnLoadArcFile(Program& program) {
    // The previous version lives only as long as the archive is open.
    DropUndoCopy(program);
    ShowNoArchiveState(program);
}

}  // namespace tessarin
