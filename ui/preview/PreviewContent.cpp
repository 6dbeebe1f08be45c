#include "ui/preview/PreviewContent.h"

#include <QBuffer>
#include <QImageReader>
#include <QStringDecoder>
#include <cstring>
#include <new>

#include "core/platform/LargeBlock.h"
#include "extract/preview/DdsImage.h"
#include "extract/preview/TgaHeader.h"
#include "ui/QtText.h"

namespace tessarin {

namespace {

const char* const kUnknownImage = "无法识别的图像格式";

struct Magic {
    const char* bytes;
    int size;
    int at;
    const char* format;
};

// Qt's format names by the bytes a file starts with.
const Magic kMagics[] = {
    {"\x89PNG\r\n\x1a\n", 8, 0, "png"}, {"\xff\xd8\xff", 3, 0, "jpeg"}, {"GIF87a", 6, 0, "gif"},
    {"GIF89a", 6, 0, "gif"}, {"BM", 2, 0, "bmp"}, {"II*\0", 4, 0, "tiff"}, {"MM\0*", 4, 0, "tiff"},
    {"WEBP", 4, 8, "webp"},
};

QByteArray FormatByMagic(const QByteArray& head) {
    for (const Magic& m : kMagics) {
        if (head.size() >= m.at + m.size && head.mid(m.at, m.size) == QByteArray(m.bytes, m.size)) {
            if (QByteArray(m.format) == "webp" && !head.startsWith("RIFF")) continue;
            return m.format;
        }
    }
    return {};
}

QByteArray FormatByType(const QString& typeName) {
    const QString type = typeName.toLower();
    for (const char* name : {"png", "jpg", "jpeg", "bmp", "gif", "tga", "tif", "tiff", "webp", "dds"}) {
        if (type == QLatin1String(name)) return type == "jpg" ? "jpeg" : type == "tif" ? "tiff" : type.toLatin1();
    }
    return {};
}

bool TextByType(const QString& typeName) {
    const QString type = typeName.toLower();
    for (const char* name : {"txt", "xml", "ini", "lua", "csv", "json", "htm", "html", "cfg", "log", "inf", "js"}) {
        if (type == QLatin1String(name)) return true;
    }
    return false;
}

const std::uint8_t* Raw(const QByteArray& bytes) { return reinterpret_cast<const std::uint8_t*>(bytes.constData()); }
std::size_t Size(const QByteArray& bytes) { return static_cast<std::size_t>(bytes.size()); }

bool IsTga(const QByteArray& bytes) {
    TgaHeader header;
    return ReadTgaHeader(Raw(bytes), Size(bytes), header);
}

void AsBytes(PreviewContent& content, const QString& message) {
    content.kind = PreviewKind::Bytes;
    content.image = QImage();
    if (!message.isEmpty()) content.message = message;
}

// An image over pixels in a large block, which it takes over and frees.
QImage ImageOver(LargeBlock pixels, int width, int height, QImage::Format format) {
    std::uint8_t* held = pixels.release();
    return QImage(
        held, width, height, qsizetype{width} * 4, format,
        [](void* block) { LargeBlockDeleter()(static_cast<std::uint8_t*>(block)); }, held);
}

// A large 32-bit picture is decoded into a block backed by huge pages where
// the system has them: its first touch then costs a few page faults instead
// of thousands. The reader fills an image of the size and format it would
// make itself; otherwise it makes its own, and this one goes unused.
QImage BlankOnLargePages(QSize size, QImage::Format format) {
    if (!size.isValid() || format == QImage::Format_Invalid || QImage::toPixelFormat(format).bitsPerPixel() != 32) {
        return {};
    }
    const qsizetype bytes = qsizetype{size.width()} * size.height() * 4;
    if (bytes < (qsizetype{4} << 20)) return {};
    try {
        return ImageOver(AllocateLargeBlock(static_cast<std::size_t>(bytes)), size.width(), size.height(), format);
    } catch (const std::bad_alloc&) {
        return {};  // the reader then tries its own allocation, and says when that fails
    }
}

void DecodeImage(PreviewContent& content, const QByteArray& format) {
    if (format == "dds") {
        DdsImage dds = DecodeDds(reinterpret_cast<const std::uint8_t*>(content.bytes.constData()),
                                 static_cast<std::size_t>(content.bytes.size()), kPreviewMaxPixelBytes / 4);
        if (!dds.error.empty()) return AsBytes(content, QString::fromUtf8(dds.error));
        if (dds.width > kPreviewMaxSide || dds.height > kPreviewMaxSide) return AsBytes(content, "图像过大");
        // The image takes over the decoded pixels rather than copying them.
        content.image = ImageOver(std::move(dds.rgba), dds.width, dds.height, QImage::Format_RGBA8888);
        content.format = QStringLiteral("DDS ") + QString::fromStdString(dds.format);
        content.kind = PreviewKind::Image;
        return;
    }
    if (format == "tga" && !IsTga(content.bytes)) return AsBytes(content, QStringLiteral("TGA 文件头无效"));
    // Qt reads only TGA files with the 2.0 footer; most have none, and the
    // footer adds nothing to the pixels, so a copy gets an empty one.
    QByteArray tga;
    static const QByteArray kTgaFooter("TRUEVISION-XFILE.\0", 18);
    if (format == "tga" && !content.bytes.endsWith(kTgaFooter)) tga = content.bytes + QByteArray(8, '\0') + kTgaFooter;
    QBuffer buffer(tga.isEmpty() ? &content.bytes : &tga);
    buffer.open(QIODevice::ReadOnly);
    ReadImage(content, buffer, format);
}

}  // namespace

void ReadImage(PreviewContent& content, QIODevice& device, const QByteArray& format) {
    QImageReader reader(&device, format);
    reader.setAllocationLimit(static_cast<int>(kPreviewMaxPixelBytes >> 20) + 1);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kPreviewMaxSide || size.height() > kPreviewMaxSide ||
                           qint64{size.width()} * size.height() * 4 > kPreviewMaxPixelBytes)) {
        return AsBytes(content, QStringLiteral("图像过大 (%1 × %2)，只显示字节").arg(size.width()).arg(size.height()));
    }
    QImage image = BlankOnLargePages(size, reader.imageFormat());
    if (!reader.read(&image) || image.isNull()) return AsBytes(content, QString::fromUtf8(kUnknownImage));
    content.image = std::move(image);
    content.format = QString::fromLatin1(format).toUpper();
    content.kind = PreviewKind::Image;
}

