// tilvano-vbs FILE.vbs: runs a script on the console, so users can try out
// their macros' language outside the companion.
#include "WScriptObject.h"

#include "platform/script/ScriptEngine.h"
#include "system/StandardOptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextStream>

#include <cstdio>

using tilvano::script::ScriptEngine;
using tilvano::script::WScriptObject;

static QString decode(const QByteArray &bytes)
{
    // UTF-8 (with or without BOM) first; old scripts saved in the classic
    // code page read as Latin-1 instead of turning into replacement characters.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

int main(int argc, char **argv)
{
    const tilvano::StandardOptions options(QStringLiteral("tilvano-vbs"), QStringLiteral(
        "Aufruf: tilvano-vbs DATEI.vbs\n"
        "  oder: tilvano-vbs OPTION\n"
        "Führt ein Skript in der Makrosprache von Tilvano auf der Konsole aus, zum\n"
        "Ausprobieren. WScript.Echo schreibt auf die Standardausgabe, WScript.Quit N\n"
        "endet mit dem Rückgabewert N. Die Datei ist UTF-8 oder Latin-1.\n"), QStringLiteral(
        "Rückgabewerte: 0 Erfolg, 1 Laufzeit- oder Syntaxfehler des Skripts (Meldung\n"
        "mit Zeile und Spalte auf der Standardfehlerausgabe), 2 falscher Aufruf oder\n"
        "Datei nicht lesbar, sonst der Wert von WScript.Quit.\n"));
    if (const auto status = options.answer(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2)
        return options.refuseUsage();
    const QString path = args.at(1);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "tilvano-vbs: cannot open " << path << ": " << file.errorString() << '\n';
        return 2;
    }
    const QString source = decode(file.readAll());

    QTextStream out(stdout);
    ScriptEngine engine;
    WScriptObject wscript(engine, out, QFileInfo(path).fileName());
    engine.addObject(QStringLiteral("WScript"), &wscript);
    // A console script may run as long as its user lets it.
    engine.setTimeLimit(std::chrono::hours(24 * 365));
    const bool ok = engine.executeStatement(source);
    out.flush();
    if (!ok) {
        const auto &e = engine.lastError();
        err << path << '(' << e.line << ", " << e.column << ") " << e.source << ": " << e.description << '\n';
        return 1;
    }
    return wscript.quitRequested() ? wscript.exitCode() : 0;
}
