#pragma once

#include "common/ErrorInfo.h"
#include "platform/messenger/ContactList.h"
#include "platform/messenger/DesktopNotifier.h"
#include "platform/messenger/Messenger.h"
#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/StropheSession.h"

#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QTimer>

#include <memory>

namespace tilvano::messenger {

// The messenger on XMPP. It logs on in the background as soon as it exists,
// keeps the contact list, turns what arrives into the messenger events and,
// when no receiver declined it, shows its own desktop note. A lost connection
// is retried with pauses that double up to a ceiling; refused credentials are
// not retried (that only locks accounts).
class XmppMessenger : public Messenger {
    Q_OBJECT
public:
    XmppMessenger(const MessengerAccount &account, std::unique_ptr<DesktopNotifier> notifier,
                  QObject *parent = nullptr);
    ~XmppMessenger() override;

    // Creates the messenger for the stored account; without one, fills error
    // and gives null. The notifier defaults to the desktop's.
    static std::unique_ptr<XmppMessenger> create(ErrorInfo &error,
                                                 std::unique_ptr<DesktopNotifier> notifier = nullptr);

    int localState() const override { return m_localState; }

    // Pauses before reconnecting: the first, doubled after every failure up
    // to the ceiling.
    void setReconnectPauses(int firstMs, int ceilingMs);
    int nextReconnectPauseMs() const { return m_nextPauseMs; }

private:
    void connectToServer();
    void tryNextAddress();
    void scheduleReconnect();
    void goOnline();
    void sessionEnded(StropheSession::EndReason reason);
    void handleStanza(const XmlNode &stanza);
    void handleMessage(const XmlNode &message);
    void handlePresence(const XmlNode &presence);
    void handleIq(const XmlNode &iq);
    void handleRosterItems(const XmlNode &query);
    void learnNickname(const QString &bareJid, const XmlNode &stanza);
    void requestVCard(const QString &bareJid);
    void answerIq(const XmlNode &iq, bool understood);
    void notifyDesktop(bool enabled, const QString &summary, const QString &body);

    MessengerAccount m_account;
    std::unique_ptr<DesktopNotifier> m_notifier;
    StropheSession m_session;
    ContactList m_contacts;
    QTimer m_reconnectTimer;
    QList<QHostAddress> m_addresses;
    int m_addressIndex = 0;
    int m_lookupId = -1;
    int m_localState = UserState::Offline;
    int m_firstPauseMs = 1000;
    int m_ceilingPauseMs = 5 * 60 * 1000;
    int m_nextPauseMs = 1000;
    bool m_gaveUp = false;
    qint32 m_nextCookie = 1;
    quint64 m_nextStanzaId = 1;
    QSet<QString> m_vcardsAsked;
};

} // namespace tilvano::messenger
