#pragma once

#include "platform/agent/AgentCommandList.h"
#include "platform/agent/DescribedCharacter.h"

namespace tilvano::agent {

class CharacterSession;
class ServerClient;
class SharedCharacter;

// What one client has of a character it may share with others: the one character on the
// screen, with the client's own command set. Requests made through it are its own, so its
// stop() and stopAll() end no other client's requests.
class ClientCharacter : public DescribedCharacter
{
    Q_OBJECT

public:
    ClientCharacter(ServerClient &client, const QString &id, SharedCharacter &shared, quint64 owner);
    ~ClientCharacter() override;

    ErrorInfo show(bool fast) override;
    ErrorInfo hide(bool fast) override;
    ErrorInfo speak(const QString &text, const QString &soundFile) override;
    ErrorInfo think(const QString &text) override;
    ErrorInfo play(const QString &animation) override;
    ErrorInfo moveTo(qint16 x, qint16 y, std::optional<qint32> speed) override;
    ErrorInfo gestureAt(qint16 x, qint16 y) override;
    ErrorInfo stop() override;
    ErrorInfo stopAll() override;

    bool isVisible() const override;
    qint16 left() const override;
    void setLeft(qint16 left) override;
    qint16 top() const override;
    void setTop(qint16 top) override;
    qint16 width() const override;
    void setWidth(qint16 width) override;
    qint16 height() const override;
    void setHeight(qint16 height) override;
    qint32 speed() const override;
    qint32 pitch() const override;
    qint32 languageId() const override;
    ErrorInfo setLanguageId(qint32 languageId) override;
    QString ttsModeId() const override;
    ErrorInfo setTtsModeId(const QString &modeId) override;
    QString description() const override;
    QStringList animationNames() const override;
    bool idleOn() const override;
    void setIdleOn(bool on) override;
    AgentCommands &commands() override { return m_commands; }

    QString name() const override;
    QString guid() const override;
    QString version() const override;
    QString extraData() const override;
    bool soundEffectsOn() const override;
    bool hasOtherClients() const override;
    QString srModeId() const override;
    int originalWidth() const override;
    int originalHeight() const override;

    const QString &id() const { return m_id; }
    ServerClient &client() const { return m_client; }
    SharedCharacter &shared() const { return m_shared; }
    quint64 owner() const { return m_owner; }
    const AgentCommandList &commandList() const { return m_commands; }

private:
    CharacterSession &session() const;
    // Runs a request of the character as this client's own.
    template <typename Request>
    ErrorInfo asOwner(Request request);

    ServerClient &m_client;
    QString m_id;
    SharedCharacter &m_shared;
    quint64 m_owner;
    AgentCommandList m_commands;
};

} // namespace tilvano::agent
