#include "replace/BackgroundDeflate.h"

#include "core/platform/FileTransfer.h"

namespace tessarin {

BackgroundDeflate::BackgroundDeflate(BinaryFile& source, const std::string& besidePath, std::int64_t maxPlain) {
    thread_ = std::thread([this, &source, besidePath, maxPlain] {
        try {
            scratch_ = CreateScratchFileBeside(besidePath);
            sizes_ = DeflateFileInto(source, scratch_, maxPlain, &cancel_);
        } catch (...) {
            failure_ = std::current_exception();
        }
    });
}

BackgroundDeflate::~BackgroundDeflate() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

std::int64_t BackgroundDeflate::CopyInto(BinaryFile& out) {
    if (thread_.joinable()) thread_.join();
    if (failure_) std::rethrow_exception(failure_);
    CopyBetweenFiles(scratch_, 0, sizes_.stored, out);
    return sizes_.plain;
}

}  // namespace tessarin
