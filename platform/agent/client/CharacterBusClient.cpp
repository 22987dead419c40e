#include "CharacterBusClient.h"

#include "CharacterBusNames.h"
#include "CharacterBusTypes.h"
#include "RemoteCharacter.h"
#include "ServerLauncher.h"
#include "WindowActivationWatcher.h"

#include "platform/agent/AgentCodes.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace tilvano::agent {

namespace {
// A request the server takes longer for than this is one it will never answer.
constexpr int RequestTimeoutMs = 10000;
// Connecting may have to wait for the server to start.
constexpr int ConnectTimeoutMs = 30000;

const QStringList EventNames{QStringLiteral("Shown"),         QStringLiteral("Hidden"),
                             QStringLiteral("Moved"),         QStringLiteral("Clicked"),
                             QStringLiteral("DoubleClicked"), QStringLiteral("BalloonShown"),
                             QStringLiteral("BalloonHidden"), QStringLiteral("IdleStarted"),
                             QStringLiteral("PropertiesChanged"), QStringLiteral("CommandChosen")};

QString keyOf(const QString &characterId) { return characterId.toCaseFolded(); }

qint16 shortAt(const QList<QVariant> &values, int index) { return qint16(values.value(index).toInt()); }
} // namespace

std::unique_ptr<CharacterBusClient> CharacterBusClient::create(const QDBusConnection &bus)
{
    std::unique_ptr<CharacterBusClient> client(new CharacterBusClient(bus));
    if (!client->connectToServer())
        return nullptr;
    return client;
}

CharacterBusClient::CharacterBusClient(const QDBusConnection &bus) : m_bus(bus)
{
    bus::registerTypes();
    qRegisterMetaType<tilvano::AgentUserInput>();
    // Working in one of our windows makes us the one the character listens to.
    auto *watcher = new WindowActivationWatcher(this);
    QObject::connect(watcher, &WindowActivationWatcher::activated, this, &CharacterBusClient::activate);
}

CharacterBusClient::~CharacterBusClient()
{
    const QList<RemoteCharacter *> characters = m_characters.values();
    m_characters.clear();
    qDeleteAll(characters);
    // Leaving takes our commands and waiting requests off the character; whether the server
    // hears it or has gone already, there is nothing to wait for.
    if (m_client != 0)
        tell(QStringLiteral("Disconnect"), {});
}

bool CharacterBusClient::connectToServer()
{
    if (!ServerLauncher(m_bus).ensureRunning(ConnectTimeoutMs))
        return false;
    QDBusMessage hello = QDBusMessage::createMethodCall(bus::serviceName(), bus::serverPath(), bus::serverInterface(),
                                                        QStringLiteral("Connect"));
    const QDBusMessage reply = m_bus.call(hello, QDBus::Block, ConnectTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    m_client = reply.arguments().first().toUInt();
    m_server = reply.service();
    subscribe();
    return m_client != 0;
}

void CharacterBusClient::subscribe()
{
    delete m_serverWatch;
    m_serverWatch = new QDBusServiceWatcher(m_server, m_bus, QDBusServiceWatcher::WatchForUnregistration, this);
    QObject::connect(m_serverWatch, &QDBusServiceWatcher::serviceUnregistered, this, &CharacterBusClient::serverLost);
    // Events come only from the server we connected to, and are sent to us alone.
    for (const QString &name : EventNames)
        m_bus.connect(m_server, bus::serverPath(), bus::serverInterface(), name, this,
                      SLOT(eventArrived(QDBusMessage)));
}

void CharacterBusClient::serverLost()
{
    if (m_client == 0)
        return;
    for (const QString &name : EventNames)
        m_bus.disconnect(m_server, bus::serverPath(), bus::serverInterface(), name, this,
                         SLOT(eventArrived(QDBusMessage)));
    m_client = 0;
    m_server.clear();
    const QList<RemoteCharacter *> characters = m_characters.values();
    m_characters.clear();
    qDeleteAll(characters);
}

QDBusMessage CharacterBusClient::message(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_server, bus::serverPath(), bus::serverInterface(), method);
    message.setArguments(QVariantList{m_client} + arguments);
    message.setAutoStartService(false); // a server that ended must not come back as a stranger
    return message;
}

