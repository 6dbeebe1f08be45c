// Opening an archive locked: a file renamed over the path between the open and
// the lock is noticed, and the file the path names now is taken instead.
#include <gtest/gtest.h>
#include <stdio.h>

#include "core/platform/FileIdentity.h"
#include "core/platform/VbError.h"
#include "support/ArcBuilder.h"

namespace tessarin::testing {
namespace {

TEST(FileIdentityTest, LockIsTakenOnTheFileThePathNames) {
    for (const int renames : {0, 1, 100}) {
        SCOPED_TRACE(renames);
        TempDir dir;
        const std::string path = dir / "a.arc";
        WriteFileBytes(path, "old");
        int left = renames;
        SetAfterLockHookForTesting([&] {
            if (left-- <= 0) return;
            WriteFileBytes(dir / "next", "new");
            ASSERT_EQ(::rename((dir / "next").c_str(), path.c_str()), 0);
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
