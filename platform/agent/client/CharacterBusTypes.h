#pragma once

#include "common/ErrorInfo.h"

#include <QDBusArgument>
#include <QMetaType>

// A request's outcome travels as (number, source, description); the line is always 0 for the
// character server's failures and stays behind.
namespace tilvano {
QDBusArgument &operator<<(QDBusArgument &argument, const ErrorInfo &error);
const QDBusArgument &operator>>(const QDBusArgument &argument, ErrorInfo &error);
} // namespace tilvano

Q_DECLARE_METATYPE(tilvano::ErrorInfo)

namespace tilvano::agent::bus {
// Makes the types above known to the bus; call before the first call or export.
void registerTypes();
} // namespace tilvano::agent::bus
