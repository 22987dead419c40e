#pragma once

#include "common/AgentInterface.h"
#include "platform/agent/service/AgentCommandList.h"

namespace tilvano::agent {

class CharacterSession;
class ServerClient;
class SharedCharacter;

// What one client has of a character it may share with others: the one character on the
// screen, with the client's own command set. Requests made through it are its own, so its
// stop() and stopAll() end no other client's requests.
class ClientCharacter : public AgentCharacter
{
    Q_OBJECT
    // The character's own values, by name, for programs that read them from afar.
    Q_PROPERTY(bool visible READ isVisible)
    Q_PROPERTY(int left READ left)
    Q_PROPERTY(int top READ top)
    Q_PROPERTY(int width READ width)
    Q_PROPERTY(int height READ height)
    Q_PROPERTY(int speed READ speed)
    Q_PROPERTY(int pitch READ pitch)
    Q_PROPERTY(int languageId READ languageId)
    Q_PROPERTY(QString ttsModeId READ ttsModeId)
    Q_PROPERTY(QString description READ description)
    Q_PROPERTY(QStringList animationNames READ animationNames)
    Q_PROPERTY(bool idleOn READ idleOn)
    Q_PROPERTY(QString name READ name)
    Q_PROPERTY(QString guid READ guid)
    Q_PROPERTY(QString version READ version)
    Q_PROPERTY(QString extraData READ extraData)
    Q_PROPERTY(bool soundEffectsOn READ soundEffectsOn)
    Q_PROPERTY(bool hasOtherClients READ hasOtherClients)
    Q_PROPERTY(QString srModeId READ srModeId)
    Q_PROPERTY(int originalWidth READ originalWidth)
    Q_PROPERTY(int originalHeight READ originalHeight)

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

    QString name() const;
    QString guid() const;
    QString version() const;
    QString extraData() const;
    bool soundEffectsOn() const;
    bool hasOtherClients() const;
    QString srModeId() const;
    int originalWidth() const;
    int originalHeight() const;

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