QByteArray StreamedImageFormat(const QByteArray& head) {
    const QByteArray format = FormatByMagic(head);
    return format == "png" ? format : QByteArray();
}

bool LooksLikeImage(const QByteArray& head, const QString& typeName) {
    return IsDds(Raw(head), Size(head)) || !FormatByMagic(head).isEmpty() || !FormatByType(typeName).isEmpty() ||
           (!TextByType(typeName) && TgaFieldsHold(Raw(head), Size(head)));
}

TextEncoding DetectEncoding(const QByteArray& bytes) { return DetectEncoding(Raw(bytes), Size(bytes)); }

QByteArray ShownText(const QByteArray& bytes, TextEncoding encoding) {
    if (bytes.size() <= kPreviewTextShown) return bytes;
    qsizetype end = kPreviewTextShown;
    if (encoding == TextEncoding::Utf8) {
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;  // a continuation byte
    } else if (encoding == TextEncoding::Cp936) {
        // Pairs are counted from the last byte that can only stand alone.
        qsizetype from = end;
        while (from > 0 && static_cast<unsigned char>(bytes[from - 1]) >= 0x81) --from;
        if ((end - from) % 2 != 0) --end;
    }
    return bytes.left(end);
}

bool TextCut(const PreviewContent& content) {
    return content.entrySize > kPreviewTextShown && content.bytes.size() >= kPreviewTextShown;
}

QString LineEnds(const QByteArray& bytes, TextEncoding encoding) {
    const LineEndKinds found = FindLineEnds(Raw(bytes), Size(bytes), encoding);
    QStringList kinds;
    if (found.crlf) kinds << QStringLiteral("CR LF");
    if (found.lf) kinds << QStringLiteral("LF");
    if (found.cr) kinds << QStringLiteral("CR");
    return kinds.isEmpty() ? QStringLiteral("无换行") : kinds.join(QStringLiteral(" + "));
}

QString DecodeText(const QByteArray& bytes, TextEncoding encoding) {
    QString text;
    switch (encoding) {
    case TextEncoding::Utf8:
        text = QString::fromUtf8(bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        QStringDecoder decoder(encoding == TextEncoding::Utf16Le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = decoder.decode(bytes);
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        break;
    }
    case TextEncoding::Cp936:
        text = ToQString(Cp936ToText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
        break;
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

QString EncodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::Utf16Le: return QStringLiteral("UTF-16LE");
    case TextEncoding::Utf16Be: return QStringLiteral("UTF-16BE");
    case TextEncoding::Cp936: return QStringLiteral("GBK (936)");
    }
    return {};
}

// The first picture shown is the image fitted to the window: scaled here, off
// the window's thread.
void PrepareForDrawing(PreviewContent& content, QSize room) {
    if (content.kind != PreviewKind::Image) return;
    if (room.isValid() && (content.image.width() > room.width() || content.image.height() > room.height())) {
        // A large image first drops to twice the size by picking pixels, then
        // is smoothed: the smoothing then costs the size shown, not the source.
        const QSize target = content.image.size().scaled(room, Qt::KeepAspectRatio);
        const QImage source = content.image.width() > 2 * target.width() || content.image.height() > 2 * target.height()
                                  ? content.image.scaled(target * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                                  : content.image;
        content.fitted = source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
}

PreviewContent MakePreview(QByteArray bytes, bool complete, qint64 entrySize, const QString& typeName, QSize room) {
    PreviewContent content;
    content.bytes = std::move(bytes);
    content.complete = complete;
    content.entrySize = entrySize;
    const QByteArray head = content.bytes.left(16);
    QByteArray format = FormatByMagic(head);
    if (IsDds(reinterpret_cast<const std::uint8_t*>(head.constData()), static_cast<std::size_t>(head.size()))) {
        format = "dds";
    }
    if (format.isEmpty()) format = FormatByType(typeName);
    // A TGA has no magic bytes: its header tells it when the type's name does not.
    if (format.isEmpty() && !TextByType(typeName) && IsTga(content.bytes)) format = "tga";
    if (!format.isEmpty()) {
        if (complete) {
            DecodeImage(content, format);
            PrepareForDrawing(content, room);
        } else {
            AsBytes(content, QStringLiteral("图像数据超过 %1 MiB，只显示字节").arg(kPreviewReadLimit >> 20));
        }
        return content;
    }
    const bool bom = HasByteOrderMark(Raw(head), Size(head));
    if (bom || TextByType(typeName) || (!content.bytes.isEmpty() && LooksLikeText(Raw(content.bytes), Size(content.bytes)))) {
        content.kind = PreviewKind::Text;
        content.encoding = DetectEncoding(content.bytes);
        content.text = DecodeText(ShownText(content.bytes, content.encoding), content.encoding);
    }
    return content;
}

}  // namespace tessarin
