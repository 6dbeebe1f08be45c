#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/platform/Cp936.h"
#include "core/platform/FaultInjection.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/Native.h"
#include "core/platform/VbError.h"

namespace tessarin {

namespace {
constexpr std::int64_t kKernelChunk = 64 << 20;  // one in-kernel copy call
}  // namespace

namespace native {

void CopyFileData(BinaryFile& from, std::int64_t offset, std::int64_t length, BinaryFile& out) {
    std::int64_t done = 0;
    while (done < length) {
        faults::Check(faults::Op::Read);
        faults::Check(faults::Op::Write);
        loff_t in = offset + done;
        loff_t to = out.Position();
        const auto chunk = static_cast<std::size_t>(std::min(length - done, kKernelChunk));
        const ssize_t n = ::copy_file_range(static_cast<int>(from.Handle()), &in, static_cast<int>(out.Handle()), &to,
                                            chunk, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            // Not offered between these files (another file system, an old
            // kernel, a special file): the rest goes through a buffer.
            if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF ||
                errno == EPERM) {
                CopyThroughBuffer(from, offset + done, length - done, out);
                return;
            }
            throw VbError(VbErrorFromErrno(errno));
        }
        if (n == 0) throw VbError(vberr::InputPastEnd);  // the file shrank meanwhile
        done += n;
        out.Seek(out.Position() + n);
    }
}

}  // namespace native

BinaryFile CreateScratchFileBeside(const std::string& path) {
    std::string tempPath;
    BinaryFile file = CreateTemporaryBeside(path, tempPath);
    // The open file is all that is needed; without a name it cannot outlive the run.
    ::unlink(TextToNative(tempPath).c_str());
    return file;
}

}  // namespace tessarin
