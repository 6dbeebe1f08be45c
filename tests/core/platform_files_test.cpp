// Binary files and file-system helpers: classic error numbers, the exclusive lock,
// positioned reads and writes, file numbers, deletion, folders, the atomic replace,
// the fault-injection seam and the lock taken on the file a path names.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#undef DeleteFile  // the program's own DeleteFile, not the system's macro
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/FileIdentity.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/Temporaries.h"
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

// Failures carry the classic error numbers (a named pipe nobody writes to must
// neither hang nor pass for a file); folders are made and names given as program
// text are found; the atomic replace leaves only the new file.
TEST_F(PlatformFilesTest, FoldersNamesAtomicReplaceAndClassicErrorNumbers) {
    WriteFileBytes(dir / "file", "x");
#ifdef _WIN32
    const std::string pipe = "\\\\.\\pipe\\tessarin-test-" + std::to_string(::GetCurrentProcessId());
    const std::unique_ptr<void, decltype(&::CloseHandle)> held(
        ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr), &::CloseHandle);
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
#else
    const std::string pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
#endif
    const auto open = [](OpenMode mode) { return [mode](const std::string& p) { BinaryFile::Open(p, mode); }; };
    const auto del = [](const std::string& p) { DeleteFile(p); };
    const std::tuple<std::function<void(const std::string&)>, std::string, int> cases[] = {
        {open(OpenMode::ReadLocked), dir / "missing", 53},
        {open(OpenMode::ReadLocked), dir / "no/such", 76},
        {open(OpenMode::CreateLocked), dir / "file/sub", 76},
        {open(OpenMode::ReadLocked), dir.path(), 75},
        {open(OpenMode::CreateLocked), dir.path(), 75},
        {open(OpenMode::ReadLocked), pipe, 75},  // and does not hang
        {del, dir / "no/missing", 76},
        {del, dir.path(), 75},
#ifndef _WIN32
        {del, pipe, 75},
#endif
        {[](const std::string& p) { CreateDirectories(p); }, dir / "file/sub", 75},
        {[&](const std::string& p) { ReplaceFileAtomically(p, dir / "file"); }, dir / "missing", 53},
    };
    for (const auto& [call, path, number] : cases) EXPECT_EQ(ErrorOf([&] { call(path); }), number) << path;
    EXPECT_FALSE(std::filesystem::exists(dir / "missing")) << "a failed open must not create the file";
    EXPECT_FALSE(FileExists(dir.path())) << "a folder is not a file";
    EXPECT_FALSE(DirectoryExists(dir / "file"));
    CreateDirectories(dir / "a/b//c/");
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    CreateDirectories(dir / "a/b/c");  // already there: nothing to do

    // Code page 936 and invalid bytes, as an archive's folder gives them. Wine
    // keeps names as UTF-8 and so cannot store the lone surrogates that invalid
    // bytes become on Windows: there only valid text is tried.
#ifdef _WIN32
    const std::string native = dir / "\xE4\xBD\xA0\xE5\xA5\xBD.bin";
#else
    const std::string native = dir / "\xC4\xE3\x80\xFF.bin";
#endif
    WriteFileBytes(native, "ab");
    EXPECT_TRUE(FileExists(NativeToText(native)));
    EXPECT_EQ(BinaryFile::Open(NativeToText(native), OpenMode::ReadLocked).Length(), 2);
    const std::string folder = NativeToText(ParentFolder(native)) + "/" + Cp936ToText("\xC4\xE3") + "/x";
    CreateDirectories(folder);
    EXPECT_TRUE(DirectoryExists(folder));

    WriteFileBytes(dir / "file.new", "new");
    ReplaceFileAtomically(dir / "file.new", dir / "file");
    EXPECT_EQ(ReadFileBytes(dir / "file"), "new");
    EXPECT_FALSE(FileExists(dir / "file.new"));
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::is_fifo(pipe)) << "the refused open and delete left the pipe alone";
    // A full device is a full disk.
    BinaryFile full;
    const int openError = ErrorOf([&] { full = BinaryFile::Open("/dev/full", OpenMode::CreateLocked); });
    if (openError != 0) GTEST_SKIP() << "/dev/full cannot be opened here (error " << openError << ")";
    EXPECT_EQ(ErrorOf([&] { full.Write("x", 1); }), 61);
#endif
}

