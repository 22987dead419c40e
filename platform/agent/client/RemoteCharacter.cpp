#include "RemoteCharacter.h"

#include "CharacterBusClient.h"

#include <QDBusVariant>

namespace tilvano::agent {

RemoteCharacter::RemoteCharacter(const CharacterBusClient &client, const QString &id)
    : m_client(client)
    , m_id(id)
    , m_commands(client, id, this)
{
}

ErrorInfo RemoteCharacter::request(const char *method, QVariantList arguments)
{
    arguments.prepend(m_id);
    return m_client.request(QLatin1String(method), arguments);
}

QVariant RemoteCharacter::value(const char *property) const
{
    return m_client.value(QStringLiteral("Get"), {m_id, QLatin1String(property)});
}

ErrorInfo RemoteCharacter::set(const char *property, const QVariant &value)
{
    return request("Set", {QLatin1String(property), QVariant::fromValue(QDBusVariant(value))});
}

ErrorInfo RemoteCharacter::show(bool fast) { return request("Show", {fast}); }

ErrorInfo RemoteCharacter::hide(bool fast) { return request("Hide", {fast}); }

ErrorInfo RemoteCharacter::speak(const QString &text, const QString &soundFile)
{
    return request("Speak", {text, soundFile});
}

ErrorInfo RemoteCharacter::think(const QString &text) { return request("Think", {text}); }

ErrorInfo RemoteCharacter::play(const QString &animation) { return request("Play", {animation}); }

ErrorInfo RemoteCharacter::moveTo(qint16 x, qint16 y, std::optional<qint32> speed)
{
    return request("MoveTo", {QVariant::fromValue(x), QVariant::fromValue(y), speed.has_value(), speed.value_or(0)});
}

ErrorInfo RemoteCharacter::gestureAt(qint16 x, qint16 y)
{
    return request("GestureAt", {QVariant::fromValue(x), QVariant::fromValue(y)});
}

ErrorInfo RemoteCharacter::stop() { return request("Stop"); }

ErrorInfo RemoteCharacter::stopAll() { return request("StopAll"); }

} // namespace tilvano::agent
