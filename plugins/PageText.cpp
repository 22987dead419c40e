#include "plugins/PageText.h"

#include "common/MacroScript.h"

namespace tilvano {

QString EscapeQuotes(const QString &value)
{
    QString escaped = value;
    // The marker first: it is how a stored script keeps its line breaks, so
    // left in a value it would turn back into one when the script runs.
    escaped.replace(macroLineSeparator(), QStringLiteral(" "));
    escaped.replace(QLatin1Char('\r'), QLatin1Char(' '));
    escaped.replace(QLatin1Char('\n'), QLatin1Char(' '));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return escaped;
}

QString ReplacePlaceholder(const QString &script, const QString &placeholder, const QString &value)
{
    QString replaced = script;
    if (placeholder.isEmpty())
        return replaced;
    return replaced.replace(placeholder, value, Qt::CaseInsensitive);
}

} // namespace tilvano
