#pragma once
// The program's text <-> QString. Goes through UTF-16 with the escaped bytes of
// code page 936 kept as lone surrogates, so nothing is lost either way.
#include <QFile>
#include <QString>
#include <string>
#include <string_view>

#include "core/platform/Cp936.h"

namespace tessarin {

inline QString ToQString(std::string_view text) {
    return QString::fromStdU16String(TextToUtf16(text));
}

// Text typed into the window -> the program's text.
inline std::string FromQString(const QString& text) { return Utf16ToText(text.toStdU16String()); }

// A program path -> QString for Qt's file functions.
inline QString PathToQString(std::string_view path) {
    const std::string native = TextToNative(path);
    return QFile::decodeName(QByteArray(native.data(), static_cast<qsizetype>(native.size())));
}

// A path from a Qt picker or the command line -> the program's text.
inline std::string PathFromQString(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return NativeToText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace tessarin
