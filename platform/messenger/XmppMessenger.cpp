#include "platform/messenger/XmppMessenger.h"

#include "platform/messenger/FreedesktopNotifier.h"
#include "platform/messenger/StanzaReader.h"

#include <QHostInfo>
#include <QPointer>
#include <QXmlStreamWriter>

namespace tilvano::messenger {

namespace {

const QString rosterNs = QStringLiteral("jabber:iq:roster");
const QString vcardNs = QStringLiteral("vcard-temp");
const QString pingNs = QStringLiteral("urn:xmpp:ping");
const QString stanzaErrorNs = QStringLiteral("urn:ietf:params:xml:ns:xmpp-stanzas");

const QString plainTextHeader =
    QStringLiteral("MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n");

QByteArray element(const std::function<void(QXmlStreamWriter &)> &write)
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
    connect(&m_session, &StropheSession::online, this, &XmppMessenger::goOnline);
    connect(&m_session, &StropheSession::ended, this, &XmppMessenger::sessionEnded);
    connect(&m_session, &StropheSession::stanzaReceived, this, &XmppMessenger::handleStanza);
    // Start once the creator had the chance to subscribe to the events.
    QTimer::singleShot(0, this, &XmppMessenger::connectToServer);
}

XmppMessenger::~XmppMessenger()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    // The session closes itself when it goes; no events from a dying object.
    m_session.disconnect(this);
}

std::unique_ptr<XmppMessenger> XmppMessenger::create(ErrorInfo &error, std::unique_ptr<DesktopNotifier> notifier)
{
    const std::optional<MessengerAccount> account = MessengerAccount::load(error);
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

void XmppMessenger::connectToServer()
{
    if (m_session.isActive() || m_gaveUp || m_lookupId >= 0)
        return;
    // Names are resolved by Qt in the background; the XMPP library would
    // resolve them itself, blocking the user interface while it does.
    const QString host = m_account.host();
    QHostAddress literal;
    if (literal.setAddress(host)) {
        m_addresses = {literal};
        m_addressIndex = 0;
        tryNextAddress();
        return;
    }
    m_lookupId = QHostInfo::lookupHost(host, this, [this](const QHostInfo &info) {
        m_lookupId = -1;
        m_addresses = info.addresses();
        m_addressIndex = 0;
        tryNextAddress();
    });
}

void XmppMessenger::tryNextAddress()
{
    if (m_addressIndex >= m_addresses.size()) {
        scheduleReconnect();
        emit OnLogonResult(LogonResult::ServerUnreachable);
        return;
    }
    StropheSession::Target target;
    target.jid = m_account.jid;
    target.password = m_account.password;
    target.address = m_addresses.at(m_addressIndex++).toString();
    target.port = m_account.port;
    target.requireTls = m_account.requireTls;
    m_session.open(target);
}

void XmppMessenger::scheduleReconnect()
{
    m_reconnectTimer.start(m_nextPauseMs);
    m_nextPauseMs = int(qMin<qint64>(qint64(m_nextPauseMs) * 2, m_ceilingPauseMs));
}

void XmppMessenger::goOnline()
{
    m_localState = UserState::Online;
    m_nextPauseMs = m_firstPauseMs;
    m_session.send(element([this](QXmlStreamWriter &w) {
        w.writeStartElement(QStringLiteral("iq"));
        w.writeAttribute(QStringLiteral("type"), QStringLiteral("get"));
        w.writeAttribute(QStringLiteral("id"), QStringLiteral("roster-%1").arg(m_nextStanzaId++));
        w.writeStartElement(QStringLiteral("query"));
        w.writeDefaultNamespace(rosterNs);
        w.writeEndElement();
        w.writeEndElement();
    }));
    m_session.send(QByteArrayLiteral("<presence/>"));
    emit OnLogonResult(LogonResult::Ok);
}

void XmppMessenger::sessionEnded(StropheSession::EndReason reason)
{
    const bool wasOnline = m_localState == UserState::Online;
    m_localState = UserState::Offline;
    m_contacts.forgetPresences();
    switch (reason) {
    case StropheSession::EndReason::Closed:
        if (wasOnline)
            emit OnLogoff();
        return;
    case StropheSession::EndReason::Lost:
        scheduleReconnect();
        emit OnLogoff();
        return;
    case StropheSession::EndReason::ConnectFailed:
        // Another address of the same server may answer.
        tryNextAddress();
        return;
    case StropheSession::EndReason::AuthenticationFailed:
        m_gaveUp = true;
        emit OnLogonResult(LogonResult::CredentialsRefused);
        return;
    case StropheSession::EndReason::EncryptionUnavailable:
        // Falling back to plain text is exactly what the setting forbids.
        m_gaveUp = true;
        emit OnLogonResult(LogonResult::EncryptionUnavailable);
        return;
    }
}

void XmppMessenger::handleStanza(const XmlNode &stanza)
{
    if (stanza.name == QLatin1String("message"))
        handleMessage(stanza);
    else if (stanza.name == QLatin1String("presence"))
        handlePresence(stanza);
    else if (stanza.name == QLatin1String("iq"))
        handleIq(stanza);
}

void XmppMessenger::handleMessage(const XmlNode &message)
{
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
    m_session.send(element([&](QXmlStreamWriter &w) {
        w.writeStartElement(QStringLiteral("iq"));
        w.writeAttribute(QStringLiteral("type"), QStringLiteral("get"));
        w.writeAttribute(QStringLiteral("to"), bare);
        w.writeAttribute(QStringLiteral("id"), QStringLiteral("vcard-%1").arg(m_nextStanzaId++));
        w.writeStartElement(QStringLiteral("vCard"));
        w.writeDefaultNamespace(vcardNs);
        w.writeEndElement();
        w.writeEndElement();
    }));
}

void XmppMessenger::answerIq(const XmlNode &iq, bool understood)
{
    const QString id = iq.attribute(QStringLiteral("id"));
    const QString from = iq.attribute(QStringLiteral("from"));
    m_session.send(element([&](QXmlStreamWriter &w) {
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
