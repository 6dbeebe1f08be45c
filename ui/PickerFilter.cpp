#include "ui/PickerFilter.h"

namespace tessarin {

namespace {

QString QtPatterns(const QString& patterns) {
    QStringList result;
    for (QString pattern : patterns.split(';', Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        if (pattern.isEmpty()) continue;
        result << (pattern == "*.*" ? QStringLiteral("*") : pattern);
    }
    return result.isEmpty() ? QStringLiteral("*") : result.join(' ');
}

QString WithPatterns(const QString& description, const QString& rawPatterns) {
    const QString patterns = QtPatterns(rawPatterns);
    const QString desc = description.trimmed();
    if (desc.endsWith(')')) {
        const qsizetype open = desc.lastIndexOf('(');
        if (open >= 0 && QtPatterns(desc.mid(open + 1, desc.size() - open - 2)) == patterns) return desc;
    }
    return desc.isEmpty() ? QStringLiteral("(%1)").arg(patterns) : QStringLiteral("%1 (%2)").arg(desc, patterns);
}

}  // namespace

QStringList ToQtNameFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) result << WithPatterns(parts[i], parts[i + 1]);
    // A description without its pattern: all files.
    if (parts.size() % 2 == 1 && !parts.last().trimmed().isEmpty()) result << WithPatterns(parts.last(), "*");
    return result;
}

}  // namespace tessarin
