#pragma once
// Reads and decodes entries for the preview on worker threads: an entry's
// stored bytes through the archive's checked positioned reads, inflated into a
// bounded buffer, then made into an image, text or bytes; the bytes view reads
// further on with StartBytes. A newer request cancels the older ones; Stop
// cancels and waits for every worker, and must run before the archive's file
// is closed.
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "ui/preview/PreviewContent.h"

namespace tessarin {

class BinaryFile;

struct PreviewRequest {
    const BinaryFile* archive = nullptr;
    std::int64_t offset = 0;
    std::int64_t storedSize = 0;
    std::int32_t size = 0;
    QString typeName;
    qint64 limit = kPreviewReadLimit;  // inflated bytes read at most (images)
    qint64 plainLimit = kPreviewTextLimit;  // the same for text and bytes
    QSize room;  // where an image will be fitted
};

// The work of one request, on the calling thread; stops early (returning
// nothing useful) once cancelled is set.
PreviewContent LoadPreview(const PreviewRequest& request, const std::atomic<bool>& cancelled);

class PreviewLoader : public QObject {
    Q_OBJECT
public:
    explicit PreviewLoader(QObject* parent = nullptr);
    ~PreviewLoader() override;

    // Starts a request; the result arrives as loaded(ticket, content).
    void Start(const PreviewRequest& request, quint64 ticket);
    // Reads count inflated bytes at at from an entry of size bytes; they arrive
    // as bytesLoaded with where its readable bytes end (-1: not known yet) and
    // what went wrong there.
    void StartBytes(std::shared_ptr<InflateCursor> cursor, qint64 at, qint64 count, qint64 size, quint64 ticket);
    // Cancels every request and waits until no worker reads the archive.
    void Stop();
    bool Busy() const;

signals:
    void loaded(quint64 ticket, const tessarin::PreviewContent& content);
    void bytesLoaded(quint64 ticket, qint64 at, const QByteArray& bytes, qint64 end, const QString& message);

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Runs work on a new worker, cancelling the older ones; what it returns
    // runs on this object's thread unless cancelled by then.
    void Launch(std::function<std::function<void()>(const std::atomic<bool>&)> work);
    void Reap(bool wait);
    std::vector<Worker> workers_;
};

}  // namespace tessarin
