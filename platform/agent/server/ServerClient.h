#pragma once

#include "common/AgentInterface.h"

#include <QHash>
#include <QPointer>

namespace tilvano::agent {

class CharacterServer;
class ClientCharacter;

// One program's door to the character server: it loads characters under its own identifiers
// and hears what happens to them. When it goes, its characters go with it: its commands and
// its requests still waiting are dropped, and a character no other client holds leaves the
// screen.
class ServerClient : public AgentControl
{
    Q_OBJECT

public:
    ~ServerClient() override;

    ErrorInfo load(const QString &characterId, const QString &file) override;
    // The new file's character is taken before the old one is let go, so a character the
    // client keeps (or that others hold) never leaves the screen; the new view has a command
    // set of its own, as after a load.
    ErrorInfo replace(const QString &characterId, const QString &file) override;
    ErrorInfo unload(const QString &characterId) override;
    AgentCharacter *character(const QString &characterId) override;
    ClientCharacter *view(const QString &characterId) const;

    bool isPropertySheetVisible() const override;
    void setPropertySheetVisible(bool visible) override;
    qint16 propertySheetLeft() const override;
    qint16 propertySheetTop() const override;
    bool isSpeechInputEnabled() const override;
    bool isConnected() const override { return !m_server.isNull(); }
    bool isSuspended() const override { return false; }

    // Makes this client the input-active one of every character it has loaded.
    void activate();
    quint64 activatedAt() const { return m_activatedAt; }
    // The captions of this client's menus, which name it to the user (and in the trace).
    QStringList captions() const;

private:
    friend class CharacterServer;
    explicit ServerClient(CharacterServer &server);
    void serverGone();
    void drop(ClientCharacter *view);

    QPointer<CharacterServer> m_server;
    quint64 m_activatedAt = 0;
    QHash<QString, ClientCharacter *> m_views; // by case-folded identifier; owned
};

} // namespace tilvano::agent
