#pragma once
// The pickers' filter text, "description|pattern|description|pattern...", as
// Qt name filters ("description (patterns)").
#include <QStringList>

namespace tessarin {

// Patterns are separated by ";" in the filter text and by spaces for Qt; "*.*"
// means every file, as it does on Windows, and becomes "*". A description that
// already ends in its own pattern list in parentheses is kept as it stands.
QStringList ToQtNameFilters(const QString& filter);

}  // namespace tessarin