// Writes keep or empty the file as opened; the exclusive lock refuses a second
// open or a delete, travels with a moved file and goes when it is closed.
TEST_F(PlatformFilesTest, WritesReadsPositionsLocksAndInjectedFaults) {
    const std::string path = dir / "data.bin";
    WriteFileBytes(path, "old contents");
    BinaryFile::Open(path, OpenMode::ReadWriteLocked).Write("new", 3);  // keeps the rest
    EXPECT_EQ(ReadFileBytes(path), "new contents");
    {
        BinaryFile f = BinaryFile::Open(path, OpenMode::CreateLocked);  // empties the file
        f.Write("hello world", 11);
        f.Seek(6);
        f.Write("WORLD", 5);
        EXPECT_EQ(f.Position(), 11);
    }
    EXPECT_EQ(ReadFileBytes(path), "hello WORLD");
    BinaryFile first = BinaryFile::Open(path, OpenMode::ReadLocked);
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, OpenMode::CreateLocked); }), 70);
    EXPECT_EQ(ErrorOf([&] { DeleteFile(path); }), 70);
    EXPECT_EQ(ReadFileBytes(path), "hello WORLD") << "a refused create or delete touched the file";
    BinaryFile f = std::move(first);  // the lock travels with the file
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(path, OpenMode::ReadLocked); }), 70);
    try {
        BinaryFile::Open(path, OpenMode::ReadLocked);
    } catch (const VbError& error) {
        EXPECT_TRUE(error.inUse()) << "a lock held elsewhere is the file in use, not a permission";
    }
    char buf[8] = {};
    f.Seek(6);
    f.ReadExact(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "WOR");
    EXPECT_EQ(f.Read(buf, sizeof buf), 2u) << "a short read at the end is no error";
    f.Seek(9);
    EXPECT_EQ(ErrorOf([&] { f.ReadExact(buf, 3); }), 62);
    EXPECT_EQ(ErrorOf([&] { f.Write("x", 1); }), 54) << "writing a file opened for reading";
    f.Close();
    EXPECT_TRUE(TryDeleteFile(path));
    EXPECT_FALSE(FileExists(path));

    // An injected fault fails the nth operation of its kind once; each kind is counted apart.
    f = BinaryFile::Open(path, OpenMode::CreateLocked);
    faults::FailAt(faults::Op::Write, 3, 61);
    faults::FailAt(faults::Op::Sync, 2, 57);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ErrorOf([&] { f.Write("abcd" + i, 1); }), i == 2 ? 61 : 0) << "write " << i;
        EXPECT_EQ(ErrorOf([&] { f.Sync(); }), i == 1 ? 57 : 0) << "sync " << i;
    }
    EXPECT_EQ(ReadFileBytes(f.Path()), "abd");
}

TEST_F(PlatformFilesTest, FileTableNumbersFilesFromOne) {
    FileTable files;
    files.Open(1, dir / "a", OpenMode::CreateLocked);
    files.Open(2, dir / "b", OpenMode::CreateLocked);
    EXPECT_EQ(files.FreeFile(), 3);
    files.Close(1);
    EXPECT_EQ(files.FreeFile(), 1);
    for (std::int16_t number : {1, 0, 512}) EXPECT_EQ(ErrorOf([&] { files.Get(number); }), 52) << number;
    EXPECT_EQ(ErrorOf([&] { files.Open(0, dir / "c", OpenMode::CreateLocked); }), 52);
    EXPECT_EQ(ErrorOf([&] { files.Open(2, dir / "c", OpenMode::CreateLocked); }), 55);
    EXPECT_EQ(ErrorOf([&] { files.Open(1, dir / "missing", OpenMode::ReadLocked); }), 53);
    EXPECT_FALSE(files.IsOpen(1)) << "a failed open leaves the number free";
    files.CloseAll();
    EXPECT_EQ(ErrorOf([&] { BinaryFile::Open(dir / "b", OpenMode::ReadLocked); }), 0) << "lock released";

#ifndef _WIN32
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur < 600) GTEST_SKIP() << "descriptor limit below 600";
#endif
    for (int n = 1; n <= 511; ++n) files.Open(files.FreeFile(), dir / std::to_string(n), OpenMode::CreateLocked);
    EXPECT_TRUE(files.IsOpen(511));
    EXPECT_EQ(ErrorOf([&] { files.FreeFile(); }), 67) << "511 files at most";
}

