#include "replace/BackgroundDeflate.h"

#include <chrono>

#include "core/platform/FileTransfer.h"

namespace tessarin {

namespace {
constexpr auto kWaitStep = std::chrono::milliseconds(30);
}  // namespace

BackgroundDeflate::BackgroundDeflate(BinaryFile& source, const std::string& besidePath, std::int64_t maxPlain) {
    Start(source, nullptr, besidePath, maxPlain);
}

BackgroundDeflate::BackgroundDeflate(BinaryFile& source, BinaryFile& out, std::int64_t maxPlain) {
    Start(source, &out, {}, maxPlain);
}

void BackgroundDeflate::Start(BinaryFile& source, BinaryFile* out, const std::string& besidePath,
                              std::int64_t maxPlain) {
    thread_ = std::thread([this, &source, out, besidePath, maxPlain] {
        try {
            if (out == nullptr) scratch_ = CreateScratchFileBeside(besidePath);
            sizes_ = DeflateFileInto(source, out != nullptr ? *out : scratch_, maxPlain, &cancel_, &read_);
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

void BackgroundDeflate::Wait(const WhileWaiting& whileWaiting) {
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
}

std::int64_t BackgroundDeflate::CopyInto(BinaryFile& out, const WhileWaiting& whileWaiting) {
    Wait(whileWaiting);
    CopyBetweenFiles(scratch_, 0, sizes_.stored, out);
    return sizes_.plain;
}

std::int64_t BackgroundDeflate::Finish(const WhileWaiting& whileWaiting) {
    Wait(whileWaiting);
    return sizes_.plain;
}

}  // namespace tessarin
