#include "core/platform/FileIdentity.h"

#include "core/platform/VbError.h"

namespace tessarin {

namespace {
constexpr int kOpenAttempts = 5;
std::function<void()>& AfterLockHook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

void SetAfterLockHookForTesting(std::function<void()> hook) { AfterLockHook() = std::move(hook); }

BinaryFile OpenLockedCurrent(const std::string& path, OpenMode mode) {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        BinaryFile file = BinaryFile::Open(path, mode);
        if (AfterLockHook()) AfterLockHook()();
        if (PathNamesOpenFile(path, file)) return file;
        // The file was replaced between the open and the lock: the lock is on
        // the old one. Let it go and take the file the path names now.
    }
    throw VbError::InUse();
}

}  // namespace tessarin
