#pragma once

#include "platform/messenger/StropheSession.h"

#include <QList>
#include <QString>

namespace tilvano::test {

// The other side of a conversation: a plain XMPP connection that sends
// whatever stanzas a test writes and keeps what it receives.
class TestPeer : public QObject {
    Q_OBJECT
public:
    explicit TestPeer(QObject *parent = nullptr);

    // Logs on and announces itself with the given presence.
    bool logOn(const QString &jid, const QString &password, quint16 port,
               const QString &presence = QStringLiteral("<presence/>"), int timeoutMs = 20000);
    void send(const QString &xml);
    // The full address under which a contact is connected, once their
    // presence arrived (empty until then).
    QString fullJidOf(const QString &bareJid) const;
    bool waitForFullJidOf(const QString &bareJid, int timeoutMs = 20000);
    // The latest resource of that contact that announced a negative
    // priority (the companion), once its presence arrived.
    QString companionJidOf(const QString &bareJid) const;
    // Waits for a companion resource other than the one given.
    QString waitForCompanionOf(const QString &bareJid, const QString &other = QString(), int timeoutMs = 20000);
    const QList<messenger::XmlNode> &received() const { return m_received; }

    messenger::StropheSession session;

private:
    QList<messenger::XmlNode> m_received;
};

} // namespace tilvano::test
