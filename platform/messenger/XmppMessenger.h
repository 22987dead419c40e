#pragma once

#include "common/ErrorInfo.h"
#include "platform/messenger/ContactList.h"
#include "platform/messenger/DesktopNotifier.h"
#include "platform/messenger/Messenger.h"
#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/ServerLocator.h"
#include "platform/messenger/StropheSession.h"
#include "system/credentials/CredentialStore.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace tilvano::messenger {

// The messenger on XMPP, as a polite extra client of an account its user
// already lives in: it logs on with a negative priority, so the server never
// routes the user's messages to it instead of their real client and never
// hands it the messages kept for them while offline; it sees what the user
// receives elsewhere through Message Carbons. Messages with a delay stamp are
// old and raise nothing; the presences that answer its own log-on fill the
// contact list quietly.
//
// It finds the server the way chat clients do (DNS SRV, or the server the
// user named), demands TLS except on a local server the user explicitly
// allowed, reconnects with pauses that double up to a ceiling, and says in
// German why it is not logged on. Refused credentials and failed encryption
// are not retried (that only locks accounts). Idle and online, it wakes only
// for a keep-alive ping a minute.
class XmppMessenger : public Messenger {
    Q_OBJECT
public:
    // Logs on as soon as the caller had the chance to subscribe to the
    // events; without a password in the account, the credential store's is
    // looked up first.
    XmppMessenger(const MessengerAccount &account, std::unique_ptr<DesktopNotifier> notifier,
                  QObject *parent = nullptr);
    ~XmppMessenger() override;

    // Creates the messenger for the stored account; without one, fills error
    // and gives null. The notifier defaults to the desktop's.
    static std::unique_ptr<XmppMessenger> create(ErrorInfo &error,
                                                 std::unique_ptr<DesktopNotifier> notifier = nullptr);

    // The priority of our presence: below zero, so that messages to the
    // user's address go to their real client.
    static constexpr int presencePriority = -1;

    int localState() const override { return m_localState; }
    QString connectionProblem() const override { return m_problem; }

    // Pauses before reconnecting: the first, doubled after every failure up
    // to the ceiling.
    void setReconnectPauses(int firstMs, int ceilingMs);
    int nextReconnectPauseMs() const { return m_nextPauseMs; }
    // How long after the server has answered our log-on presences still
    // count as the answer to it: contacts on other servers answer late.
    void setSettlePause(int ms) { m_settlePauseMs = qMax(0, ms); }
    // Between keep-alive pings while online; a ping unanswered until the
    // next one ends the connection as lost.
    void setKeepAliveInterval(int ms);
    // Asks this name server for the domain's SRV records (for tests).
    void setNameserver(const QHostAddress &nameserver) { m_locator.setNameserver(nameserver); }

private:
    void start();
    void connectToServer();
    void serverLocated(const QList<ServerEndpoint> &endpoints, const QString &problem);
    void tryNextEndpoint();
    void serverUnreachable(const QString &why);
    int scheduleReconnect();
    void giveUp(const QString &problem, qint32 result);
    void setProblem(const QString &problem);
    void goOnline();
    void keepAlive();
    void sessionEnded(StropheSession::EndReason reason);
    void handleStanza(const XmlNode &stanza);
    void handleMessage(const XmlNode &stanza);
    void handleIncomingMessage(const XmlNode &message);
    bool isFirstDelivery(const XmlNode &message);
    void handlePresence(const XmlNode &presence);
    void handleIq(const XmlNode &iq);
    void handleRosterItems(const XmlNode &query);
    void learnNickname(const QString &bareJid, const XmlNode &stanza);
    void requestVCard(const QString &bareJid);
    void answerIq(const XmlNode &iq, bool understood);
    QString sendIq(const QString &type, const QString &to, const QString &idPrefix, const QString &element,
                   const QString &ns);
    void notifyDesktop(bool enabled, const QString &summary, const QString &body);
    QString serverName() const;

    MessengerAccount m_account;
    std::unique_ptr<DesktopNotifier> m_notifier;
    CredentialStore m_credentials;
    ServerLocator m_locator;
    StropheSession m_session;
    ContactList m_contacts;
    QTimer m_reconnectTimer;
    QTimer m_settleTimer;
    QTimer m_keepAliveTimer;
    QList<ServerEndpoint> m_endpoints;
    int m_endpointIndex = 0;
    bool m_locating = false;
    bool m_lookingUpPassword = false;
    int m_localState = UserState::Offline;
    int m_firstPauseMs = 1000;
    int m_ceilingPauseMs = 5 * 60 * 1000;
    int m_nextPauseMs = 1000;
    int m_settlePauseMs = 3000;
    bool m_gaveUp = false;
    // While the answers to our log-on arrive: the resources heard from so far.
    bool m_settling = false;
    QSet<QString> m_resourcesHeardWhileSettling;
    QString m_settleId;
    QString m_unansweredPingId;
    QString m_problem;
    QStringList m_recentMessageKeys;
    qint32 m_nextCookie = 1;
    quint64 m_nextStanzaId = 1;
    QSet<QString> m_vcardsAsked;
};

} // namespace tilvano::messenger
