#pragma once

#include "common/AgentInterface.h"

#include <QDBusConnection>
#include <QHash>

#include <memory>
#include <optional>

class QDBusMessage;
class QDBusServiceWatcher;

namespace tilvano::agent {

class RemoteCharacter;

// The character service of a program that is not the host: a client of the session's one
// character server, reached over the session bus. It offers what the in-process service
// offers; the characters it loads are the ones on the screen, shared with the other programs
// that loaded the same file, and each with this program's own commands and events.
//
// A server that ends takes this client's characters with it: they are gone (null) from then
// on, and requests fail with AgentErrorServerGone. Loading again starts a new server.
class CharacterBusClient : public AgentControl
{
    Q_OBJECT

public:
    // Null when no server can be reached or started.
    static std::unique_ptr<CharacterBusClient> create(const QDBusConnection &bus);
    ~CharacterBusClient() override;

    ErrorInfo load(const QString &characterId, const QString &file) override;
    // The file is read once, by the server; another file's character is there before this
    // one's goes, so a character that other programs hold too never leaves the screen.
    ErrorInfo replace(const QString &characterId, const QString &file) override;
    ErrorInfo unload(const QString &characterId) override;
    AgentCharacter *character(const QString &characterId) override;

    bool isPropertySheetVisible() const override;
    void setPropertySheetVisible(bool visible) override;
    qint16 propertySheetLeft() const override;
    qint16 propertySheetTop() const override;
    bool isSpeechInputEnabled() const override;
    bool isConnected() const override { return m_client != 0; }
    bool isSuspended() const override { return false; }

    // Makes this program the input-active client of its characters: clicks, commands and the
    // pop-up menu are then its own. It asks by itself whenever one of its windows is activated.
    void activate();

    // For the characters: a request of the server and its outcome, and a value read from it.
    ErrorInfo request(const QString &method, const QVariantList &arguments) const;
    QVariant value(const QString &method, const QVariantList &arguments) const;
    // A message that wants no answer.
    void tell(const QString &method, const QVariantList &arguments) const;

private:
    explicit CharacterBusClient(const QDBusConnection &bus);
    bool connectToServer();
    bool reachServer();
    // Null when the server did not answer. A server that has gone is cleaned up after when the
    // bus reports its name gone, not in the middle of a caller's request.
    std::optional<QDBusMessage> call(const QString &method, const QVariantList &arguments) const;
    QDBusMessage message(const QString &method, const QVariantList &arguments) const;
    void serverLost();
    void subscribe();
    Q_SLOT void eventArrived(const QDBusMessage &event);

    QDBusConnection m_bus;
    QString m_server;  // the server's unique name: a new server is a new partner
    quint32 m_client = 0;
    QDBusServiceWatcher *m_serverWatch = nullptr;
    QHash<QString, RemoteCharacter *> m_characters; // by case-folded identifier; owned
};

} // namespace tilvano::agent
