#pragma once

#include "platform/script/ScriptEngine.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVariant>

#include <cmath>
#include <functional>

namespace tilvano::script::test {

// Collects what a script hands it, as text, so tests compare plain strings.
class Probe : public QObject {
    Q_OBJECT
public:
    QStringList values;

    static QString show(const QVariant &v)
    {
        if (!v.isValid())
            return QStringLiteral("Empty");
        switch (v.metaType().id()) {
        case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
        case QMetaType::QVariantList: {
            QStringList items;
            for (const QVariant &item : v.toList())
                items.append(show(item));
            return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
        }
        default: return v.toString();
        }
    }

    Q_INVOKABLE void Put(const QVariant &v) { values.append(show(v)); }
    QString joined() const { return values.join(QLatin1Char('|')); }
};

// Stands in for Kibo: records every call of the six macro statement forms,
// offers a property, reference parameters, return values and a hook that
// runs during a call (to reset or re-enter the engine).
class RecordingCharacter : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Visible READ isVisible WRITE setVisible)
    Q_PROPERTY(QString Name READ name)
public:
    QStringList calls;
    bool visible = false;
    std::function<void()> duringCall;

    bool isVisible() const { return visible; }
    void setVisible(bool v) { visible = v; calls.append(QStringLiteral("Visible=%1").arg(v)); }
    QString name() const { return QStringLiteral("Merlin"); }

    Q_INVOKABLE bool PlayAni(const QString &animation) { calls.append(QStringLiteral("PlayAni(%1)").arg(animation)); return true; }
    Q_INVOKABLE bool SpeakIt(const QString &text) { calls.append(QStringLiteral("SpeakIt(%1)").arg(text)); return true; }
    Q_INVOKABLE bool Think(const QString &text) { calls.append(QStringLiteral("Think(%1)").arg(text)); return true; }
    Q_INVOKABLE bool SpeakWave(const QString &path) { calls.append(QStringLiteral("SpeakWave(%1)").arg(path)); return true; }
    Q_INVOKABLE bool MoveTo(int left, int top) { calls.append(QStringLiteral("MoveTo(%1,%2)").arg(left).arg(top)); return true; }
    Q_INVOKABLE bool StopAll() { calls.append(QStringLiteral("StopAll")); return true; }

    Q_INVOKABLE bool RunMacroText(QString &text) { text.replace(QStringLiteral("<!!BR!!>"), QStringLiteral("\r\n")); return true; }
    Q_INVOKABLE void Increment(int &value) { ++value; }
    Q_INVOKABLE int Sum(int a, int b) const { return a + b; }
    Q_INVOKABLE QStringList Animations() const { return {QStringLiteral("Greet"), QStringLiteral("Wave")}; }
    Q_INVOKABLE QDateTime Born() const { return QDateTime(QDate(2001, 9, 12), QTime(8, 30)); }
    Q_INVOKABLE QVariant Echo(const QVariant &v) const { return v; }
    Q_INVOKABLE void HookThenIncrement(int &value) { Hook(); ++value; }
    Q_INVOKABLE void Hook() { calls.append(QStringLiteral("Hook")); if (duringCall) duringCall(); }
};

} // namespace tilvano::script::test
