#include "common/MacroScript.h"

#include <array>

namespace tilvano {

namespace {

QString lineBreak() { return QStringLiteral("\r\n"); }

// A typed text may itself contain the line separator; written as it is, the
// next reader would cut the statement in two and the macro would no longer
// run. Inside a string constant it is therefore split into two constants
// joined by "&", which the script engine puts back together and which
// contains no separator. The raw script of an argument never holds this
// sequence otherwise, since all its own double quotes are doubled.
QString protectedSeparator() { return QStringLiteral("<!!BR!\" & \"!>"); }

QString protectSeparators(QString argument)
{
    return argument.replace(macroLineSeparator(), protectedSeparator());
}

QString restoreSeparators(QString rawArgument)
{
    return rawArgument.replace(protectedSeparator(), macroLineSeparator());
}

QString quotedArgument(const QString &text) { return protectSeparators(doubleQuotes(text)); }

QString replaceFirst(QString text, const QString &what, const QString &by)
{
    const qsizetype at = text.indexOf(what);
    if (at >= 0)
        text.replace(at, what.size(), by);
    return text;
}

QString displayLineOf(const QString &scriptLine)
{
    QString shown = replaceFirst(scriptLine, speakPrefix(), QStringLiteral("Spreche: '"));
    shown = replaceFirst(shown, soundPrefix(), QStringLiteral("Datei: '"));
    shown = replaceFirst(shown, animationPrefix(), QStringLiteral("Animation: '"));
    shown = replaceFirst(shown, stopLine(), QStringLiteral("Stopp"));
    shown = replaceFirst(shown, thinkPrefix(), QStringLiteral("Denke: '"));
    shown = replaceFirst(shown, walkPrefix(), QStringLiteral("Gehe nach: "));
    return undoubleQuotes(restoreSeparators(shown));
}

// The bare argument of a stored line. Only the statement's own prefix (the
// first one in the line) is removed: a text that mentions another statement,
// such as a spoken "Kibo.MoveTo ", must come back into the input field whole,
// or taking the line again would silently lose those words.
QString dataOf(const QString &scriptLine)
{
    const std::array<QString, 5> prefixes{speakPrefix(), soundPrefix(), animationPrefix(), thinkPrefix(),
                                          walkPrefix()};
    qsizetype firstAt = -1;
    qsizetype firstSize = 0;
    for (const QString &prefix : prefixes) {
        const qsizetype at = scriptLine.indexOf(prefix);
        if (at >= 0 && (firstAt < 0 || at < firstAt)) {
            firstAt = at;
            firstSize = prefix.size();
        }
    }
    QString data = scriptLine;
    if (firstAt >= 0)
        data.remove(firstAt, firstSize);
    if (data.endsWith(QLatin1Char('"')))
        data.chop(1);
    return undoubleQuotes(restoreSeparators(data));
}

MacroStatement quotedStatement(const QString &prefix, const QString &shownAs, const QString &argument,
                               const QString &writtenArgument)
{
    return {shownAs + argument + QLatin1Char('\''), prefix + writtenArgument + QLatin1Char('"'), argument};
}

} // namespace

MacroStatement animationStatement(const QString &animationName)
{
    // Animation names come from the character and are written without doubling.
    return quotedStatement(animationPrefix(), QStringLiteral("Animation: '"), animationName,
                           protectSeparators(animationName));
}

MacroStatement speakStatement(const QString &text)
{
    return quotedStatement(speakPrefix(), QStringLiteral("Spreche: '"), text, quotedArgument(text));
}

MacroStatement thinkStatement(const QString &text)
{
    return quotedStatement(thinkPrefix(), QStringLiteral("Denke: '"), text, quotedArgument(text));
}

MacroStatement soundStatement(const QString &path)
{
    return quotedStatement(soundPrefix(), QStringLiteral("Datei: '"), path, quotedArgument(path));
}

MacroStatement walkStatement(const QString &left, const QString &top)
{
    const QString position = left + QLatin1Char(',') + top;
    return {QStringLiteral("Gehe nach: ") + position, walkPrefix() + left + QStringLiteral(", ") + top, position};
}

MacroStatement walkReplacementStatement(const QString &left, const QString &top)
{
    const QString position = left + QLatin1Char(',') + top;
    return {QStringLiteral("Gehe nach: ") + position, walkPrefix() + position, position};
}

MacroStatement stopStatement() { return {QStringLiteral("Stopp"), stopLine(), QString()}; }

QString doubleQuotes(const QString &text)
{
    QString doubled = text;
    return doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
}

QString undoubleQuotes(const QString &text)
{
    // QString::replace scans left to right and continues after each match,
    // so three quotes become two, four become two.
    QString single = text;
    return single.replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

MacroStatement parseStatementLine(const QString &scriptLine)
{
    return {displayLineOf(scriptLine), scriptLine, dataOf(scriptLine)};
}

QString composeScriptText(const QStringList &scriptLines)
{
    QString text;
    for (const QString &line : scriptLines)
        text += line + macroLineSeparator();
    return text;
}

QList<MacroStatement> parseScriptText(const QString &scriptText)
{
    QList<MacroStatement> lines;
    const QStringList pieces = expandLineSeparators(scriptText).split(lineBreak());
    for (const QString &piece : pieces) {
        MacroStatement line = parseStatementLine(piece);
        if (!line.showLine.isEmpty())
            lines.append(std::move(line));
    }
    return lines;
}

QString expandLineSeparators(const QString &scriptText)
{
    QString expanded = scriptText;
    return expanded.replace(macroLineSeparator(), lineBreak());
}

} // namespace tilvano
