// Binary files and file-system helpers: classic error numbers, the exclusive lock,
// positioned reads and writes, file numbers, deletion, folders, the atomic replace
// and the fault-injection seam.
#include <gtest/gtest.h>
#include <sys/resource.h>
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
using testing::WriteFileBytes;

// The error number a call throws, or 0 when it throws nothing.
int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

class PlatformFilesTest : public ::testing::Test {
protected:
    void TearDown() override { faults::Reset(); }
    testing::TempDir dir;
};

TEST_F(PlatformFilesTest, FailuresCarryClassicNumbers) {
    WriteFileBytes(dir / "file", "x");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    using Call = std::function<void(const std::string&)>;
    const auto open = [](OpenMode mode) -> Call { return [mode](const std::string& p) { BinaryFile::Open(p, mode); }; };
    const Call read = open(OpenMode::ReadLocked), readWrite = open(OpenMode::ReadWriteLocked),
               create = open(OpenMode::CreateLocked), size = [](const std::string& p) { FileSize(p); },
               remove = [](const std::string& p) { DeleteFile(p); },
               folders = [](const std::string& p) { CreateDirectories(p); },
               replaceFile = [&](const std::string& p) { ReplaceFileAtomically(p, dir / "file"); };
    const struct {
        const char* what;
        Call call;
        std::string path;
        int number;
    } cases[] = {
        {"open a missing file to read", read, dir / "missing", 53},
        {"open a missing file to read and write", readWrite, dir / "missing", 53},
        {"open in a missing folder to read", read, dir / "no/such", 76},
        {"create in a missing folder", create, dir / "no/such", 76},
        {"create under a file used as a folder", create, dir / "file/sub", 76},
        {"open a folder to read", read, dir.path(), 75},
        {"open a folder to read and write", readWrite, dir.path(), 75},
        {"create over a folder", create, dir.path(), 75},
        // Opening a pipe never hangs.
        {"open a pipe to read", read, dir / "pipe", 75},
        {"open a pipe to read and write", readWrite, dir / "pipe", 75},
        {"create over a pipe", create, dir / "pipe", 75},
        {"size of a missing file", size, dir / "missing", 53},
        {"size in a missing folder", size, dir / "no/missing", 76},
        {"delete a missing file", remove, dir / "missing", 53},
        {"delete in a missing folder", remove, dir / "no/missing", 76},
        {"delete a folder", remove, dir.path(), 75},
        // Only files go: a clean-up pointed at a pipe or a device leaves it alone.
        {"delete a pipe", remove, dir / "pipe", 75},
        {"folders over a file", folders, dir / "file", 75},
        {"folders under a file", folders, dir / "file/sub", 75},
        {"replace from a missing file", replaceFile, dir / "missing", 53},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf([&] { c.call(c.path); }), c.number) << c.what;
    EXPECT_FALSE(TryDeleteFile(dir / "pipe"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing")) << "a failed open must not create the file";
    EXPECT_EQ(ReadFileBytes(dir / "file"), "x");
}

TEST_F(PlatformFilesTest, ALockedFileCannotBeOpenedOrDeletedUntilClosed) {
    const std::string path = dir / "a.arc";
    WriteFileBytes(path, "keep me");
    BinaryFile first = BinaryFile::Open(path, OpenMode::ReadLocked);
    for (OpenMode mode : {OpenMode::ReadLocked, OpenMode::ReadWriteLocked, OpenMode::CreateLocked}) {
        EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, mode); }), 70);
    }
    EXPECT_EQ(ErrorOf([&] { DeleteFile(path); }), 70);
    EXPECT_FALSE(TryDeleteFile(path));
    // Neither a refused create nor a refused delete touched the file its owner holds.
    EXPECT_EQ(ReadFileBytes(path), "keep me");

    BinaryFile moved = std::move(first);  // the lock travels with the file
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, OpenMode::ReadLocked); }), 70);
    moved.Close();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, OpenMode::ReadLocked); }), 0);
    EXPECT_EQ(ErrorOf([&] { DeleteFile(path); }), 0);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(TryDeleteFile(path)) << "nothing left to delete";
    WriteFileBytes(path, "x");
    EXPECT_TRUE(TryDeleteFile(path));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(PlatformFilesTest, WritesReadsAndPositions) {
    const std::string path = dir / "data.bin";
    WriteFileBytes(path, "old contents");
    {
        BinaryFile f = BinaryFile::Open(path, OpenMode::ReadWriteLocked);  // keeps the contents
        EXPECT_EQ(f.Length(), 12);
        f.Write("new", 3);
    }
    EXPECT_EQ(ReadFileBytes(path), "new contents");
    {
        BinaryFile f = BinaryFile::Open(path, OpenMode::CreateLocked);  // empties the file
        EXPECT_EQ(f.Length(), 0);
        f.Write("hello world", 11);
        EXPECT_EQ(f.Position(), 11);
        f.Seek(6);
        f.Write("WORLD!", 6);
        f.Seek(20);  // writing past the end leaves a hole of zero bytes
        f.Write("z", 1);
        f.Sync();
        EXPECT_EQ(f.Length(), 21);
    }
    EXPECT_EQ(ReadFileBytes(path), std::string("hello WORLD!") + std::string(8, '\0') + "z");

    BinaryFile f = BinaryFile::Open(path, OpenMode::ReadLocked);
    char buf[32] = {};
    f.Seek(6);
    f.ReadExact(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "WORLD");
    EXPECT_EQ(f.Position(), 11);
    f.Seek(18);
    EXPECT_EQ(f.Read(buf, sizeof buf), 3u) << "a short read at the end is no error";
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u);
    f.Seek(19);
    EXPECT_EQ(ErrorOf([&] { f.ReadExact(buf, 3); }), 62);
    EXPECT_EQ(ErrorOf([&] { f.Write("x", 1); }), 54) << "writing a file opened for reading";
}

