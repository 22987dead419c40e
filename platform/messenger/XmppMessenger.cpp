#include "platform/messenger/XmppMessenger.h"

#include "platform/messenger/FreedesktopNotifier.h"
#include "platform/messenger/StanzaReader.h"
#include "system/SystemServices.h"

#include <QPointer>
#include <QXmlStreamWriter>

namespace tilvano::messenger {

namespace {

const QString rosterNs = QStringLiteral("jabber:iq:roster");
const QString vcardNs = QStringLiteral("vcard-temp");
const QString pingNs = QStringLiteral("urn:xmpp:ping");
const QString stanzaErrorNs = QStringLiteral("urn:ietf:params:xml:ns:xmpp-stanzas");
const QString carbonsNs = QStringLiteral("urn:xmpp:carbons:2");

// Often enough for the routers between us and the server to keep the
// connection open, rarely enough not to keep a laptop awake.
constexpr int keepAliveIntervalMs = 60 * 1000;
// Message ids remembered, so that one message arriving twice (directly and
// as a carbon) is announced once.
constexpr int rememberedMessages = 64;

const QString plainTextHeader =
    QStringLiteral("MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n");

QByteArray xmlOf(const std::function<void(QXmlStreamWriter &)> &write)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    write(writer);
    return xml;
}

} // namespace

XmppMessenger::XmppMessenger(const MessengerAccount &account, std::unique_ptr<DesktopNotifier> notifier,
                             QObject *parent)
    : Messenger(parent)
    , m_account(account)
    , m_notifier(std::move(notifier))
{
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &XmppMessenger::connectToServer);
    m_settleTimer.setSingleShot(true);
    connect(&m_settleTimer, &QTimer::timeout, this, [this] { m_settling = false; });
    m_keepAliveTimer.setInterval(keepAliveIntervalMs);
    connect(&m_keepAliveTimer, &QTimer::timeout, this, &XmppMessenger::keepAlive);
    connect(&m_locator, &ServerLocator::located, this, &XmppMessenger::serverLocated);
    connect(&m_session, &StropheSession::online, this, &XmppMessenger::goOnline);
    connect(&m_session, &StropheSession::ended, this, &XmppMessenger::sessionEnded);
    connect(&m_session, &StropheSession::stanzaReceived, this, &XmppMessenger::handleStanza);
    // Start once the creator had the chance to subscribe to the events.
    QTimer::singleShot(0, this, &XmppMessenger::start);
}

XmppMessenger::~XmppMessenger()
{
    // The session closes itself when it goes; no events from a dying object.
    m_session.disconnect(this);
}

std::unique_ptr<XmppMessenger> XmppMessenger::create(ErrorInfo &error, std::unique_ptr<DesktopNotifier> notifier)
{
    const std::optional<MessengerAccount> account = MessengerAccount::load(SystemServices::registry(), error);
    if (!account)
        return nullptr;
    if (!notifier)
        notifier = std::make_unique<FreedesktopNotifier>();
    return std::make_unique<XmppMessenger>(*account, std::move(notifier));
}

void XmppMessenger::setReconnectPauses(int firstMs, int ceilingMs)
{
    m_firstPauseMs = qMax(1, firstMs);
    m_ceilingPauseMs = qMax(m_firstPauseMs, ceilingMs);
    m_nextPauseMs = m_firstPauseMs;
}

void XmppMessenger::setKeepAliveInterval(int ms)
{
    m_keepAliveTimer.setInterval(qMax(1, ms));
}

void XmppMessenger::start()
{
    if (!m_account.password.isEmpty()) {
        connectToServer();
        return;
    }
    m_lookingUpPassword = true;
    m_credentials.lookup(m_account.credentialKey(), [this](const CredentialResult &result) {
        m_lookingUpPassword = false;
        if (!result.found) {
            giveUp(result.ok ? QStringLiteral("Für %1 ist kein Passwort gespeichert.").arg(m_account.bareJid())
                             : result.error,
                   LogonResult::CredentialsRefused);
            return;
        }
        m_account.password = result.password;
        connectToServer();
    });
}

void XmppMessenger::connectToServer()
{
    if (m_session.isActive() || m_gaveUp || m_locating || m_lookingUpPassword)
        return;
    // Names are looked up by Qt in the background; the XMPP library would
    // look them up itself, blocking the user interface while it does.
    m_locating = true;
    m_locator.locate(m_account.domain(), m_account.serverOverride());
}

