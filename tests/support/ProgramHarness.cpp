#include "support/ProgramHarness.h"

#include <gtest/gtest.h>

#include "core/ArcReader.h"
#include "core/platform/FileIdentity.h"
#include "tree/TreeBuilder.h"

namespace tessarin::testing {

namespace {

// Builds the tree as the directory is read: the root, then each entry's nodes.
class TreeFiller : public ArcReadReceiver {
public:
    explicit TreeFiller(Program& program) : program_(program) {}

    void MagicAccepted() override {
        program_.tree.Clear();
        root = program_.tree.AddRoot(kRootKey, program_.arc.OpenArcPath, kImageArchive);
    }
    // The status the window shows once an archive is open, which long work puts back.
    void CountRead(std::int16_t count) override {
        program_.ui.SetPanelText(1, "发现 " + std::to_string(count) + " 个对象");
    }
    void EntryAdded(const ARCFileCls& entry, const DirectoryRecord& record) override {
        AddItemNodes(program_.tree, record.fullName, kRootKey, entry.ArcFileTypeHex, entry.ArcFileName);
    }

    NodeId root = kNoNode;

private:
    Program& program_;
};

}  // namespace

ProgramHarness::ProgramHarness() {
    AddExtType(program.ExtTypes, "1A", "png");
    AddExtType(program.ExtTypes, "20", "txt");
}

std::string ProgramHarness::OpenArchive(const ArcPlan& plan, const std::string& name) {
    const std::string path = dir / name;
    WriteFileBytes(path, BuildArc(plan));
    Open(path);
    return path;
}

void ProgramHarness::Open(const std::string& path) {
    program.arc.OpenArcPath = path;
    program.arc.ArcFileNum = program.files.FreeFile();
    BinaryFile& file = program.files.Adopt(program.arc.ArcFileNum, OpenLockedCurrent(path, OpenMode::ReadLocked));
    TreeFiller filler(program);
    const ArcReadResult result = ReadArcDirectory(file, program.ExtTypes, program.arc.ArcEntries, filler);
    ASSERT_EQ(result.status, ArcReadResult::Status::Ok) << path << ": " << result.errorDescription;
    window.TreeSelect(filler.root);
}

void ProgramHarness::SelectNode(const std::string& key) {
    const NodeId node = program.tree.Find(key);
    ASSERT_NE(node, kNoNode) << key;
    window.TreeSelect(node);
    Clicked(node);
}

}  // namespace tessarin::testing
