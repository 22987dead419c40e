#include "CharacterBusTypes.h"

#include <QDBusMetaType>

namespace tilvano {

QDBusArgument &operator<<(QDBusArgument &argument, const ErrorInfo &error)
{
    argument.beginStructure();
    argument << error.number << error.source << error.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ErrorInfo &error)
{
    error = ErrorInfo{};
    argument.beginStructure();
    argument >> error.number >> error.source >> error.description;
    argument.endStructure();
    return argument;
}

} // namespace tilvano

namespace tilvano::agent::bus {

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<ErrorInfo>();
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace tilvano::agent::bus