void XmppMessenger::serverLocated(const QList<ServerEndpoint> &endpoints, const QString &problem)
{
    m_locating = false;
    m_endpoints = endpoints;
    m_endpointIndex = 0;
    if (m_endpoints.isEmpty()) {
        serverUnreachable(problem);
        return;
    }
    tryNextEndpoint();
}

void XmppMessenger::tryNextEndpoint()
{
    if (m_endpointIndex >= m_endpoints.size()) {
        serverUnreachable(QStringLiteral("Der Chat-Server %1 ist nicht erreichbar.").arg(serverName()));
        return;
    }
    const ServerEndpoint &endpoint = m_endpoints.at(m_endpointIndex++);
    StropheSession::Target target;
    target.jid = m_account.jid;
    target.password = m_account.password;
    target.address = endpoint.address.toString();
    target.port = endpoint.port;
    // Without encryption only where the user allowed it, and only to a
    // server in their own network.
    target.requireTls = m_account.requireTls || !isLocalNetworkAddress(endpoint.address);
    m_session.open(target);
}

void XmppMessenger::serverUnreachable(const QString &why)
{
    const int pauseMs = scheduleReconnect();
    setProblem(why + QStringLiteral(" Neuer Versuch in %1 Sekunden.").arg((pauseMs + 999) / 1000));
    emit OnLogonResult(LogonResult::ServerUnreachable);
}

int XmppMessenger::scheduleReconnect()
{
    const int pauseMs = m_nextPauseMs;
    m_reconnectTimer.start(pauseMs);
    m_nextPauseMs = int(qMin<qint64>(qint64(m_nextPauseMs) * 2, m_ceilingPauseMs));
    return pauseMs;
}

void XmppMessenger::giveUp(const QString &problem, qint32 result)
{
    m_gaveUp = true;
    setProblem(problem);
    emit OnLogonResult(result);
}

void XmppMessenger::setProblem(const QString &problem)
{
    if (problem == m_problem)
        return;
    m_problem = problem;
    emit connectionProblemChanged(m_problem);
}

QString XmppMessenger::serverName() const
{
    if (m_endpointIndex > 0 && m_endpointIndex <= m_endpoints.size())
        return m_endpoints.at(m_endpointIndex - 1).host;
    const std::optional<ServerAddress> named = m_account.serverOverride();
    return named ? named->host : m_account.domain();
}

void XmppMessenger::goOnline()
{
    m_localState = UserState::Online;
    m_nextPauseMs = m_firstPauseMs;
    m_unansweredPingId.clear();
    sendIq(QStringLiteral("get"), QString(), QStringLiteral("roster"), QStringLiteral("query"), rosterNs);
    sendIq(QStringLiteral("set"), QString(), QStringLiteral("carbons"), QStringLiteral("enable"), carbonsNs);
    m_session.send(QByteArrayLiteral("<presence><priority>") + QByteArray::number(presencePriority)
                   + QByteArrayLiteral("</priority></presence>"));
    // The server answers this only after it has sent what answers our
    // presence (for contacts on other servers, a pause more follows).
    m_settling = true;
    m_resourcesHeardWhileSettling.clear();
    m_settleId = sendIq(QStringLiteral("get"), m_account.domain(), QStringLiteral("settle"), QStringLiteral("ping"),
                        pingNs);
    m_keepAliveTimer.start();
    setProblem(QString());
    emit OnLogonResult(LogonResult::Ok);
}

void XmppMessenger::keepAlive()
{
    if (!m_unansweredPingId.isEmpty()) {
        // Not a word from the server for a whole interval.
        m_session.drop();
        return;
    }
    m_unansweredPingId =
        sendIq(QStringLiteral("get"), m_account.domain(), QStringLiteral("keepalive"), QStringLiteral("ping"), pingNs);
}

