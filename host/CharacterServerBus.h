#pragma once

#include "common/ErrorInfo.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>

#include <map>
#include <memory>

class QDBusServiceWatcher;

namespace tilvano::agent {
class CharacterServer;
class ClientCharacter;
class ServerClient;
} // namespace tilvano::agent

namespace tilvano::host {

// The session's character server on the bus, for every program but the host (which is a
// client of the server in its own process). A program connects and gets a client number that
// it passes with each call; a number is good only from the connection that got it. Requests
// answer with their outcome as (number, source, description), number 0 for success. What
// happens to a program's characters is sent to that program alone, as signals addressed to
// its connection. A program whose connection ends, however it ends, loses its characters and
// with them its commands and its requests still waiting, and nothing else.
class CharacterServerBus : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.lorvat.Tilvano.CharacterServer")

public:
    CharacterServerBus(agent::CharacterServer &server, const QDBusConnection &bus, QObject *parent = nullptr);
    ~CharacterServerBus() override;

    // Puts the server's object on the bus; false when the path is taken.
    bool exportObject();
    int clientCount() const { return int(m_clients.size()); }

public slots:
    uint Connect();
    void Disconnect(uint client);
    void Activate(uint client);
    ErrorInfo Load(uint client, const QString &id, const QString &file);
    ErrorInfo Replace(uint client, const QString &id, const QString &file);
    void Unload(uint client, const QString &id);
    ErrorInfo Show(uint client, const QString &id, bool fast);
    ErrorInfo Hide(uint client, const QString &id, bool fast);
    ErrorInfo Speak(uint client, const QString &id, const QString &text, const QString &soundFile);
    ErrorInfo Think(uint client, const QString &id, const QString &text);
    ErrorInfo Play(uint client, const QString &id, const QString &animation);
    ErrorInfo MoveTo(uint client, const QString &id, qint16 x, qint16 y, bool hasSpeed, int speed);
    ErrorInfo GestureAt(uint client, const QString &id, qint16 x, qint16 y);
    ErrorInfo Stop(uint client, const QString &id);
    ErrorInfo StopAll(uint client, const QString &id);
    // The character's values by name: visible, left, top, width, height, speed, pitch,
    // languageId, ttsModeId, description, animationNames, idleOn, name, guid, version,
    // extraData, soundEffectsOn, hasOtherClients, srModeId, originalWidth, originalHeight.
    QDBusVariant Get(uint client, const QString &id, const QString &name);
    // Settable: left, top, width, height, languageId, ttsModeId, idleOn.
    ErrorInfo Set(uint client, const QString &id, const QString &name, const QDBusVariant &value);
    ErrorInfo AddCommand(uint client, const QString &id, const QString &name, const QString &caption,
                         const QString &voice, bool enabled, bool visible);
    ErrorInfo RemoveCommand(uint client, const QString &id, const QString &name);
    void RemoveAllCommands(uint client, const QString &id);
    void SetCommandsCaption(uint client, const QString &id, const QString &caption);
    void SetDefaultCommand(uint client, const QString &id, const QString &name);
    // propertySheetVisible, propertySheetLeft, propertySheetTop, speechInputEnabled.
    QDBusVariant GetControl(uint client, const QString &name);
    ErrorInfo SetPropertySheetVisible(uint client, bool visible);

signals:
    // Declared for the bus's description of the interface; each is sent addressed to the one
    // program it concerns, never broadcast.
    void Shown(uint client, const QString &id, qint16 cause);
    void Hidden(uint client, const QString &id, qint16 cause);
    void Moved(uint client, const QString &id, qint16 x, qint16 y, qint16 cause);
    void Clicked(uint client, const QString &id, qint16 button, qint16 shift, qint16 x, qint16 y);
    void DoubleClicked(uint client, const QString &id, qint16 button, qint16 shift, qint16 x, qint16 y);
    void BalloonShown(uint client, const QString &id);
    void BalloonHidden(uint client, const QString &id);
    void IdleStarted(uint client, const QString &id);
    void PropertiesChanged(uint client);
    void CommandChosen(uint client, const QString &id, const QString &name, int confidence, const QString &alt1Name,
                       int alt1Confidence);

private:
    struct Peer {
        QString busName;
        std::unique_ptr<agent::ServerClient> client;
    };

    // The caller's client, or null after answering the caller with an error.
    agent::ServerClient *callersClient(uint client);
    agent::ClientCharacter *callersCharacter(uint client, const QString &id, ErrorInfo *missing);
    template <typename Request>
    ErrorInfo onCharacter(uint client, const QString &id, Request request);
    void relayEvents(uint number, const QString &busName, agent::ServerClient *client);
    void send(const QString &busName, uint number, const QString &member, const QVariantList &arguments);
    void peerLeft(const QString &busName);

    agent::CharacterServer &m_server;
    QDBusConnection m_bus;
    QDBusServiceWatcher *m_peerWatch = nullptr;
    std::map<uint, Peer> m_clients;
    uint m_lastNumber = 0;
    bool m_exported = false;
};

} // namespace tilvano::host
