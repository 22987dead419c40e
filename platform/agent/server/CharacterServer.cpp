#include "CharacterServer.h"

#include "ServerClient.h"
#include "SharedCharacter.h"

#include "platform/agent/AgentService.h"
#include "platform/agent/AgentTrace.h"
#include "platform/agent/CharacterSession.h"

#include <QFileInfo>

namespace tilvano::agent {

namespace {
// Two spellings of one file are one character.
QString sharingKey(const QString &file)
{
    const QString path = AgentService::characterPath(file);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}
} // namespace

CharacterServer::CharacterServer(std::unique_ptr<AgentService> service, QObject *parent)
    : QObject(parent)
    , m_service(std::move(service))
{
    relayServiceEvents();
}

CharacterServer::~CharacterServer()
{
    // Clients outlive the server only in a program that ends; their characters go now, while
    // the service still stands.
    for (ServerClient *client : std::as_const(m_clients))
        client->serverGone();
    m_clients.clear();
    for (SharedCharacter *shared : std::as_const(m_characters)) {
        const QString id = shared->serviceId();
        delete shared;
        m_service->unload(id);
    }
    m_characters.clear();
    m_service->disconnect(this);
}

std::unique_ptr<ServerClient> CharacterServer::connectClient()
{
    std::unique_ptr<ServerClient> client(new ServerClient(*this));
    m_clients.append(client.get());
    activate(*client);
    return client;
}

void CharacterServer::disconnectClient(ServerClient &client) { m_clients.removeAll(&client); }

void CharacterServer::activate(ServerClient &client)
{
    client.m_activatedAt = ++m_activations;
    m_service->trace().record(QStringLiteral("Activate"), QString(), client.captions());
}

ErrorInfo CharacterServer::share(const QString &file, SharedCharacter **shared)
{
    const QString key = sharingKey(file);
    for (SharedCharacter *character : std::as_const(m_characters)) {
        if (character->path() == key) {
            *shared = character;
            return {};
        }
    }
    // The service knows the character by an identifier of the server's own: the clients'
    // identifiers are theirs alone and may name other characters in other clients.
    const QString serviceId = QStringLiteral("character-%1").arg(m_loads + 1);
    const ErrorInfo loaded = m_service->load(serviceId, file);
    if (loaded.isError())
        return loaded;
    ++m_loads;
    auto *character = new SharedCharacter(serviceId, key, *m_service->session(serviceId), m_service->trace());
    m_characters.insert(serviceId.toCaseFolded(), character);
    *shared = character;
    return {};
}

void CharacterServer::releaseIfUnused(SharedCharacter *shared)
{
    if (!shared->isUnused())
        return;
    const QString id = shared->serviceId();
    m_characters.remove(id.toCaseFolded());
    delete shared;
    m_service->unload(id);
}

SharedCharacter *CharacterServer::sharedByServiceId(const QString &serviceId) const
{
    return m_characters.value(serviceId.toCaseFolded());
}

void CharacterServer::relayServiceEvents()
{
    AgentService *service = m_service.get();
    // Each event goes to the character it names; the character knows which clients it concerns.
    const auto to = [this](auto report) {
        return [this, report](const QString &id, auto... arguments) {
            if (SharedCharacter *shared = sharedByServiceId(id))
                (shared->*report)(arguments...);
        };
    };
    connect(service, &AgentControl::shown, this, to(&SharedCharacter::reportShown));
    connect(service, &AgentControl::hidden, this, to(&SharedCharacter::reportHidden));
    connect(service, &AgentControl::moved, this, to(&SharedCharacter::reportMoved));
    connect(service, &AgentControl::clicked, this, to(&SharedCharacter::reportClicked));
    connect(service, &AgentControl::doubleClicked, this, to(&SharedCharacter::reportDoubleClicked));
    connect(service, &AgentControl::balloonShown, this, to(&SharedCharacter::reportBalloonShown));
    connect(service, &AgentControl::balloonHidden, this, to(&SharedCharacter::reportBalloonHidden));
    connect(service, &AgentControl::idleStarted, this, to(&SharedCharacter::reportIdleStarted));
    // The service's settings are everyone's.
    connect(service, &AgentControl::propertiesChanged, this, [this]() {
        const QList<ServerClient *> clients = m_clients;
        for (ServerClient *client : clients) {
            if (m_clients.contains(client))
                emit client->propertiesChanged();
        }
    });
}

} // namespace tilvano::agent
