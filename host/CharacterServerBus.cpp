#include "host/CharacterServerBus.h"

#include "platform/agent/client/CharacterBusNames.h"
#include "platform/agent/client/CharacterBusTypes.h"
#include "platform/agent/server/CharacterServer.h"
#include "platform/agent/server/ClientCharacter.h"
#include "platform/agent/server/ServerClient.h"
#include "platform/agent/AgentCodes.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>

#include <limits>

namespace tilvano::host {

namespace {
QVariant shortValue(qint16 value) { return QVariant::fromValue(value); }
} // namespace

CharacterServerBus::CharacterServerBus(agent::CharacterServer &server, const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_bus(bus)
{
    agent::bus::registerTypes();
    m_peerWatch = new QDBusServiceWatcher(QString(), m_bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_peerWatch, &QDBusServiceWatcher::serviceUnregistered, this, &CharacterServerBus::peerLeft);
}

CharacterServerBus::~CharacterServerBus()
{
    if (m_exported)
        m_bus.unregisterObject(agent::bus::serverPath());
    m_clients.clear();
}

bool CharacterServerBus::exportObject()
{
    m_exported = m_bus.registerObject(agent::bus::serverPath(), this,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
    return m_exported;
}

// ---- clients ----------------------------------------------------------------------------------

uint CharacterServerBus::Connect()
{
    const QString caller = message().service();
    const uint number = ++m_lastNumber;
    Peer &peer = m_clients[number];
    peer.busName = caller;
    peer.client = m_server.connectClient();
    relayEvents(number, caller, peer.client.get());
    if (!m_peerWatch->watchedServices().contains(caller))
        m_peerWatch->addWatchedService(caller);
    return number;
}

void CharacterServerBus::Disconnect(uint client)
{
    if (callersClient(client))
        m_clients.erase(client);
}

void CharacterServerBus::peerLeft(const QString &busName)
{
    m_peerWatch->removeWatchedService(busName);
    std::erase_if(m_clients, [&](const auto &entry) { return entry.second.busName == busName; });
}

agent::ServerClient *CharacterServerBus::callersClient(uint client)
{
    const auto found = m_clients.find(client);
    if (found == m_clients.end() || found->second.busName != message().service()) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Diese Client-Nummer gehört einer anderen Verbindung."));
        return nullptr;
    }
    return found->second.client.get();
}

agent::ClientCharacter *CharacterServerBus::callersCharacter(uint client, const QString &id, ErrorInfo *missing)
{
    agent::ServerClient *owner = callersClient(client);
    if (!owner)
        return nullptr;
    agent::ClientCharacter *character = owner->view(id);
    if (!character && missing)
        *missing = agent::controlFailure(agent::AgentErrorInvalidArgument, QStringLiteral("Es ist keine Figur \"%1\" geladen.").arg(id));
    return character;
}

template <typename Request>
ErrorInfo CharacterServerBus::onCharacter(uint client, const QString &id, Request request)
{
    ErrorInfo missing;
    agent::ClientCharacter *character = callersCharacter(client, id, &missing);
    return character ? request(*character) : missing;
}

void CharacterServerBus::Activate(uint client)
{
    if (agent::ServerClient *owner = callersClient(client))
        owner->activate();
}

ErrorInfo CharacterServerBus::Load(uint client, const QString &id, const QString &file)
{
    agent::ServerClient *owner = callersClient(client);
    return owner ? owner->load(id, file) : ErrorInfo{};
}

ErrorInfo CharacterServerBus::Replace(uint client, const QString &id, const QString &file)
{
    agent::ServerClient *owner = callersClient(client);
    return owner ? owner->replace(id, file) : ErrorInfo{};
}

void CharacterServerBus::Unload(uint client, const QString &id)
{
    if (agent::ServerClient *owner = callersClient(client))
        owner->unload(id);
}

// ---- requests ---------------------------------------------------------------------------------

ErrorInfo CharacterServerBus::Show(uint client, const QString &id, bool fast)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.show(fast); });
}

ErrorInfo CharacterServerBus::Hide(uint client, const QString &id, bool fast)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.hide(fast); });
}

