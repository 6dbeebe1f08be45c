// File-system operations every platform shares; the system calls are in
// posix/FileSystem.cpp and windows/FileSystem.cpp.
#include "core/platform/FileSystem.h"

#include <string>

#include "core/platform/Cp936.h"
#include "core/platform/Native.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"

namespace tessarin {

void DeleteFile(const std::string& path) {
    if (const int error = native::RemoveFile(path); error != 0) {
        throw VbError(error);
    }
}

bool TryDeleteFile(const std::string& path) { return native::RemoveFile(path) == 0; }

namespace {

BinaryFile CreateTemporaryWith(const std::string& path, std::string& tempPath, unsigned permissions) {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !IsNativeSeparator(path[nameStart - 1])) {
        --nameStart;
    }
    const std::string name = path.substr(nameStart);
    for (int n = 1;; ++n) {
        tempPath = path.substr(0, nameStart) + TemporaryName(name, native::CurrentProcessId(), n);
        try {
            return BinaryFile::Open(tempPath, OpenMode::CreateNewLocked, permissions);
        } catch (const VbError& error) {
            if (error.number() == vberr::FileAlreadyExists && n < 1000) continue;
            tempPath.clear();  // nothing was created: there is nothing to clean up
            throw;
        }
    }
}

}  // namespace

BinaryFile CreateTemporaryBeside(const std::string& path, std::string& tempPath) {
    return CreateTemporaryWith(path, tempPath, native::PermissionsForReplacementOf(path));
}

BinaryFile CreateTemporaryForNewFile(const std::string& path, std::string& tempPath) {
    return CreateTemporaryWith(path, tempPath, 0666);
}

std::string ParentFolder(const std::string& path) {
    std::size_t slash = path.size();
    while (slash > 0 && !IsNativeSeparator(path[slash - 1])) {
        --slash;
    }
    if (slash == 0) {
        return {};
    }
    return slash == 1 ? path.substr(0, 1) : path.substr(0, slash - 1);
}

const char* CommonNameRefusal(std::string_view component) {
    const std::string native = TextToNative(component);
    if (native.empty()) {
        return "empty name";
    }
    if (native == "." || native == "..") {
        return "names the folder itself or its parent";
    }
    for (char c : native) {
        if (c == '/' || c == '\\' || c == ':' || c == '\0') {
            return "holds a path separator, a drive or stream marker, or a NUL";
        }
    }
    return nullptr;
}

}  // namespace tessarin
