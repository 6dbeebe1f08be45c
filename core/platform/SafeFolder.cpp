// The parts of SafeFolder and FolderFile that every platform shares; the
// system calls are in posix/SafeFolder.cpp and windows/SafeFolder.cpp.
#include "core/platform/SafeFolder.h"

#include <utility>

namespace tessarin {

FolderFile::~FolderFile() { Discard(); }

FolderFile::FolderFile(FolderFile&& other) noexcept
    : folder_(other.folder_), handle_(other.handle_), tempName_(std::move(other.tempName_)), inPlace_(other.inPlace_),
      stamp_(other.stamp_) {
    other.handle_ = SafeFolder::kNoHandle;
}

FolderFile& FolderFile::operator=(FolderFile&& other) noexcept {
    if (this != &other) {
        Discard();
        folder_ = other.folder_;
        handle_ = other.handle_;
        tempName_ = std::move(other.tempName_);
        inPlace_ = other.inPlace_;
        stamp_ = other.stamp_;
        other.handle_ = SafeFolder::kNoHandle;
    }
    return *this;
}

}  // namespace tessarin