// Only the program's own temporaries that nobody holds go: not one another run
// is writing, not a folder or a link with such a name, not a look-alike.
TEST_F(PlatformFilesTest, StaleTemporariesGoAndNothingElse) {
    // Each row: name, kind ('f' file, 'l' file held locked, 'd' folder, 's' link to a file outside), removed by the
    // clean-up beside a.arc, removed by the clean-up of the whole folder.
    const std::tuple<std::string, char, bool, bool> items[] = {
        {".a.arc.tessarin-99999-1.tmp", 'f', true, true},
        {".a.arc.tessarin-1-22.tmp", 'l', false, false},
        {".b.arc.tessarin-5-1.tmp", 'f', false, true},
        {".a.arc.tessarin-x-1.tmp", 'f', false, false},
        {"a.arc.tessarin-7-1.tmp", 'f', false, false},
        {".a.arc.tessarin-7-1.tmp.bak", 'f', false, false},
        {".a.arc.tessarin-5-2.tmp", 'd', false, false},
#ifndef _WIN32
        {".a.arc.tessarin-6-1.tmp", 's', false, false},
#endif
    };
    WriteFileBytes(dir / "outside", "keep");
    std::vector<BinaryFile> held;
    for (const auto& [name, kind, goesBeside, goesInFolder] : items) {
        const std::string path = dir / name;
        if (kind == 'd') std::filesystem::create_directory(NativePath(path));
        else if (kind == 's') std::filesystem::create_symlink(NativePath(dir / "outside"), NativePath(path));
        else WriteFileBytes(path, "x");
        if (kind == 'l') held.push_back(BinaryFile::Open(path, OpenMode::ReadWriteLocked));
    }
    // A temporary this run is writing right now.
    SafeFolder folder = SafeFolder::Open(dir.path());
    FolderFile writing = folder.CreateTemporaryFor("c");
    const auto present = [&](const std::string& name) { return std::filesystem::exists(std::filesystem::symlink_status(NativePath(dir / name))); };

    EXPECT_EQ(RemoveStaleTemporariesBeside(dir / "a.arc"), 1u);
    for (const auto& [name, kind, goesBeside, goesInFolder] : items) EXPECT_EQ(present(name), !goesBeside) << name;
    EXPECT_EQ(RemoveStaleTemporariesIn(folder), 1u);
    for (const auto& [name, kind, goesBeside, goesInFolder] : items) EXPECT_EQ(present(name), !goesInFolder) << name;
    EXPECT_EQ(ReadFileBytes(dir / "outside"), "keep");
    writing.Write("c", 1);
    writing.CommitAs("c");
    EXPECT_EQ(ReadFileBytes(dir / "c"), "c");
}

// Parent folders, the program's folder, and the names an export may create
// inside the chosen folder on each platform.
TEST(FileSystemTest, PathRulesPerPlatform) {
    const std::pair<std::string, std::string> parents[] = {
        {"a/b/c", "a/b"}, {"c", ""}, {"/c", "/"},
#ifdef _WIN32
        {"C:\\a\\b.arc", "C:\\a"}, {"C:\\a/b\\c", "C:\\a/b"},
#else
        {"a\\b", ""},  // a backslash is part of a POSIX name
#endif
    };
    for (const auto& [path, parent] : parents) EXPECT_EQ(ParentFolder(path), parent) << path;
#ifdef _WIN32
    EXPECT_TRUE(FileExists(ProgramFolder() + kNativeSeparator + "test_core.exe")) << ProgramFolder();
#else
    EXPECT_EQ(ProgramFolder(), std::filesystem::canonical("/proc/self/exe").parent_path().string());
#endif
    const std::pair<std::vector<std::string>, bool> names[] = {
        {{"file.png", "数据", ".hidden", "\x7F", "COM0", "COM10", "CONSOLE", "LPT", "xcon", "con_"}, true},
        {{"", ".", "..", "a/b", "a\\b", "C:x", std::string("a\0b", 3)}, false},
        // Refused on Windows only: devices, a trailing dot or space, characters Windows reserves.
        {{"CON", "con.txt", "Nul.tar.gz", "aux ", "PRN .x", "COM1", "lpt9.log", "COM\xC2\xB9", "CONOUT$", "name.",
          "name ", "a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "tab\tname", "\x1F"},
         kNativeSeparator == '/'},
    };
    for (const auto& [group, safe] : names)
        for (const auto& name : group) EXPECT_EQ(IsSafeNativeName(name), safe) << "\"" << name << "\"";
}

// Opening an archive locked: a file renamed over the path between the open and
// the lock is noticed, and the file the path names now is taken instead.
TEST(FileIdentityTest, LockIsTakenOnTheFileThePathNames) {
    for (const int renames : {0, 1, 100}) {
        SCOPED_TRACE(renames);
        testing::TempDir dir;
        const std::string path = dir / "a.arc";
        WriteFileBytes(path, "old");
        int left = renames;
        SetAfterLockHookForTesting([&] {
            if (left-- <= 0) return;
            // The held file is moved away first: Windows renames nothing over an open file.
            WriteFileBytes(dir / "next", "new");
            std::filesystem::rename(NativePath(path), NativePath(dir / ("held" + std::to_string(left))));
            std::filesystem::rename(NativePath(dir / "next"), NativePath(path));
        });
        try {
            BinaryFile file = OpenLockedCurrent(path, OpenMode::ReadLocked);
            EXPECT_LT(renames, 100);
            EXPECT_TRUE(PathNamesOpenFile(path, file));
            char bytes[3];
            file.ReadExact(bytes, 3);
            EXPECT_EQ(std::string(bytes, 3), renames == 0 ? "old" : "new");
        } catch (const VbError& error) {
            EXPECT_EQ(renames, 100);
            EXPECT_EQ(error.number(), vberr::PermissionDenied);
        }
        SetAfterLockHookForTesting(nullptr);
    }
}

}  // namespace
}  // namespace tessarin
