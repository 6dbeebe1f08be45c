#pragma once
// What the preview makes of an entry's inflated bytes: an image (by its magic
// bytes first, then by the type's name), text in a detected encoding, or the
// bytes themselves. Pure functions, safe on any thread.
#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

#include "extract/preview/TextEncoding.h"

namespace tessarin {

class InflateCursor;

// Bounds of one preview: inflated bytes read at most (images; text and bytes),
// text shown at most (a text view costs many times its text in layout), and
// the largest image decoded (a side, and its pixels' bytes).
inline constexpr qint64 kPreviewReadLimit = 64 << 20;
inline constexpr qint64 kPreviewTextLimit = 8 << 20;
inline constexpr qint64 kPreviewTextShown = 1 << 20;
inline constexpr int kPreviewMaxSide = 16384;
inline constexpr qint64 kPreviewMaxPixelBytes = qint64{256} << 20;

enum class PreviewKind { Image, Text, Bytes };

struct PreviewContent {
    PreviewKind kind = PreviewKind::Bytes;
    QImage image;
    QImage fitted;             // the image already scaled to fit the room asked for, or null
    QString format;            // "PNG", "DXT5", ...
    QByteArray bytes;          // the inflated bytes read
    qint64 entrySize = 0;      // the recorded original size
    bool complete = true;      // bytes hold the whole entry
    QString message;           // what went wrong, or why something is not shown
    TextEncoding encoding = TextEncoding::Utf8;
    QString text;              // kind Text: bytes decoded
    // Where the bytes after `bytes` are read from, as far as the bytes view is
    // scrolled (null when bytes hold all there is to read).
    std::shared_ptr<InflateCursor> rest;
};

// Whether the first bytes (a TGA header needs 18), or else the type name, say image.
bool LooksLikeImage(const QByteArray& head, const QString& typeName);
// Decides the kind of bytes read from an entry and decodes them; an image
// larger than room also comes scaled to fit it.
PreviewContent MakePreview(QByteArray bytes, bool complete, qint64 entrySize, const QString& typeName,
                           QSize room = {});

// Decodes an image of a format Qt reads from device into content, within the
// preview's bounds, or leaves content as bytes with the reason.
void ReadImage(PreviewContent& content, QIODevice& device, const QByteArray& format);
// The format of an image that can be decoded while its bytes still arrive
// (read front to back, never seeking), by its first bytes; empty for others.
QByteArray StreamedImageFormat(const QByteArray& head);
// Scales an image larger than room to fit it, into content.fitted.
void PrepareForDrawing(PreviewContent& content, QSize room);

TextEncoding DetectEncoding(const QByteArray& bytes);
// The bytes as text (BOM dropped), line ends CR LF, LF and CR made into line breaks.
QString DecodeText(const QByteArray& bytes, TextEncoding encoding);
// The part of the bytes the text view shows: at most kPreviewTextShown bytes,
// cut before a character that would not fit whole.
QByteArray ShownText(const QByteArray& bytes, TextEncoding encoding);
// Whether the text shown is only the start of the entry's text.
bool TextCut(const PreviewContent& content);
// The line ends a text uses: "CR LF", "LF", "CR", several, or "无换行".
QString LineEnds(const QByteArray& bytes, TextEncoding encoding);
QString EncodingName(TextEncoding encoding);

}  // namespace tessarin
