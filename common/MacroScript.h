#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tilvano {

// The text of a stored macro is a short script that addresses the character as
// `Kibo`, one statement per line. The store holds single-line texts, so every
// line is followed by this separator instead of a line break.
inline QString macroLineSeparator() { return QStringLiteral("<!!BR!!>"); }

// Beginnings of the statements the editor writes. The quoted forms end in the
// opening double quote of their argument.
inline QString animationPrefix() { return QStringLiteral("Kibo.PlayAni \""); }
inline QString speakPrefix() { return QStringLiteral("Kibo.SpeakIt \""); }
inline QString thinkPrefix() { return QStringLiteral("Kibo.Think \""); }
inline QString soundPrefix() { return QStringLiteral("Kibo.SpeakWave \""); }
inline QString walkPrefix() { return QStringLiteral("Kibo.MoveTo "); }
inline QString stopLine() { return QStringLiteral("Kibo.StopAll"); }

// One line of a macro as the editor handles it: the statement as stored, the
// text shown in the editor's list (never stored) and the bare argument that
// fills the editor's input fields.
struct MacroStatement {
    QString showLine;
    QString scriptLine;
    QString data;

    friend bool operator==(const MacroStatement &, const MacroStatement &) = default;
};

// The six statements the editor writes.
MacroStatement animationStatement(const QString &animationName);
MacroStatement speakStatement(const QString &text);
MacroStatement thinkStatement(const QString &text);
MacroStatement soundStatement(const QString &path);
// Positions are written as typed; the inserted line has a blank after the comma.
MacroStatement walkStatement(const QString &left, const QString &top);
// The replace command writes the walk line without that blank; both parse alike.
MacroStatement walkReplacementStatement(const QString &left, const QString &top);
MacroStatement stopStatement();

// How the scripting language spells a text inside a string constant: every
// double quote written twice.
QString doubleQuotes(const QString &text);
// Every pair of double quotes, scanned left to right without overlap, becomes one.
QString undoubleQuotes(const QString &text);

// A stored line (hand-written garbage included) as the editor shows it. A line
// that matches no statement keeps its text as display line and data.
MacroStatement parseStatementLine(const QString &scriptLine);

// The script text of a macro: each line followed by the separator, the last
// one included; no lines give the empty text.
QString composeScriptText(const QStringList &scriptLines);
// The lines of a stored script text, empty lines skipped. Never fails: what
// matches no statement stays a line of its own and is stored back unchanged.
QList<MacroStatement> parseScriptText(const QString &scriptText);
// The script text with every separator turned into CR LF, as it is run.
QString expandLineSeparators(const QString &scriptText);

} // namespace tilvano
