// The copy that stands in where a file system has no hard links; the link
// itself is in posix/SecondName.cpp and windows/SecondName.cpp.
#include "core/platform/SecondName.h"

#include "core/platform/BinaryFile.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/VbError.h"

namespace tessarin {

bool LinkFile(const std::string& existing, const std::string& newName);

bool AddSecondName(const std::string& existing, const std::string& newName) {
    if (LinkFile(existing, newName)) return true;
    try {
        BinaryFile from = BinaryFile::Open(existing, OpenMode::ReadShared);
        BinaryFile to = BinaryFile::Open(newName, OpenMode::CreateNewLocked);
        CopyBetweenFiles(from, 0, from.Length(), to);
        to.Sync();
    } catch (const VbError&) {
        TryDeleteFile(newName);
        throw;
    }
    return false;
}

}  // namespace tessarin