void XmppMessenger::sessionEnded(StropheSession::EndReason reason)
{
    const bool wasOnline = m_localState == UserState::Online;
    m_localState = UserState::Offline;
    m_contacts.forgetPresences();
    m_keepAliveTimer.stop();
    m_settleTimer.stop();
    m_settling = false;
    const QPointer<XmppMessenger> alive(this);
    switch (reason) {
    case StropheSession::EndReason::Closed:
        if (wasOnline)
            emit OnLogoff();
        return;
    case StropheSession::EndReason::Lost: {
        const int pauseMs = scheduleReconnect();
        setProblem(QStringLiteral("Die Verbindung zum Chat-Server %1 ist abgebrochen. Neuer Versuch in %2 Sekunden.")
                       .arg(serverName())
                       .arg((pauseMs + 999) / 1000));
        emit connectionLost();
        if (alive)
            emit OnLogoff();
        return;
    }
    case StropheSession::EndReason::ConnectFailed:
        // Another address of the same server may answer.
        tryNextEndpoint();
        return;
    case StropheSession::EndReason::AuthenticationFailed:
        giveUp(QStringLiteral("Der Chat-Server hat die Anmeldung abgelehnt: Jabber-ID oder Passwort stimmen nicht."),
               LogonResult::CredentialsRefused);
        return;
    case StropheSession::EndReason::EncryptionUnavailable:
        // Falling back to plain text is exactly what the setting forbids.
        giveUp(QStringLiteral("Der Chat-Server %1 bietet keine Verschlüsselung (TLS) an. Ohne Verschlüsselung "
                              "meldet sich Tilvano nur bei einem Server im eigenen Netz an, und nur wenn das "
                              "ausdrücklich erlaubt ist.")
                   .arg(serverName()),
               LogonResult::EncryptionUnavailable);
        return;
    case StropheSession::EndReason::EncryptionFailed:
        giveUp(QStringLiteral("Die verschlüsselte Verbindung zum Chat-Server %1 ist gescheitert: sein Zertifikat "
                              "ist nicht vertrauenswürdig.")
                   .arg(serverName()),
               LogonResult::EncryptionUnavailable);
        return;
    }
}

void XmppMessenger::handleStanza(const XmlNode &stanza)
{
    // Whatever the server sends shows the connection is alive.
    m_unansweredPingId.clear();
    if (stanza.name == QLatin1String("message"))
        handleMessage(stanza);
    else if (stanza.name == QLatin1String("presence"))
        handlePresence(stanza);
    else if (stanza.name == QLatin1String("iq"))
        handleIq(stanza);
}

void XmppMessenger::handleMessage(const XmlNode &stanza)
{
    const CarbonCopy carbon = carbonCopyIn(stanza);
    if (carbon.direction == CarbonCopy::None) {
        handleIncomingMessage(stanza);
        return;
    }
    // Only the account itself speaks for its other clients; anyone else
    // could send a "copy" of a message never received.
    if (bareJidOf(stanza.attribute(QStringLiteral("from"))) != bareJidOf(m_account.bareJid()))
        return;
    // What the user wrote elsewhere is no news to them.
    if (carbon.direction == CarbonCopy::Received && !carbon.delayed)
        handleIncomingMessage(carbon.message);
}

bool XmppMessenger::isFirstDelivery(const XmlNode &message)
{
    const QString id = message.attribute(QStringLiteral("id"));
    if (id.isEmpty())
        return true;
    const QString key = bareJidOf(message.attribute(QStringLiteral("from"))) + QLatin1Char('\n') + id;
    if (m_recentMessageKeys.contains(key))
        return false;
    m_recentMessageKeys.append(key);
    if (m_recentMessageKeys.size() > rememberedMessages)
        m_recentMessageKeys.removeFirst();
    return true;
}

