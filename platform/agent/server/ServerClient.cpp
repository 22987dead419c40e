#include "ServerClient.h"

#include "CharacterServer.h"
#include "ClientCharacter.h"

#include "platform/agent/AgentCodes.h"
#include "platform/agent/AgentService.h"
#include "platform/agent/AgentTrace.h"

namespace tilvano::agent {

namespace {
QString keyOf(const QString &characterId) { return characterId.toCaseFolded(); }

} // namespace

ServerClient::ServerClient(CharacterServer &server) : m_server(&server) {}

ServerClient::~ServerClient()
{
    if (m_server)
        m_server->service().trace().record(QStringLiteral("Disconnect"), QString(), captions());
    const QList<ClientCharacter *> views = m_views.values();
    m_views.clear();
    for (ClientCharacter *view : views)
        drop(view);
    if (m_server)
        m_server->disconnectClient(*this);
}

void ServerClient::serverGone()
{
    m_server = nullptr;
    const QList<ClientCharacter *> views = m_views.values();
    m_views.clear();
    qDeleteAll(views);
}

void ServerClient::drop(ClientCharacter *view)
{
    SharedCharacter &shared = view->shared();
    delete view;
    if (m_server)
        m_server->releaseIfUnused(&shared);
}

ErrorInfo ServerClient::load(const QString &characterId, const QString &file)
{
    if (!m_server)
        return serverGoneFailure();
    if (characterId.isEmpty())
        return controlFailure(AgentErrorInvalidArgument, QStringLiteral("Eine Figur braucht einen Namen."));
    if (m_views.contains(keyOf(characterId)))
        return controlFailure(AgentErrorAlreadyLoaded, QStringLiteral("Der Name \"%1\" ist schon vergeben.").arg(characterId));
    SharedCharacter *shared = nullptr;
    const ErrorInfo loaded = m_server->share(file, &shared);
    if (loaded.isError())
        return loaded;
    m_views.insert(keyOf(characterId), new ClientCharacter(*this, characterId, *shared, m_server->nextRequestOwner()));
    return {};
}

ErrorInfo ServerClient::replace(const QString &characterId, const QString &file)
{
    ClientCharacter *old = view(characterId);
    if (!old || !m_server)
        return load(characterId, file);
    SharedCharacter *shared = nullptr;
    const ErrorInfo loaded = m_server->share(file, &shared);
    if (loaded.isError())
        return loaded;
    m_views.insert(keyOf(characterId), new ClientCharacter(*this, characterId, *shared, m_server->nextRequestOwner()));
    drop(old);
    return {};
}

ErrorInfo ServerClient::unload(const QString &characterId)
{
    if (ClientCharacter *view = m_views.take(keyOf(characterId)))
        drop(view);
    return {};
}

AgentCharacter *ServerClient::character(const QString &characterId) { return view(characterId); }

ClientCharacter *ServerClient::view(const QString &characterId) const { return m_views.value(keyOf(characterId)); }

void ServerClient::activate()
{
    if (m_server)
        m_server->activate(*this);
}

QStringList ServerClient::captions() const
{
    QStringList captions;
    for (const ClientCharacter *view : m_views)
        captions << view->commandList().caption();
    return captions;
}

bool ServerClient::isPropertySheetVisible() const { return m_server && m_server->service().isPropertySheetVisible(); }

void ServerClient::setPropertySheetVisible(bool visible)
{
    if (m_server)
        m_server->service().setPropertySheetVisible(visible);
}

qint16 ServerClient::propertySheetLeft() const { return m_server ? m_server->service().propertySheetLeft() : 0; }

qint16 ServerClient::propertySheetTop() const { return m_server ? m_server->service().propertySheetTop() : 0; }

bool ServerClient::isSpeechInputEnabled() const { return m_server && m_server->service().isSpeechInputEnabled(); }

} // namespace tilvano::agent
