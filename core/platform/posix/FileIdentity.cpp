#include <sys/stat.h>

#include "core/platform/Cp936.h"
#include "core/platform/FileIdentity.h"

namespace tessarin {

bool PathNamesOpenFile(const std::string& path, const BinaryFile& file) {
    if (!file.IsOpen()) return false;
    struct stat held {}, named {};
    if (::fstat(static_cast<int>(file.Handle()), &held) != 0) return false;
    if (::stat(TextToNative(path).c_str(), &named) != 0) return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

bool NameIsOpenFile(const std::string& path, const BinaryFile& file) {
    if (!file.IsOpen()) return false;
    struct stat held {}, named {};
    if (::fstat(static_cast<int>(file.Handle()), &held) != 0) return false;
    if (::lstat(TextToNative(path).c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace tessarin