void XmppMessenger::handleIncomingMessage(const XmlNode &message)
{
    // Kept by the server and delivered late (offline storage, an archive):
    // old news, not announced.
    if (isDelayed(message) || !isFirstDelivery(message))
        return;
    const QString type = message.attribute(QStringLiteral("type"));
    if (type == QLatin1String("error") || type == QLatin1String("groupchat"))
        return;
    const QString from = bareJidOf(message.attribute(QStringLiteral("from")));
    if (from.isEmpty())
        return;
    learnNickname(from, message);

    if (const std::optional<RoomInvitation> invitation = roomInvitationIn(message)) {
        MessengerUser user;
        if (!invitation->inviter.isEmpty())
            user = m_contacts.user(invitation->inviter);
        else if (!invitation->inviterNick.isEmpty())
            user = MessengerUser{invitation->inviterNick, invitation->room + QLatin1Char('/') + invitation->inviterNick,
                                 UserState::Online};
        else
            user = m_contacts.user(from);
        bool enableDefault = true;
        const QPointer<XmppMessenger> alive(this);
        emit OnAppInviteReceived(user, m_nextCookie++, QStringLiteral("urn:xmpp:muc"), invitation->room,
                                 QStringLiteral("xmpp:%1?join").arg(invitation->room), 0, enableDefault);
        if (!alive)
            return;
        notifyDesktop(enableDefault, QStringLiteral("Einladung von %1").arg(user.friendlyName),
                      QStringLiteral("Gruppenchat %1").arg(invitation->room));
        return;
    }
    if (const std::optional<FileOffer> offer = fileOfferIn(message)) {
        const MessengerUser user = m_contacts.user(from);
        bool enableDefault = true;
        const QPointer<XmppMessenger> alive(this);
        emit OnFileTransferInviteReceived(user, m_nextCookie++, offer->fileName, offer->size, enableDefault);
        if (!alive)
            return;
        notifyDesktop(enableDefault, QStringLiteral("Datei von %1").arg(user.friendlyName), offer->fileName);
        return;
    }
    const XmlNode &body = message.child(QStringLiteral("body"));
    if (body.isNull())
        return;   // typing notices and receipts carry no text
    if (type == QLatin1String("headline")) {
        emit OnNotificationReceived(body.text);
        return;
    }
    const MessengerUser user = m_contacts.user(from);
    bool enableDefault = true;
    const QPointer<XmppMessenger> alive(this);
    emit OnTextReceived(user, plainTextHeader, body.text, enableDefault);
    if (!alive)
        return;
    notifyDesktop(enableDefault, QStringLiteral("Nachricht von %1").arg(user.friendlyName), body.text);
}

void XmppMessenger::handlePresence(const XmlNode &presence)
{
    const QString from = presence.attribute(QStringLiteral("from"));
    const QString bare = bareJidOf(from);
    if (bare.isEmpty() || bare == bareJidOf(m_account.bareJid()))
        return;   // our own resources are not contacts
    const int state = contactStateOf(presence);
    if (state == UserState::Unknown)
        return;
    learnNickname(bare, presence);
    const ContactList::Change change = m_contacts.applyPresence(from, state, presencePriorityOf(presence));
    // What a contact's client says in answer to our log-on is how things
    // stand, not news; only what it says after that is.
    if (m_settling) {
        const QString resource = bare + QLatin1Char('/') + from.section(QLatin1Char('/'), 1);
        if (!m_resourcesHeardWhileSettling.contains(resource)) {
            m_resourcesHeardWhileSettling.insert(resource);
            return;
        }
    }
    if (!change.changed())
        return;
    const MessengerUser user = m_contacts.user(bare);
    bool enableDefault = true;
    const QPointer<XmppMessenger> alive(this);
    emit OnUserStateChanged(user, change.previousState, enableDefault);
    if (!alive)
        return;
    if (change.previousState == UserState::Offline)
        notifyDesktop(enableDefault, user.friendlyName, QStringLiteral("ist jetzt angemeldet"));
}

void XmppMessenger::handleIq(const XmlNode &iq)
{
    const QString type = iq.attribute(QStringLiteral("type"));
    const QString from = iq.attribute(QStringLiteral("from"));
    // Roster answers and pushes only count from our own server.
    const bool fromServer = from.isEmpty() || bareJidOf(from) == bareJidOf(m_account.bareJid())
        || bareJidOf(from) == m_account.domain().toLower();

    const QString id = iq.attribute(QStringLiteral("id"));
    if ((type == QLatin1String("result") || type == QLatin1String("error")) && !m_settleId.isEmpty()
        && id == m_settleId) {
        m_settleId.clear();
        if (m_settlePauseMs == 0)
            m_settling = false;
        else
            m_settleTimer.start(m_settlePauseMs);
        return;
    }
    if (type == QLatin1String("result")) {
        const XmlNode &roster = iq.child(QStringLiteral("query"), rosterNs);
        if (!roster.isNull() && fromServer)
            handleRosterItems(roster);
        const XmlNode &vcard = iq.child(QStringLiteral("vCard"), vcardNs);
        if (!vcard.isNull() && !from.isEmpty()) {
            QString nick = vcard.childText(QStringLiteral("NICKNAME")).trimmed();
            if (nick.isEmpty())
                nick = vcard.childText(QStringLiteral("FN")).trimmed();
            if (!nick.isEmpty())
                m_contacts.setNickname(from, nick);
        }
        return;
    }
    if (type != QLatin1String("set") && type != QLatin1String("get"))
        return;

    if (type == QLatin1String("set")) {
        const XmlNode &roster = iq.child(QStringLiteral("query"), rosterNs);
        if (!roster.isNull() && fromServer) {
            handleRosterItems(roster);
            answerIq(iq, true);
            return;
        }
        if (const std::optional<FileOffer> offer = fileOfferIn(iq)) {
            const MessengerUser user = m_contacts.user(from);
            // We cannot take the file here; saying so at once lets the sender
            // stop waiting.
            answerIq(iq, false);
            bool enableDefault = true;
            const QPointer<XmppMessenger> alive(this);
            emit OnFileTransferInviteReceived(user, m_nextCookie++, offer->fileName, offer->size, enableDefault);
            if (alive)
                notifyDesktop(enableDefault, QStringLiteral("Datei von %1").arg(user.friendlyName), offer->fileName);
            return;
        }
    }
    if (type == QLatin1String("get") && !iq.child(QStringLiteral("ping"), pingNs).isNull()) {
        answerIq(iq, true);
        return;
    }
    answerIq(iq, false);
}

