#include "ui/preview/ArrivingBytes.h"

#include <algorithm>
#include <cstring>

namespace tessarin {

ArrivingBytes::ArrivingBytes(const char* data, qint64 capacity) : data_(data), capacity_(capacity) {
    open(QIODevice::ReadOnly);
}

void ArrivingBytes::Publish(qint64 filled) {
    {
        std::lock_guard lock(mutex_);
        filled_ = std::clamp(filled, filled_, capacity_);
    }
    arrived_.notify_all();
}

void ArrivingBytes::Finish() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    arrived_.notify_all();
}

qint64 ArrivingBytes::bytesAvailable() const {
    std::lock_guard lock(mutex_);
    return filled_ - read_ + QIODevice::bytesAvailable();
}

qint64 ArrivingBytes::readData(char* out, qint64 maxSize) {
    // A read waits for all it asks for: Qt's PNG reader takes a short read as
    // the start of what it asked for and reads the rest over it.
    std::unique_lock lock(mutex_);
    const qint64 wanted = std::min(read_ + maxSize, capacity_);
    arrived_.wait(lock, [&] { return filled_ >= wanted || finished_; });
    const qint64 n = std::min(maxSize, filled_ - read_);
    if (n <= 0) return -1;  // ended: nothing more will arrive
    std::memcpy(out, data_ + read_, static_cast<std::size_t>(n));
    read_ += n;
    return n;
}

}  // namespace tessarin
