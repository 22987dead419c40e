#pragma once

#include "common/AgentInterface.h"

namespace tilvano::agent {

class CharacterBusClient;

// This program's command set of a character the server shows. Nobody else changes it, so the
// caption and the default command are known here without asking.
class RemoteCommands : public AgentCommands
{
    Q_OBJECT

public:
    RemoteCommands(const CharacterBusClient &client, const QString &characterId, QObject *parent);

    QString caption() const override { return m_caption; }
    void setCaption(const QString &caption) override;
    ErrorInfo add(const QString &name, const QString &caption, const QString &voice, bool enabled,
                  bool visible) override;
    ErrorInfo remove(const QString &name) override;
    void removeAll() override;
    QString defaultCommand() const override { return m_defaultCommand; }
    void setDefaultCommand(const QString &name) override;

private:
    const CharacterBusClient &m_client;
    QString m_characterId;
    QString m_caption;
    QString m_defaultCommand;
};

} // namespace tilvano::agent
