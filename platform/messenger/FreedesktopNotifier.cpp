#include "platform/messenger/FreedesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace tilvano::messenger {

void FreedesktopNotifier::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Notification servers may read the body as markup; what a contact wrote
    // is shown as the characters they typed, never as markup.
    call << QStringLiteral("Tilvano") << uint(0) << QStringLiteral("im-message-new") << summary
         << body.toHtmlEscaped() << QStringList() << QVariantMap() << int(-1);
    bus.call(call, QDBus::NoBlock);
}

} // namespace tilvano::messenger
