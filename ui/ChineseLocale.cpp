#include "ui/ChineseLocale.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tessarin {

QTranslator* UseChineseLocale() {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Embedded in the Windows build, Qt's own folder elsewhere.
    const QString embedded = QStringLiteral(":/translations");
    const QString folder = QFile::exists(embedded + "/qtbase_zh_CN.qm")
                               ? embedded
                               : QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(chinese, "qtbase", "_", folder) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace tessarin