TEST_F(PlatformFilesTest, ExistenceSizesFoldersAndNamesGivenAsProgramText) {
    WriteFileBytes(dir / "f", "12345");
    EXPECT_TRUE(FileExists(dir / "f"));
    EXPECT_FALSE(FileExists(dir.path())) << "a folder is not a file";
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_FALSE(DirectoryExists(dir / "f"));
    EXPECT_EQ(FileSize(dir / "f"), 5);
    CreateDirectories(dir / "a/b//c/");
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    CreateDirectories(dir / "a/b/c");  // already there: nothing to do

    // Names holding code page 936 or invalid bytes, as an archive's folder would give,
    // reach their files when given as program text.
    const std::string native = dir / "\xC4\xE3\x80\xFF.bin";
    WriteFileBytes(native, "ab");
    EXPECT_TRUE(FileExists(NativeToText(native)));
    EXPECT_EQ(FileSize(NativeToText(native)), 2);
    EXPECT_EQ(BinaryFile::Open(NativeToText(native), OpenMode::ReadLocked).Length(), 2);
    CreateDirectories(NativeToText(dir / "\xC4\xE3\x80/x"));
    EXPECT_TRUE(DirectoryExists(dir / "\xC4\xE3\x80/x"));
}

TEST_F(PlatformFilesTest, ReplaceFileAtomically) {
    WriteFileBytes(dir / "a.arc", "old");
    WriteFileBytes(dir / "a.arc.new", "new");
    ReplaceFileAtomically(dir / "a.arc.new", dir / "a.arc");
    EXPECT_EQ(ReadFileBytes(dir / "a.arc"), "new");
    EXPECT_FALSE(FileExists(dir / "a.arc.new"));

    WriteFileBytes(dir / "b.new", "b");
    faults::FailAt(faults::Op::Rename, 1, 75);
    EXPECT_EQ(ErrorOf([&] { ReplaceFileAtomically(dir / "b.new", dir / "a.arc"); }), 75);
    EXPECT_EQ(ReadFileBytes(dir / "a.arc"), "new") << "an injected failure happens before the rename";
    EXPECT_TRUE(FileExists(dir / "b.new"));
}

