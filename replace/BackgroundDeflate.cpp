#include "replace/BackgroundDeflate.h"

#include <chrono>

#include "core/platform/FileTransfer.h"

namespace tessarin {

namespace {
constexpr auto kWaitStep = std::chrono::milliseconds(30);
}  // namespace

BackgroundDeflate::BackgroundDeflate(BinaryFile& source, const std::string& besidePath, std::int64_t maxPlain) {
    thread_ = std::thread([this, &source, besidePath, maxPlain] {
        try {
            scratch_ = CreateScratchFileBeside(besidePath);
            sizes_ = DeflateFileInto(source, scratch_, maxPlain, &cancel_, &read_);
        } catch (...) {
            failure_ = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        finished_.notify_all();
    });
}

BackgroundDeflate::~BackgroundDeflate() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

std::int64_t BackgroundDeflate::CopyInto(BinaryFile& out, const WhileWaiting& whileWaiting) {
    {
        std::unique_lock lock(mutex_);
        while (!finished_.wait_for(lock, kWaitStep, [this] { return done_; })) {
            if (!whileWaiting) continue;
            lock.unlock();
            whileWaiting(read_.load());
            lock.lock();
        }
    }
    if (thread_.joinable()) thread_.join();
    if (failure_) std::rethrow_exception(failure_);
    CopyBetweenFiles(scratch_, 0, sizes_.stored, out);
    return sizes_.plain;
}

}  // namespace tessarin