ErrorInfo CharacterServerBus::Speak(uint client, const QString &id, const QString &text, const QString &soundFile)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.speak(text, soundFile); });
}

ErrorInfo CharacterServerBus::Think(uint client, const QString &id, const QString &text)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.think(text); });
}

ErrorInfo CharacterServerBus::Play(uint client, const QString &id, const QString &animation)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.play(animation); });
}

ErrorInfo CharacterServerBus::MoveTo(uint client, const QString &id, qint16 x, qint16 y, bool hasSpeed, int speed)
{
    const std::optional<qint32> pace = hasSpeed ? std::optional<qint32>(speed) : std::nullopt;
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.moveTo(x, y, pace); });
}

ErrorInfo CharacterServerBus::GestureAt(uint client, const QString &id, qint16 x, qint16 y)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.gestureAt(x, y); });
}

ErrorInfo CharacterServerBus::Stop(uint client, const QString &id)
{
    return onCharacter(client, id, [](agent::ClientCharacter &c) { return c.stop(); });
}

ErrorInfo CharacterServerBus::StopAll(uint client, const QString &id)
{
    return onCharacter(client, id, [](agent::ClientCharacter &c) { return c.stopAll(); });
}

// ---- values -----------------------------------------------------------------------------------

QDBusVariant CharacterServerBus::Get(uint client, const QString &id, const QString &name)
{
    agent::ServerClient *owner = callersClient(client);
    if (!owner)
        return QDBusVariant(false);
    const agent::ClientCharacter *character = owner->view(id);
    const QVariant value = character ? character->property(name.toLatin1().constData()) : QVariant();
    if (!value.isValid()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Keine Figur \"%1\" oder kein Wert \"%2\".").arg(id, name));
        return QDBusVariant(false);
    }
    return QDBusVariant(value);
}

ErrorInfo CharacterServerBus::Set(uint client, const QString &id, const QString &name, const QDBusVariant &value)
{
    const QVariant given = value.variant();
    bool isNumber = false;
    const int number = given.toInt(&isNumber);
    const bool numeric = isNumber && number >= std::numeric_limits<qint16>::min() && number <= std::numeric_limits<qint16>::max();
    return onCharacter(client, id, [&](agent::ClientCharacter &c) -> ErrorInfo {
        if (name == QLatin1String("ttsModeId"))
            return c.setTtsModeId(given.toString());
        if (name == QLatin1String("languageId") && isNumber)
            return c.setLanguageId(number);
        if (name == QLatin1String("idleOn")) {
            c.setIdleOn(given.toBool());
            return {};
        }
        const QHash<QString, void (agent::ClientCharacter::*)(qint16)> geometry{
            {QStringLiteral("left"), &agent::ClientCharacter::setLeft},
            {QStringLiteral("top"), &agent::ClientCharacter::setTop},
            {QStringLiteral("width"), &agent::ClientCharacter::setWidth},
            {QStringLiteral("height"), &agent::ClientCharacter::setHeight}};
        if (const auto setter = geometry.value(name); setter && numeric) {
            (c.*setter)(qint16(number));
            return {};
        }
        return agent::controlFailure(agent::AgentErrorInvalidArgument, QStringLiteral("Der Wert %1 lässt sich so nicht setzen.").arg(name));
    });
}

QDBusVariant CharacterServerBus::GetControl(uint client, const QString &name)
{
    agent::ServerClient *owner = callersClient(client);
    if (!owner)
        return QDBusVariant(false);
    if (name == QLatin1String("propertySheetVisible"))
        return QDBusVariant(owner->isPropertySheetVisible());
    if (name == QLatin1String("propertySheetLeft"))
        return QDBusVariant(QVariant::fromValue(owner->propertySheetLeft()));
    if (name == QLatin1String("propertySheetTop"))
        return QDBusVariant(QVariant::fromValue(owner->propertySheetTop()));
    if (name == QLatin1String("speechInputEnabled"))
        return QDBusVariant(owner->isSpeechInputEnabled());
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("Unbekannter Wert: %1").arg(name));
    return QDBusVariant(false);
}

