#include "WScriptObject.h"

#include "platform/script/ScriptEngine.h"
#include "platform/script/Value.h"

#include <QDateTime>
#include <QMetaProperty>

namespace tilvano::script {

WScriptObject::WScriptObject(ScriptEngine &engine, QTextStream &out, QString scriptName)
    : m_engine(engine), m_out(out), m_scriptName(std::move(scriptName))
{
}

// A value as the language's own conversion to text writes it; an object
// stands for its default property (Err for its number).
static QString display(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    if (v.metaType().flags() & QMetaType::PointerToQObject) {
        const QObject *object = v.value<QObject *>();
        const QMetaObject *meta = object ? object->metaObject() : nullptr;
        const int info = meta ? meta->indexOfClassInfo("DefaultProperty") : -1;
        if (info < 0)
            return QString();
        return display(meta->property(meta->indexOfProperty(meta->classInfo(info).value())).read(object));
    }
    switch (v.metaType().id()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: return formatNumber(v.toDouble());
    case QMetaType::QDateTime: return formatDate(dateSerialFromDateTime(v.toDateTime()));
    case QMetaType::QVariantList: return QString();
    default: return v.toString();
    }
}

void WScriptObject::Echo(const QVariantList &values)
{
    QStringList parts;
    for (const QVariant &v : values)
        parts.append(display(v));
    m_out << parts.join(QLatin1Char(' ')) << '\n';
    m_out.flush();
}

void WScriptObject::Quit() { Quit(0); }

void WScriptObject::Quit(int exitCode)
{
    m_quit = true;
    m_exitCode = exitCode;
    m_engine.stop();
}

} // namespace tilvano::script
