#pragma once
// A read-only, sequential device over a buffer that another thread fills from
// the front: a read waits until all the bytes it asks for have arrived or the
// filling has ended, so a decoder can start on an entry while it is still
// being inflated.
#include <QIODevice>
#include <condition_variable>
#include <mutex>

namespace tessarin {

class ArrivingBytes : public QIODevice {
public:
    // data must hold capacity bytes and outlive the device; only the filling
    // thread writes to it, and only past what it has published.
    ArrivingBytes(const char* data, qint64 capacity);

    // Filling thread: the first filled bytes are in place (filled only grows).
    void Publish(qint64 filled);
    // Filling thread: no more bytes will come.
    void Finish();

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* out, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const char* data_;
    qint64 capacity_;
    qint64 read_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    qint64 filled_ = 0;
    bool finished_ = false;
};

}  // namespace tessarin
