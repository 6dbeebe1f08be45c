#include "ui/preview/PreviewLoader.h"

#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "extract/Codec.h"
#include "extract/EntrySource.h"
#include "extract/InflateCursor.h"
#include "extract/Verify.h"
#include "ui/preview/ArrivingBytes.h"

namespace tessarin {

namespace {

// Reads on from the cursor into data, from have up to data's size; returns
// how far it got. With arriving, the bytes are published as they land.
qint64 ReadOn(InflateCursor& cursor, char* data, qint64 have, qint64 size, const std::atomic<bool>& cancelled,
              ArrivingBytes* arriving = nullptr) {
    while (have < size && !cancelled.load()) {
        const auto step = static_cast<std::size_t>(std::min<qint64>(kStreamBlock, size - have));
        const std::size_t n = cursor.Read(have, reinterpret_cast<std::uint8_t*>(data + have), step, cancelled);
        have += static_cast<qint64>(n);
        if (arriving) arriving->Publish(have);
        if (n < step) break;
    }
    if (arriving) arriving->Finish();
    return have;
}

// The first block of an entry, inflated through the cursor: it tells an image
// from the rest, and so how far to read on.
QByteArray ReadHead(InflateCursor& cursor, const PreviewRequest& request, const std::atomic<bool>& cancelled) {
    if (request.size <= 0) return {};
    const qint64 first = std::min<qint64>(kStreamBlock, request.size);
    QByteArray data(first, Qt::Uninitialized);
    auto* bytes = reinterpret_cast<std::uint8_t*>(data.data());
    data.truncate(static_cast<qsizetype>(cursor.Read(0, bytes, static_cast<std::size_t>(first), cancelled)));
    return data;
}

// An image that decodes front to back is decoded while a second thread still
// inflates the rest of the entry into data, so the two take the time of the
// longer rather than of both. data ends up holding what was read; whether the
// image stands depends on how the stream ended, which the caller judges.
PreviewContent DecodeWhileInflating(InflateCursor& cursor, QByteArray& data, const QByteArray& format,
                                    qint64 size, const std::atomic<bool>& cancelled) {
    const qint64 have = data.size();
    data.resize(size);
    char* raw = data.data();  // detached here, before two threads share it
    ArrivingBytes arriving(raw, size);
    arriving.Publish(have);
    qint64 got = have;
    PreviewContent content;
    content.entrySize = size;
    {
        // Joined on every way out of this block, before arriving and data go.
        std::jthread inflating([&] { got = ReadOn(cursor, raw, have, size, cancelled, &arriving); });
        ReadImage(content, arriving, format);
    }
    data.truncate(static_cast<qsizetype>(got));
    return content;
}

QString EndMessage(const InflateEnd& end, qint64 size) {
    if (!end.readFailure.empty()) return QStringLiteral("无法读取数据：") + QString::fromStdString(end.readFailure);
    if (end.code != 0) return QStringLiteral("数据流已损坏：") + QString::fromStdString(InflateProblemText(end.code));
    if (end.at >= 0 && end.at < size) {
        return QStringLiteral("数据只有 %1 字节，比记录的大小 %2 字节短").arg(end.at).arg(size);
    }
    return {};
}

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
    // Every entry goes through a cursor: its blocks are small and used again,
    // where reading the stored bytes whole first would touch as much memory
    // again; the bytes view reads on from the same cursor.
    auto cursor = std::make_shared<InflateCursor>(*request.archive, request.offset, request.storedSize, request.size);
    QByteArray data = ReadHead(*cursor, request, cancelled);
    std::optional<PreviewContent> decoded;
    if (data.size() == std::min<qint64>(kStreamBlock, request.size) && data.size() < request.size) {
        const QByteArray head = data.left(16);
        const QByteArray streamed = request.size <= request.limit ? StreamedImageFormat(head) : QByteArray();
        if (!streamed.isEmpty()) {
            decoded = DecodeWhileInflating(*cursor, data, streamed, request.size, cancelled);
        } else {
            const qint64 have = data.size();
            // An image too large to decode is shown as bytes: no more is read for it than for them.
            const bool image = request.size <= request.limit && LooksLikeImage(data, request.typeName);
            data.resize(std::min<qint64>(image ? request.limit : request.plainLimit, request.size));
            data.truncate(static_cast<qsizetype>(ReadOn(*cursor, data.data(), have, data.size(), cancelled)));
        }
    }
    const InflateEnd end = cursor->End();
    if (cancelled.load()) return failed;
    // Whole: everything the entry has was read, and nothing broke.
    const bool whole = end.at == data.size() && end.code == 0 && end.readFailure.empty();
    PreviewContent content;
    // An image that did not decode as it arrived gets a second chance from the
    // whole bytes (Qt forgives some faults only where it can seek).
    if (decoded && whole && decoded->kind == PreviewKind::Image) {
        content = std::move(*decoded);
        content.bytes = std::move(data);
        PrepareForDrawing(content, request.room);
    } else {
        content = MakePreview(std::move(data), whole, request.size, request.typeName, request.room);
    }
    if (!whole) content.rest = std::move(cursor);
    if (content.kind != PreviewKind::Image && content.rest && content.bytes.size() > request.plainLimit) {
        content.bytes.truncate(request.plainLimit);  // the bytes view reads the rest again as it is scrolled to
        content.bytes.squeeze();
    }
    const QString message = EndMessage(end, request.size);
    if (!message.isEmpty()) content.message = message;
    if (end.code != 0 && end.readFailure.empty()) {
        content.kind = content.kind == PreviewKind::Text ? PreviewKind::Text : PreviewKind::Bytes;
        if (content.bytes.isEmpty() && request.storedSize > 0) {
            // Nothing could be inflated: the stored bytes are what there is to see.
            const qint64 n = std::min<qint64>(request.storedSize, request.plainLimit);
            QByteArray stored(static_cast<qsizetype>(n), Qt::Uninitialized);
            try {
                ArchiveRangeSource(*request.archive, request.offset, n)
                    .Read(reinterpret_cast<std::uint8_t*>(stored.data()), static_cast<std::size_t>(n));
                content.bytes = std::move(stored);
                content.rest.reset();
                // The stored bytes are not the entry's text: they are shown as bytes.
                content.kind = PreviewKind::Bytes;
                content.text.clear();
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

void PreviewLoader::Launch(std::function<std::function<void()>(const std::atomic<bool>&)> work) {
    for (Worker& w : workers_) w.cancelled->store(true);
    Reap(false);
    Worker worker;
    worker.cancelled = std::make_shared<std::atomic<bool>>(false);
    worker.done = std::make_shared<std::atomic<bool>>(false);
    QPointer<PreviewLoader> self(this);
    worker.thread = std::thread([this, self, work = std::move(work), cancelled = worker.cancelled, done = worker.done] {
        std::function<void()> deliver = work(*cancelled);
        if (!cancelled->load() && deliver) {
            // The loader outlives its workers (Stop joins them), so this is safe.
            QMetaObject::invokeMethod(
                this,
                [self, cancelled, deliver = std::move(deliver)] {
                    if (self && !cancelled->load()) deliver();
                },
                Qt::QueuedConnection);
        }
        done->store(true);
    });
    workers_.push_back(std::move(worker));
}

void PreviewLoader::Start(const PreviewRequest& request, quint64 ticket) {
    Launch([this, request, ticket](const std::atomic<bool>& cancelled) -> std::function<void()> {
        PreviewContent content;
        try {
            content = LoadPreview(request, cancelled);
        } catch (const std::bad_alloc&) {
            // Bounded as the reading is, memory can still run out: the window says so.
            content.entrySize = request.size;
            content.complete = false;
            content.message = QStringLiteral("内存不足，无法预览");
        }
        return [this, ticket, content = std::move(content)] { emit loaded(ticket, content); };
    });
}

void PreviewLoader::StartBytes(std::shared_ptr<InflateCursor> cursor, qint64 at, qint64 count, qint64 size,
                               quint64 ticket) {
    Launch([this, cursor = std::move(cursor), at, count, size, ticket](const std::atomic<bool>& cancelled)
               -> std::function<void()> {
        QByteArray bytes(count, Qt::Uninitialized);
        bytes.truncate(static_cast<qsizetype>(
            cursor->Read(at, reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::size_t>(count), cancelled)));
        const InflateEnd end = cursor->End();
        return [this, ticket, at, bytes = std::move(bytes), end = end.at, message = EndMessage(end, size)] {
            emit bytesLoaded(ticket, at, bytes, end, message);
        };
    });
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
