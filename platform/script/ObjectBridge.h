#pragma once

#include "Interpreter.h"

#include <QVariant>

namespace tilvano::script {

// Members of a published QObject's class, keyed by lower-case name: its
// Q_INVOKABLE methods and slots (overloads by argument count) and properties.
// What QObject itself offers (deleteLater, objectName, ...) is left out.
struct MemberTable {
    QHash<QString, QList<int>> methods;
    QHash<QString, int> properties;
};

// Late-bound access to published objects through the meta-object system.
class ObjectBridge {
public:
    static Value get(Interpreter &in, QObject *object, const QString &lowerName, bool hasArguments, ArgumentList &arguments);
    static void set(Interpreter &in, QObject *object, const QString &lowerName, const Value &value);

    static QVariant toVariant(const Value &value, QMetaType type);
    // Arrays become lists, nested up to a fixed depth ("Out of stack space"
    // beyond: a script can nest arrays without end).
    static QVariant naturalVariant(const Value &value, int depth = 0);
    static Value fromVariant(const QVariant &variant);

private:
    static const MemberTable &membersOf(Interpreter &in, const QMetaObject *metaObject);
    static bool takesParamArray(const QMetaMethod &method);
    static Value invoke(Interpreter &in, QObject *object, const QMetaMethod &method, ArgumentList &arguments);
};

} // namespace tilvano::script