void XmppMessenger::handleRosterItems(const XmlNode &query)
{
    for (const XmlNode &item : query.children) {
        if (item.name != QLatin1String("item"))
            continue;
        const QString jid = item.attribute(QStringLiteral("jid"));
        if (jid.isEmpty())
            continue;
        m_contacts.setRosterName(jid, item.attribute(QStringLiteral("name")));
        if (!m_contacts.hasName(jid))
            requestVCard(jid);
    }
}

void XmppMessenger::learnNickname(const QString &bareJid, const XmlNode &stanza)
{
    const QString nick = nicknameIn(stanza);
    if (!nick.isEmpty())
        m_contacts.setNickname(bareJid, nick);
    else if (!m_contacts.hasName(bareJid))
        requestVCard(bareJid);
}

void XmppMessenger::requestVCard(const QString &bareJid)
{
    const QString bare = bareJidOf(bareJid);
    if (m_vcardsAsked.contains(bare) || !m_session.isOnline())
        return;
    m_vcardsAsked.insert(bare);
    sendIq(QStringLiteral("get"), bare, QStringLiteral("vcard"), QStringLiteral("vCard"), vcardNs);
}

QString XmppMessenger::sendIq(const QString &type, const QString &to, const QString &idPrefix, const QString &element,
                              const QString &ns)
{
    const QString id = QStringLiteral("%1-%2").arg(idPrefix).arg(m_nextStanzaId++);
    m_session.send(xmlOf([&](QXmlStreamWriter &w) {
        w.writeStartElement(QStringLiteral("iq"));
        w.writeAttribute(QStringLiteral("type"), type);
        if (!to.isEmpty())
            w.writeAttribute(QStringLiteral("to"), to);
        w.writeAttribute(QStringLiteral("id"), id);
        w.writeStartElement(element);
        w.writeDefaultNamespace(ns);
        w.writeEndElement();
        w.writeEndElement();
    }));
    return id;
}

void XmppMessenger::answerIq(const XmlNode &iq, bool understood)
{
    const QString id = iq.attribute(QStringLiteral("id"));
    const QString from = iq.attribute(QStringLiteral("from"));
    m_session.send(xmlOf([&](QXmlStreamWriter &w) {
        w.writeStartElement(QStringLiteral("iq"));
        w.writeAttribute(QStringLiteral("type"), understood ? QStringLiteral("result") : QStringLiteral("error"));
        if (!from.isEmpty())
            w.writeAttribute(QStringLiteral("to"), from);
        w.writeAttribute(QStringLiteral("id"), id);
        if (!understood) {
            w.writeStartElement(QStringLiteral("error"));
            w.writeAttribute(QStringLiteral("type"), QStringLiteral("cancel"));
            w.writeStartElement(QStringLiteral("service-unavailable"));
            w.writeDefaultNamespace(stanzaErrorNs);
            w.writeEndElement();
            w.writeEndElement();
        }
        w.writeEndElement();
    }));
}

void XmppMessenger::notifyDesktop(bool enabled, const QString &summary, const QString &body)
{
    if (enabled && m_notifier)
        m_notifier->notify(summary, body);
}

} // namespace tilvano::messenger
