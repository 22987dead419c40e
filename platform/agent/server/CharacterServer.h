#pragma once

#include "common/ErrorInfo.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <memory>

namespace tilvano::agent {

class AgentService;
class ServerClient;
class SharedCharacter;

// The one character server of a desktop session. Every program that loads a character is a
// client of it; clients that load the same file share one character on the screen, each with
// its own command set and its own events. Requests of all clients go into that character's one
// queue in the order they arrive. Clicks, commands and the pop-up menu go to the character's
// input-active client: of the clients that loaded it, the one that last asked to be active (a
// client that connects counts as asking).
class CharacterServer : public QObject
{
    Q_OBJECT

public:
    explicit CharacterServer(std::unique_ptr<AgentService> service, QObject *parent = nullptr);
    ~CharacterServer() override;

    std::unique_ptr<ServerClient> connectClient();
    AgentService &service() const { return *m_service; }

    // For the clients: the character of `file` on the screen, loaded when no client has it.
    ErrorInfo share(const QString &file, SharedCharacter **shared);
    // Unloads a character that no client holds any more.
    void releaseIfUnused(SharedCharacter *shared);
    void activate(ServerClient &client);
    void disconnectClient(ServerClient &client);
    // Each client's view of a character owns the requests made through it.
    quint64 nextRequestOwner() { return ++m_requestOwners; }

private:
    void relayServiceEvents();
    SharedCharacter *sharedByServiceId(const QString &serviceId) const;

    std::unique_ptr<AgentService> m_service;
    QHash<QString, SharedCharacter *> m_characters; // by the service's case-folded id; owned
    QList<ServerClient *> m_clients;                // not owned
    quint64 m_activations = 0;
    quint64 m_requestOwners = 0;
    quint64 m_loads = 0;
};

} // namespace tilvano::agent