std::optional<QDBusMessage> CharacterBusClient::call(const QString &method, const QVariantList &arguments) const
{
    if (m_client == 0)
        return std::nullopt;
    const QDBusMessage reply = m_bus.call(message(method, arguments), QDBus::Block, RequestTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return std::nullopt;
    return reply;
}

ErrorInfo CharacterBusClient::request(const QString &method, const QVariantList &arguments) const
{
    const std::optional<QDBusMessage> reply = call(method, arguments);
    if (!reply || reply->arguments().isEmpty())
        return serverGoneFailure();
    return qdbus_cast<ErrorInfo>(reply->arguments().first());
}

QVariant CharacterBusClient::value(const QString &method, const QVariantList &arguments) const
{
    const std::optional<QDBusMessage> reply = call(method, arguments);
    if (!reply || reply->arguments().isEmpty())
        return {};
    const QVariant answer = reply->arguments().first();
    return answer.canConvert<QDBusVariant>() ? qvariant_cast<QDBusVariant>(answer).variant() : answer;
}

void CharacterBusClient::tell(const QString &method, const QVariantList &arguments) const
{
    if (m_client != 0)
        m_bus.send(message(method, arguments));
}

bool CharacterBusClient::reachServer()
{
    // A server that ended left us without characters; loading is where a new one starts. The
    // bus may not have told us yet that it ended, so we ask.
    if (m_client != 0 && !m_bus.interface()->isServiceRegistered(m_server))
        serverLost();
    return m_client != 0 || connectToServer();
}

ErrorInfo CharacterBusClient::load(const QString &characterId, const QString &file)
{
    if (!reachServer())
        return serverGoneFailure();
    if (m_characters.contains(keyOf(characterId)))
        return controlFailure(AgentErrorAlreadyLoaded, QStringLiteral("Der Name \"%1\" ist schon vergeben.").arg(characterId));
    const ErrorInfo loaded = request(QStringLiteral("Load"), {characterId, file});
    if (!loaded.isError())
        m_characters.insert(keyOf(characterId), new RemoteCharacter(*this, characterId));
    return loaded;
}

ErrorInfo CharacterBusClient::replace(const QString &characterId, const QString &file)
{
    if (!reachServer())
        return serverGoneFailure();
    if (!m_characters.contains(keyOf(characterId)))
        return load(characterId, file);
    const ErrorInfo replaced = request(QStringLiteral("Replace"), {characterId, file});
    if (replaced.isError())
        return replaced; // the character that is there stays
    // A new character object, with a command set of its own, as after a load.
    delete m_characters.take(keyOf(characterId));
    m_characters.insert(keyOf(characterId), new RemoteCharacter(*this, characterId));
    return {};
}

ErrorInfo CharacterBusClient::unload(const QString &characterId)
{
    delete m_characters.take(keyOf(characterId));
    tell(QStringLiteral("Unload"), {characterId});
    return {};
}

AgentCharacter *CharacterBusClient::character(const QString &characterId)
{
    return m_characters.value(keyOf(characterId));
}

bool CharacterBusClient::isPropertySheetVisible() const
{
    return value(QStringLiteral("GetControl"), {QStringLiteral("propertySheetVisible")}).toBool();
}

void CharacterBusClient::setPropertySheetVisible(bool visible)
{
    request(QStringLiteral("SetPropertySheetVisible"), {visible});
}

qint16 CharacterBusClient::propertySheetLeft() const
{
    return qint16(value(QStringLiteral("GetControl"), {QStringLiteral("propertySheetLeft")}).toInt());
}

qint16 CharacterBusClient::propertySheetTop() const
{
    return qint16(value(QStringLiteral("GetControl"), {QStringLiteral("propertySheetTop")}).toInt());
}

bool CharacterBusClient::isSpeechInputEnabled() const
{
    return value(QStringLiteral("GetControl"), {QStringLiteral("speechInputEnabled")}).toBool();
}

void CharacterBusClient::activate() { tell(QStringLiteral("Activate"), {}); }

void CharacterBusClient::eventArrived(const QDBusMessage &event)
{
    const QList<QVariant> values = event.arguments();
    if (values.isEmpty() || values.first().toUInt() != m_client)
        return;
    const QString name = event.member();
    if (name == QLatin1String("PropertiesChanged")) {
        emit propertiesChanged();
        return;
    }
    const QString id = values.value(1).toString();
    // Events of a character unloaded here a moment ago are news for nobody.
    if (!m_characters.contains(keyOf(id)))
        return;
    if (name == QLatin1String("Shown"))
        emit shown(id, shortAt(values, 2));
    else if (name == QLatin1String("Hidden"))
        emit hidden(id, shortAt(values, 2));
    else if (name == QLatin1String("Moved"))
        emit moved(id, shortAt(values, 2), shortAt(values, 3), shortAt(values, 4));
    else if (name == QLatin1String("Clicked"))
        emit clicked(id, shortAt(values, 2), shortAt(values, 3), shortAt(values, 4), shortAt(values, 5));
    else if (name == QLatin1String("DoubleClicked"))
        emit doubleClicked(id, shortAt(values, 2), shortAt(values, 3), shortAt(values, 4), shortAt(values, 5));
    else if (name == QLatin1String("BalloonShown"))
        emit balloonShown(id);
    else if (name == QLatin1String("BalloonHidden"))
        emit balloonHidden(id);
    else if (name == QLatin1String("IdleStarted"))
        emit idleStarted(id);
    else if (name == QLatin1String("CommandChosen"))
        emit commandChosen(AgentUserInput{id, values.value(2).toString(), values.value(3).toInt(),
                                          values.value(4).toString(), values.value(5).toInt()});
}

} // namespace tilvano::agent
