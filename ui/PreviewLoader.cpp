#include "ui/PreviewLoader.h"

#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "extract/Codec.h"
#include "extract/EntrySource.h"

namespace tessarin {

namespace {

// Collects inflated bytes up to a limit that the first bytes decide; stops
// the inflation (by throwing) at the limit or once cancelled.
struct BoundedSink : ByteSink {
    struct Stop {};
    BoundedSink(const PreviewRequest& r, const std::atomic<bool>& c) : request(r), cancelled(c) {}
    void Put(const std::uint8_t* bytes, std::size_t n) override {
        if (cancelled.load(std::memory_order_relaxed)) throw Stop{};
        if (limit < 0) {
            const QByteArray head(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(std::min<std::size_t>(n, 16)));
            limit = LooksLikeImage(head, request.typeName) ? request.limit : request.plainLimit;
            data.reserve(static_cast<qsizetype>(std::min<qint64>(limit, request.size)));
        }
        const qint64 room = limit - data.size();
        data.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(std::min<qint64>(room, n)));
        if (static_cast<qint64>(n) > room) {
            full = true;
            throw Stop{};
        }
    }
    const PreviewRequest& request;
    const std::atomic<bool>& cancelled;
    qint64 limit = -1;
    QByteArray data;
    bool full = false;
};

}  // namespace

PreviewContent LoadPreview(const PreviewRequest& request, const std::atomic<bool>& cancelled) {
    PreviewContent failed;
    failed.entrySize = request.size;
    failed.complete = false;
    if (!request.archive) return failed;
    if (const auto error = ArchiveRangeSource::Check(*request.archive, request.offset, request.storedSize)) {
        failed.message = QStringLiteral("无法读取数据：") + QString::fromUtf8(error->what());
        return failed;
    }
    ArchiveRangeSource source(*request.archive, request.offset, request.storedSize);
    BoundedSink sink(request, cancelled);
    InflateResult result;
    QString readFailure;
    try {
        if (request.storedSize <= kWholeEntryLimit && request.size >= 0 && request.size <= kWholeEntryLimit) {
            // Small enough to hold whole, as the exports do: read at once and
            // inflated by the faster whole-entry inflater.
            std::vector<std::uint8_t> stored(static_cast<std::size_t>(request.storedSize));
            source.Read(stored.data(), stored.size());
            sink.data = QByteArray(request.size, Qt::Uninitialized);
            WholeInflater inflater;
            result = inflater.Inflate(stored.data(), stored.size(), reinterpret_cast<std::uint8_t*>(sink.data.data()),
                                      request.size);
            sink.data.truncate(static_cast<qsizetype>(std::clamp<std::int64_t>(result.produced, 0, request.size)));
        } else {
            result = InflateStream(source, request.storedSize, request.size, sink);
        }
    } catch (const BoundedSink::Stop&) {
        if (!sink.full) return failed;  // cancelled
        result.code = 0;
    } catch (const ArchiveReadFailure& failure) {
        readFailure = QStringLiteral("无法读取数据：") + QString::fromUtf8(failure.error.what());
    }
    if (cancelled.load()) return failed;
    const bool whole = readFailure.isEmpty() && result.ok() && !sink.full;
    PreviewContent content = MakePreview(std::move(sink.data), whole, request.size, request.typeName, request.room);
    if (!readFailure.isEmpty()) {
        content.message = readFailure;
    } else if (whole && content.bytes.size() < request.size) {
        content.message = QStringLiteral("数据只有 %1 字节，比记录的大小 %2 字节短").arg(content.bytes.size()).arg(request.size);
    } else if (!result.ok()) {
        content.message = QStringLiteral("数据流已损坏：") + QString::fromStdString(InflateFailureText(result.code));
        content.kind = content.kind == PreviewKind::Text ? PreviewKind::Text : PreviewKind::Bytes;
        if (content.bytes.isEmpty() && request.storedSize > 0) {
            // Nothing could be inflated: the stored bytes are what there is to see.
            const qint64 n = std::min<qint64>(request.storedSize, request.plainLimit);
            QByteArray stored(static_cast<qsizetype>(n), Qt::Uninitialized);
            try {
                ArchiveRangeSource(*request.archive, request.offset, n)
                    .Read(reinterpret_cast<std::uint8_t*>(stored.data()), static_cast<std::size_t>(n));
                content.bytes = std::move(stored);
                content.message += QStringLiteral("（以下为存储的字节）");
            } catch (const ArchiveReadFailure&) {
            }
        }
    }
    return content;
}

PreviewLoader::PreviewLoader(QObject* parent) : QObject(parent) {
    qRegisterMetaType<tessarin::PreviewContent>("tessarin::PreviewContent");
}

PreviewLoader::~PreviewLoader() { Stop(); }

void PreviewLoader::Reap(bool wait) {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (wait || it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void PreviewLoader::Start(const PreviewRequest& request, quint64 ticket) {
    for (Worker& w : workers_) w.cancelled->store(true);
    Reap(false);
    Worker worker;
    worker.cancelled = std::make_shared<std::atomic<bool>>(false);
    worker.done = std::make_shared<std::atomic<bool>>(false);
    QPointer<PreviewLoader> self(this);
    worker.thread = std::thread([this, self, request, ticket, cancelled = worker.cancelled, done = worker.done] {
        PreviewContent content = LoadPreview(request, *cancelled);
        if (!cancelled->load()) {
            // The loader outlives its workers (Stop joins them), so this is safe.
            QMetaObject::invokeMethod(
                this,
                [self, ticket, cancelled, content = std::move(content)] {
                    if (self && !cancelled->load()) emit self->loaded(ticket, content);
                },
                Qt::QueuedConnection);
        }
        done->store(true);
    });
    workers_.push_back(std::move(worker));
}

void PreviewLoader::Stop() {
    for (Worker& w : workers_) w.cancelled->store(true);
    Reap(true);
}

bool PreviewLoader::Busy() const {
    for (const Worker& w : workers_) {
        if (!w.done->load()) return true;
    }
    return false;
}

}  // namespace tessarin
