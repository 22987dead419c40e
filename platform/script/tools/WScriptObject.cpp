#include "WScriptObject.h"

#include "platform/script/ScriptEngine.h"

#include <QDateTime>

namespace tilvano::script {

WScriptObject::WScriptObject(ScriptEngine &engine, QTextStream &out, QString scriptName)
    : m_engine(engine), m_out(out), m_scriptName(std::move(scriptName))
{
}

static QString display(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    switch (v.metaType().id()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: {
        const double d = v.toDouble();
        QString s = (d == qint64(d) && std::abs(d) < 1e15) ? QString::number(qint64(d)) : QString::number(d, 'g', 15);
        return s.replace(QLatin1Char('e'), QLatin1Char('E'));
    }
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case QMetaType::QVariantList: return QString();
    default: return v.toString();
    }
}

void WScriptObject::echo(const QVariantList &values)
{
    QStringList parts;
    for (const QVariant &v : values)
        parts.append(display(v));
    m_out << parts.join(QLatin1Char(' ')) << '\n';
    m_out.flush();
}

void WScriptObject::Echo() { echo({}); }
void WScriptObject::Echo(const QVariant &a) { echo({a}); }
void WScriptObject::Echo(const QVariant &a, const QVariant &b) { echo({a, b}); }
void WScriptObject::Echo(const QVariant &a, const QVariant &b, const QVariant &c) { echo({a, b, c}); }
void WScriptObject::Echo(const QVariant &a, const QVariant &b, const QVariant &c, const QVariant &d) { echo({a, b, c, d}); }
void WScriptObject::Echo(const QVariant &a, const QVariant &b, const QVariant &c, const QVariant &d, const QVariant &e)
{
    echo({a, b, c, d, e});
}
void WScriptObject::Echo(const QVariant &a, const QVariant &b, const QVariant &c, const QVariant &d, const QVariant &e,
                         const QVariant &f)
{
    echo({a, b, c, d, e, f});
}

void WScriptObject::Quit() { Quit(0); }

void WScriptObject::Quit(int exitCode)
{
    m_quit = true;
    m_exitCode = exitCode;
    m_engine.stop();
}

} // namespace tilvano::script
