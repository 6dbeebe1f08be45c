// Hard links on POSIX.
#include <unistd.h>

#include <cerrno>
#include <string>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"

namespace tessarin {

// True once newName is a hard link to existing; false where the file system
// refuses links (the caller then copies). Throws VbError for other failures.
bool LinkFile(const std::string& existing, const std::string& newName) {
    faults::Check(faults::Op::Open);
    if (::link(TextToNative(existing).c_str(), TextToNative(newName).c_str()) == 0) return true;
    const int err = errno;
    if (err == EPERM || err == EXDEV || err == EMLINK || err == ENOTSUP || err == EOPNOTSUPP) return false;
    throw VbError(VbErrorFromErrnoForPath(err, TextToNative(newName)));
}

}  // namespace tessarin
