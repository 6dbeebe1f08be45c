// File-system helpers: existence, sizes, deletion, folders and the atomic replace.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

class FileSystemTest : public ::testing::Test {
protected:
    void TearDown() override { faults::Reset(); }
    TempDir dir;
};

TEST_F(FileSystemTest, ExistenceAndSize) {
    WriteFileBytes(dir / "f", "12345");
    EXPECT_TRUE(FileExists(dir / "f"));
    EXPECT_FALSE(FileExists(dir.path())) << "a folder is not a file";
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(DirectoryExists(dir / "f"));
    EXPECT_EQ(FileSize(dir / "f"), 5);
    EXPECT_EQ(ErrorOf([&] { FileSize(dir / "missing"); }), 53);
    EXPECT_EQ(ErrorOf([&] { FileSize(dir / "no/missing"); }), 76);

    // Names given as program text reach files whose names are not UTF-8.
    const std::string native = dir / "\xB0\xA1\xFF";
    WriteFileBytes(native, "ab");
    EXPECT_TRUE(FileExists(NativeToText(native)));
    EXPECT_EQ(FileSize(NativeToText(native)), 2);
}

TEST_F(FileSystemTest, DeleteReportsWhyItCannot) {
    WriteFileBytes(dir / "f", "x");
    EXPECT_EQ(ErrorOf([&] { DeleteFile(dir / "missing"); }), 53);
    EXPECT_EQ(ErrorOf([&] { DeleteFile(dir / "no/missing"); }), 76);
    EXPECT_EQ(ErrorOf([&] { DeleteFile(dir.path()); }), 75);
    // Only files go: a clean-up pointed at a pipe or a device leaves it alone.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(ErrorOf([&] { DeleteFile(dir / "pipe"); }), 75);
    EXPECT_FALSE(TryDeleteFile(dir / "pipe"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));
    {
        BinaryFile open = BinaryFile::Open(dir / "f", OpenMode::ReadLocked);
        EXPECT_EQ(ErrorOf([&] { DeleteFile(dir / "f"); }), 70) << "a file in use stays";
        EXPECT_FALSE(TryDeleteFile(dir / "f"));
        EXPECT_TRUE(FileExists(dir / "f"));
    }
    EXPECT_EQ(ErrorOf([&] { DeleteFile(dir / "f"); }), 0);
    EXPECT_FALSE(FileExists(dir / "f"));
    EXPECT_FALSE(TryDeleteFile(dir / "f"));
    WriteFileBytes(dir / "g", "x");
    EXPECT_TRUE(TryDeleteFile(dir / "g"));
    EXPECT_FALSE(FileExists(dir / "g"));
}

TEST_F(FileSystemTest, CreateDirectoriesMakesEveryMissingParent) {
    CreateDirectories(dir / "a/b//c/");
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    CreateDirectories(dir / "a/b/c");  // already there: nothing to do
    CreateDirectories(NativeToText(dir / "\xC4\xE3\x80/x"));
    EXPECT_TRUE(DirectoryExists(dir / "\xC4\xE3\x80/x"));

    WriteFileBytes(dir / "file", "x");
    EXPECT_EQ(ErrorOf([&] { CreateDirectories(dir / "file"); }), 75);
    EXPECT_EQ(ErrorOf([&] { CreateDirectories(dir / "file/sub"); }), 75);
    EXPECT_EQ(ReadFileBytes(dir / "file"), "x");
}

TEST_F(FileSystemTest, ReplaceFileAtomically) {
    WriteFileBytes(dir / "a.arc", "old");
    WriteFileBytes(dir / "a.arc.new", "new");
    ReplaceFileAtomically(dir / "a.arc.new", dir / "a.arc");
    EXPECT_EQ(ReadFileBytes(dir / "a.arc"), "new");
    EXPECT_FALSE(FileExists(dir / "a.arc.new"));

    EXPECT_EQ(ErrorOf([&] { ReplaceFileAtomically(dir / "missing", dir / "a.arc"); }), 53);
    EXPECT_EQ(ReadFileBytes(dir / "a.arc"), "new");

    WriteFileBytes(dir / "b.new", "b");
    faults::FailAt(faults::Op::Rename, 1, 75);
    EXPECT_EQ(ErrorOf([&] { ReplaceFileAtomically(dir / "b.new", dir / "a.arc"); }), 75);
    EXPECT_EQ(ReadFileBytes(dir / "a.arc"), "new") << "an injected failure happens before the rename";
    EXPECT_TRUE(FileExists(dir / "b.new"));
}

TEST_F(FileSystemTest, ParentFolderAndProgramFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {"a/b/c", "a/b"}, {"c", ""}, {"/c", "/"}, {"a/b/", "a/b"}, {"", ""},
    };
    for (const auto& [path, parent] : cases) {
        EXPECT_EQ(ParentFolder(path), parent) << path;
    }
    const std::string folder = ProgramFolder();
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_NE(folder.back(), '/');
    EXPECT_EQ(folder, std::filesystem::canonical("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace tessarin
