// Opening an archive locked: a file renamed over the path between the open and
// the lock is noticed, and the file the path names now is taken instead.
#include <gtest/gtest.h>
#include <filesystem>

#include "core/platform/FileIdentity.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {
namespace {

namespace fs = std::filesystem;

TEST(FileIdentityTest, LockIsTakenOnTheFileThePathNames) {
    for (const int renames : {0, 1, 100}) {
        SCOPED_TRACE(renames);
        TempDir dir;
        const std::string path = dir / "a.arc";
        WriteFileBytes(path, "old");
        int left = renames;
        SetAfterLockHookForTesting([&] {
            if (left-- <= 0) return;
            // The held file is moved away first: Windows renames nothing over an open file.
            WriteFileBytes(dir / "next", "new");
            fs::rename(NativePath(path), NativePath(dir / ("held" + std::to_string(left))));
            fs::rename(NativePath(dir / "next"), NativePath(path));
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
}  // namespace tessarin::testing
