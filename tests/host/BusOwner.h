#pragma once

#include <QString>

namespace tilvano::test {

// The process that owns `service` on the bus at `address`; 0 when nobody does.
qint64 busOwnerProcess(const QString &address, const QString &service);
// Ends the owner of `service` with `signal` and waits until it has left the bus.
bool endBusOwner(const QString &address, const QString &service, int signal);

} // namespace tilvano::test
