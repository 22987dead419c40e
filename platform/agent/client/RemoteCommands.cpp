#include "RemoteCommands.h"

#include "CharacterBusClient.h"

namespace tilvano::agent {

RemoteCommands::RemoteCommands(const CharacterBusClient &client, const QString &characterId, QObject *parent)
    : AgentCommands(parent)
    , m_client(client)
    , m_characterId(characterId)
{
}

void RemoteCommands::setCaption(const QString &caption)
{
    m_caption = caption;
    m_client.tell(QStringLiteral("SetCommandsCaption"), {m_characterId, caption});
}

ErrorInfo RemoteCommands::add(const QString &name, const QString &caption, const QString &voice, bool enabled,
                              bool visible)
{
    return m_client.request(QStringLiteral("AddCommand"), {m_characterId, name, caption, voice, enabled, visible});
}

ErrorInfo RemoteCommands::remove(const QString &name)
{
    return m_client.request(QStringLiteral("RemoveCommand"), {m_characterId, name});
}

void RemoteCommands::removeAll() { m_client.tell(QStringLiteral("RemoveAllCommands"), {m_characterId}); }

void RemoteCommands::setDefaultCommand(const QString &name)
{
    m_defaultCommand = name;
    m_client.tell(QStringLiteral("SetDefaultCommand"), {m_characterId, name});
}

} // namespace tilvano::agent
