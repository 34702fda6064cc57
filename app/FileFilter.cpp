#include "FileFilter.h"

#include <QStringList>

namespace {

// "*.*" only matches names with a dot on this platform; the window means
// "any file" by it.
QString dialogPatterns(const QString& patterns) {
    QStringList result;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        result << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    return result.join(QLatin1Char(' '));
}

// A description that already names its patterns ("Any File (*.*)") gets the
// converted patterns in their place rather than a second pair of brackets.
QString shownDescription(const QString& description, const QString& patterns) {
    QString shown = description.trimmed();
    if (shown.endsWith(QLatin1Char(')'))) {
        shown = shown.left(shown.lastIndexOf(QLatin1Char('('))).trimmed();
    }
    return shown.isEmpty() ? patterns.trimmed() : shown;
}

QString dialogEntry(const QString& description, const QString& patterns) {
    const QString converted = dialogPatterns(patterns);
    if (converted.isEmpty()) {
        return {};
    }
    return shownDescription(description, patterns) + QStringLiteral(" (") + converted +
           QLatin1Char(')');
}

}  // namespace

QString ToDialogFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    // A trailing description without a pattern names nothing to filter by.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString entry = dialogEntry(parts[i], parts[i + 1]);
        if (!entry.isEmpty()) {
            entries << entry;
        }
    }
    return entries.join(QStringLiteral(";;"));
}

QString DialogFilterSuffix(const QString& entry) {
    const qsizetype open = entry.lastIndexOf(QLatin1Char('('));
    const qsizetype close = entry.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open) {
        return {};
    }
    const QString pattern = entry.mid(open + 1, close - open - 1).trimmed();
    const QString suffix = pattern.mid(2);
    const bool single = pattern.startsWith(QLatin1String("*.")) && !suffix.isEmpty() &&
                        !suffix.contains(QLatin1Char(' ')) && !suffix.contains(QLatin1Char('*')) &&
                        !suffix.contains(QLatin1Char('?'));
    return single ? suffix : QString();
}