ErrorInfo CharacterServerBus::SetPropertySheetVisible(uint client, bool visible)
{
    if (agent::ServerClient *owner = callersClient(client))
        owner->setPropertySheetVisible(visible);
    return {};
}

// ---- commands ---------------------------------------------------------------------------------

ErrorInfo CharacterServerBus::AddCommand(uint client, const QString &id, const QString &name, const QString &caption,
                                         const QString &voice, bool enabled, bool visible)
{
    return onCharacter(client, id,
                       [&](agent::ClientCharacter &c) { return c.commands().add(name, caption, voice, enabled, visible); });
}

ErrorInfo CharacterServerBus::RemoveCommand(uint client, const QString &id, const QString &name)
{
    return onCharacter(client, id, [&](agent::ClientCharacter &c) { return c.commands().remove(name); });
}

void CharacterServerBus::RemoveAllCommands(uint client, const QString &id)
{
    onCharacter(client, id, [](agent::ClientCharacter &c) {
        c.commands().removeAll();
        return ErrorInfo{};
    });
}

void CharacterServerBus::SetCommandsCaption(uint client, const QString &id, const QString &caption)
{
    onCharacter(client, id, [&](agent::ClientCharacter &c) {
        c.commands().setCaption(caption);
        return ErrorInfo{};
    });
}

void CharacterServerBus::SetDefaultCommand(uint client, const QString &id, const QString &name)
{
    onCharacter(client, id, [&](agent::ClientCharacter &c) {
        c.commands().setDefaultCommand(name);
        return ErrorInfo{};
    });
}

// ---- events -----------------------------------------------------------------------------------

void CharacterServerBus::send(const QString &busName, uint number, const QString &member, const QVariantList &arguments)
{
    QDBusMessage event = QDBusMessage::createTargetedSignal(busName, agent::bus::serverPath(),
                                                            agent::bus::serverInterface(), member);
    event.setArguments(QVariantList{number} + arguments);
    m_bus.send(event);
}

void CharacterServerBus::relayEvents(uint number, const QString &busName, agent::ServerClient *client)
{
    const auto to = [this, number, busName](const QString &member, const QVariantList &arguments) {
        send(busName, number, member, arguments);
    };
    connect(client, &AgentControl::shown, this,
            [to](const QString &id, qint16 cause) { to(QStringLiteral("Shown"), {id, shortValue(cause)}); });
    connect(client, &AgentControl::hidden, this,
            [to](const QString &id, qint16 cause) { to(QStringLiteral("Hidden"), {id, shortValue(cause)}); });
    connect(client, &AgentControl::moved, this, [to](const QString &id, qint16 x, qint16 y, qint16 cause) {
        to(QStringLiteral("Moved"), {id, shortValue(x), shortValue(y), shortValue(cause)});
    });
    connect(client, &AgentControl::clicked, this, [to](const QString &id, qint16 button, qint16 shift, qint16 x, qint16 y) {
        to(QStringLiteral("Clicked"), {id, shortValue(button), shortValue(shift), shortValue(x), shortValue(y)});
    });
    connect(client, &AgentControl::doubleClicked, this,
            [to](const QString &id, qint16 button, qint16 shift, qint16 x, qint16 y) {
                to(QStringLiteral("DoubleClicked"), {id, shortValue(button), shortValue(shift), shortValue(x), shortValue(y)});
            });
    connect(client, &AgentControl::balloonShown, this, [to](const QString &id) { to(QStringLiteral("BalloonShown"), {id}); });
    connect(client, &AgentControl::balloonHidden, this, [to](const QString &id) { to(QStringLiteral("BalloonHidden"), {id}); });
    connect(client, &AgentControl::idleStarted, this, [to](const QString &id) { to(QStringLiteral("IdleStarted"), {id}); });
    connect(client, &AgentControl::propertiesChanged, this, [to]() { to(QStringLiteral("PropertiesChanged"), {}); });
    connect(client, &AgentControl::commandChosen, this, [to](const AgentUserInput &input) {
        to(QStringLiteral("CommandChosen"),
           {input.characterId, input.name, input.confidence, input.alt1Name, input.alt1Confidence});
    });
}

} // namespace tilvano::host
