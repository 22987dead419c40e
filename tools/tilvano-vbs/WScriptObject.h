#pragma once

#include "platform/script/ParamArray.h"

#include <QObject>
#include <QTextStream>
#include <QVariant>

namespace tilvano::script {

class ScriptEngine;

// The console host's WScript object: Echo writes its arguments, joined by a
// blank, as one line; Quit ends the script with an exit code.
class WScriptObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ScriptName READ scriptName)
    Q_PROPERTY(QString Name READ name)

public:
    WScriptObject(ScriptEngine &engine, QTextStream &out, QString scriptName);

    QString scriptName() const { return m_scriptName; }
    QString name() const { return QStringLiteral("Tilvano Script Host"); }
    bool quitRequested() const { return m_quit; }
    int exitCode() const { return m_exitCode; }

    TILVANO_PARAM_ARRAY Q_INVOKABLE void Echo(const QVariantList &values);
    Q_INVOKABLE void Quit();
    Q_INVOKABLE void Quit(int exitCode);

private:
    ScriptEngine &m_engine;
    QTextStream &m_out;
    QString m_scriptName;
    bool m_quit = false;
    int m_exitCode = 0;
};

} // namespace tilvano::script
