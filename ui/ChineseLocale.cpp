#include "ui/ChineseLocale.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace tessarin {

namespace {

// The few texts of Qt's own dialogs that Qt's zh_CN catalogue leaves in
// English (the pickers' 类型 column names folders, drives and links by these).
class QtGapsTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        struct Text { const char* context; const char* source; const char* chinese; };
        static const Text kTexts[] = {
            {"QAbstractFileIconProvider", "Folder", "文件夹"},
            {"QAbstractFileIconProvider", "Drive", "驱动器"},
            {"QAbstractFileIconProvider", "Shortcut", "快捷方式"},
            {"QAbstractFileIconProvider", "Unknown", "未知"},
        };
        if (!context || !source) return {};
        for (const Text& text : kTexts)
            if (std::strcmp(context, text.context) == 0 && std::strcmp(source, text.source) == 0)
                return QString::fromUtf8(text.chinese);
        return {};
    }
};

}  // namespace

QTranslator* UseChineseLocale() {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Embedded in the Windows build, Qt's own folder elsewhere.
    const QString embedded = QStringLiteral(":/translations");
    const QString folder = QFile::exists(embedded + "/qtbase_zh_CN.qm")
                               ? embedded
                               : QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const bool loaded = translator->load(chinese, "qtbase", "_", folder) &&
                        QCoreApplication::installTranslator(translator);
    // Installed after Qt's, so it is asked first; it answers only its own texts.
    QCoreApplication::installTranslator(new QtGapsTranslator(QCoreApplication::instance()));
    if (!loaded) {
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace tessarin