TEST_F(PlatformFilesTest, DevicesAreNoArchivesButAFullOneIsDiskFull) {
    // A device has no length to read an archive or a source by: refused.
    for (OpenMode mode : {OpenMode::ReadLocked, OpenMode::ReadWriteLocked})
        EXPECT_EQ(ErrorOf([&] { BinaryFile::Open("/dev/zero", mode); }), 75);
    BinaryFile f;
    const int openError = ErrorOf([&] { f = BinaryFile::Open("/dev/full", OpenMode::CreateLocked); });
    if (openError != 0) GTEST_SKIP() << "/dev/full cannot be opened here (error " << openError << ")";
    EXPECT_EQ(ErrorOf([&] { f.Write("x", 1); }), 61);
}

TEST_F(PlatformFilesTest, FaultInjectionFailsTheNthOperationOnce) {
    BinaryFile f = BinaryFile::Open(dir / "f.bin", OpenMode::CreateLocked);
    faults::FailAt(faults::Op::Write, 3, 61);
    faults::FailAt(faults::Op::Sync, 2, 57);  // each kind of operation is counted apart
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ErrorOf([&] { f.Write("abcd" + i, 1); }), i == 2 ? 61 : 0) << "write " << i;
        EXPECT_EQ(ErrorOf([&] { f.Sync(); }), i == 1 ? 57 : 0) << "sync " << i;
    }
    EXPECT_EQ(ReadFileBytes(f.Path()), "abd");
    char c;
    f.Seek(0);
    faults::FailAt(faults::Op::Read, 1, 57);
    EXPECT_EQ(ErrorOf([&] { f.ReadExact(&c, 1); }), 57);

    faults::FailAt(faults::Op::Open, 1, 70);
    faults::Reset();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "g.bin", OpenMode::CreateLocked); }), 0);
    faults::FailAt(faults::Op::Open, 1, 70);
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "h.bin", OpenMode::CreateLocked); }), 70);
}

TEST_F(PlatformFilesTest, FileTableNumbersFilesFromOne) {
    FileTable files;
    EXPECT_EQ(files.FreeFile(), 1);
    files.Open(1, dir / "a", OpenMode::CreateLocked);
    files.Open(2, dir / "b", OpenMode::CreateLocked);
    EXPECT_EQ(files.FreeFile(), 3);
    files.Close(1);
    EXPECT_EQ(files.FreeFile(), 1);
    EXPECT_FALSE(files.IsOpen(1));
    EXPECT_TRUE(files.IsOpen(2));
    files.Get(2).Write("x", 1);

    for (std::int16_t number : {1, 0, -1, 512}) EXPECT_EQ(ErrorOf([&] { files.Get(number); }), 52) << number;
    EXPECT_EQ(ErrorOf([&] { files.Open(0, dir / "c", OpenMode::CreateLocked); }), 52);
    EXPECT_EQ(ErrorOf([&] { files.Open(2, dir / "c", OpenMode::CreateLocked); }), 55);
    EXPECT_EQ(ErrorOf([&] { files.Open(1, dir / "missing", OpenMode::ReadLocked); }), 53);
    EXPECT_FALSE(files.IsOpen(1)) << "a failed open leaves the number free";
    files.CloseAll();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "b", OpenMode::ReadLocked); }), 0) << "lock released";

    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < 600) GTEST_SKIP() << "descriptor limit below 600";
    for (int n = 1; n <= 511; ++n) {
        const std::int16_t number = files.FreeFile();
        ASSERT_EQ(number, n);
        files.Open(number, dir / std::to_string(n), OpenMode::CreateLocked);
    }
    EXPECT_EQ(ErrorOf([&] { files.FreeFile(); }), 67) << "511 files at most";
}

TEST(FileSystemTest, ParentFolderAndProgramFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {"a/b/c", "a/b"}, {"c", ""}, {"/c", "/"}, {"a/b/", "a/b"}, {"", ""}};
    for (const auto& [path, parent] : cases) EXPECT_EQ(ParentFolder(path), parent) << path;
    const std::string folder = ProgramFolder();
    EXPECT_NE(folder.back(), '/');
    EXPECT_EQ(folder, std::filesystem::canonical("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace tessarin
