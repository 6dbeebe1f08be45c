// Binary files: classic error numbers, the exclusive lock, positioned reads and
// writes, file numbers and the fault-injection seam.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;
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

class BinaryFileTest : public ::testing::Test {
protected:
    void TearDown() override { faults::Reset(); }
    TempDir dir;
};

TEST_F(BinaryFileTest, OpenFailuresCarryClassicNumbers) {
    WriteFileBytes(dir / "file", "x");
    const struct {
        const char* what;
        std::string path;
        OpenMode mode;
        int number;
    } cases[] = {
        {"missing file, read", dir / "missing", OpenMode::ReadLocked, 53},
        {"missing file, read-write", dir / "missing", OpenMode::ReadWriteLocked, 53},
        {"missing folder, read", dir / "no/such", OpenMode::ReadLocked, 76},
        {"missing folder, create", dir / "no/such", OpenMode::CreateLocked, 76},
        {"a file used as a folder", dir / "file/sub", OpenMode::CreateLocked, 76},
        {"folder, read", dir.path(), OpenMode::ReadLocked, 75},
        {"folder, read-write", dir.path(), OpenMode::ReadWriteLocked, 75},
        {"folder, create", dir.path(), OpenMode::CreateLocked, 75},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(c.path, c.mode); }), c.number) << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing")) << "a failed open must not create the file";
}

TEST_F(BinaryFileTest, SecondOpenOfALockedFileIsDeniedUntilClose) {
    const std::string path = dir / "a.arc";
    WriteFileBytes(path, "keep me");
    BinaryFile first = BinaryFile::Open(path, OpenMode::ReadLocked);
    for (OpenMode mode : {OpenMode::ReadLocked, OpenMode::ReadWriteLocked, OpenMode::CreateLocked}) {
        EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, mode); }), 70);
    }
    // A refused create must not have emptied the file its owner holds.
    EXPECT_EQ(ReadFileBytes(path), "keep me");

    BinaryFile moved = std::move(first);  // the lock travels with the file
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, OpenMode::ReadLocked); }), 70);
    moved.Close();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, OpenMode::ReadLocked); }), 0);
}

TEST_F(BinaryFileTest, OpeningAPipeNeverHangs) {
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    for (OpenMode mode : {OpenMode::ReadLocked, OpenMode::ReadWriteLocked, OpenMode::CreateLocked}) {
        EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "pipe", mode); }), 75);
    }
}

TEST_F(BinaryFileTest, WritesReadsAndPositions) {
    const std::string path = dir / "data.bin";
    {
        BinaryFile f = BinaryFile::Open(path, OpenMode::CreateLocked);
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

TEST_F(BinaryFileTest, CreateEmptiesAndReadWriteKeepsContents) {
    const std::string path = dir / "data.bin";
    WriteFileBytes(path, "old contents");
    {
        BinaryFile f = BinaryFile::Open(path, OpenMode::ReadWriteLocked);
        EXPECT_EQ(f.Length(), 12);
        f.Write("new", 3);
    }
    EXPECT_EQ(ReadFileBytes(path), "new contents");
    BinaryFile::Open(path, OpenMode::CreateLocked);
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(BinaryFileTest, OpensNamesGivenAsProgramText) {
    // A file whose name holds code page 936 bytes, as an archive's folder would give.
    const std::string native = dir / "\xC4\xE3\x80.bin";
    WriteFileBytes(native, "abc");
    BinaryFile f = BinaryFile::Open(NativeToText(native), OpenMode::ReadLocked);
    EXPECT_EQ(f.Length(), 3);
}

TEST_F(BinaryFileTest, WritingAFullDeviceIsDiskFull) {
    BinaryFile f;
    const int openError = ErrorOf([&] { f = BinaryFile::Open("/dev/full", OpenMode::ReadWriteLocked); });
    if (openError != 0) {
        GTEST_SKIP() << "/dev/full cannot be opened here (error " << openError << ")";
    }
    EXPECT_EQ(ErrorOf([&] { f.Write("x", 1); }), 61);
}

TEST_F(BinaryFileTest, FaultInjectionFailsTheNthOperationOnce) {
    BinaryFile f = BinaryFile::Open(dir / "f.bin", OpenMode::CreateLocked);
    faults::FailAt(faults::Op::Write, 3, 61);
    EXPECT_EQ(ErrorOf([&] { f.Write("a", 1); }), 0);
    EXPECT_EQ(ErrorOf([&] { f.Write("b", 1); }), 0);
    EXPECT_EQ(ErrorOf([&] { f.Write("c", 1); }), 61);
    EXPECT_EQ(ErrorOf([&] { f.Write("d", 1); }), 0);
    EXPECT_EQ(ReadFileBytes(f.Path()), "abd");

    char c;
    f.Seek(0);
    faults::FailAt(faults::Op::Read, 1, 57);
    faults::FailAt(faults::Op::Sync, 2, 57);
    EXPECT_EQ(ErrorOf([&] { f.ReadExact(&c, 1); }), 57);
    EXPECT_EQ(ErrorOf([&] { f.Sync(); }), 0);
    EXPECT_EQ(ErrorOf([&] { f.Sync(); }), 57);

    faults::FailAt(faults::Op::Open, 1, 70);
    faults::Reset();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "g.bin", OpenMode::CreateLocked); }), 0);
    faults::FailAt(faults::Op::Open, 1, 70);
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "h.bin", OpenMode::CreateLocked); }), 70);
}

TEST_F(BinaryFileTest, FileTableNumbersFilesFromOne) {
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

    for (std::int16_t number : {1, 0, -1, 512}) {
        EXPECT_EQ(ErrorOf([&] { files.Get(number); }), 52) << number;
    }
    EXPECT_EQ(ErrorOf([&] { files.Open(0, dir / "c", OpenMode::CreateLocked); }), 52);
    EXPECT_EQ(ErrorOf([&] { files.Open(2, dir / "c", OpenMode::CreateLocked); }), 55);
    EXPECT_EQ(ErrorOf([&] { files.Open(1, dir / "missing", OpenMode::ReadLocked); }), 53);
    EXPECT_FALSE(files.IsOpen(1)) << "a failed open leaves the number free";

    files.CloseAll();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "b", OpenMode::ReadLocked); }), 0) << "lock released";
}

TEST_F(BinaryFileTest, FreeFileRunsOutAfter511) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < 600) {
        GTEST_SKIP() << "the descriptor limit is below 600";
    }
    FileTable files;
    for (int n = 1; n <= 511; ++n) {
        const std::int16_t number = files.FreeFile();
        ASSERT_EQ(number, n);
        files.Open(number, dir / std::to_string(n), OpenMode::CreateLocked);
    }
    EXPECT_EQ(ErrorOf([&] { files.FreeFile(); }), 67);
}

}  // namespace
}  // namespace tessarin
