#include "support/TestPeer.h"

#include "platform/messenger/ContactList.h"
#include "platform/messenger/StanzaReader.h"

#include <QSignalSpy>
#include <QTest>

namespace tilvano::test {

TestPeer::TestPeer(QObject *parent)
    : QObject(parent)
{
    connect(&session, &messenger::StropheSession::stanzaReceived, this,
            [this](const messenger::XmlNode &node) { m_received.append(node); });
}

bool TestPeer::logOn(const QString &jid, const QString &password, quint16 port, const QString &presence,
                     int timeoutMs)
{
    QSignalSpy online(&session, &messenger::StropheSession::online);
    session.open({jid, password, QStringLiteral("127.0.0.1"), port, false});
    if (!online.wait(timeoutMs))
        return false;
    send(presence);
    return true;
}

void TestPeer::send(const QString &xml)
{
    session.send(xml.toUtf8());
}

QString TestPeer::fullJidOf(const QString &bareJid) const
{
    for (auto it = m_received.crbegin(); it != m_received.crend(); ++it) {
        const QString from = it->attribute(QStringLiteral("from"));
        if (it->name == QLatin1String("presence") && it->attribute(QStringLiteral("type")).isEmpty()
            && messenger::bareJidOf(from) == bareJid && from.contains(QLatin1Char('/')))
            return from;
    }
    return {};
}

bool TestPeer::waitForFullJidOf(const QString &bareJid, int timeoutMs)
{
    return QTest::qWaitFor([&] { return !fullJidOf(bareJid).isEmpty(); }, timeoutMs);
}

QString TestPeer::companionJidOf(const QString &bareJid) const
{
    for (auto it = m_received.crbegin(); it != m_received.crend(); ++it) {
        const QString from = it->attribute(QStringLiteral("from"));
        if (it->name == QLatin1String("presence") && it->attribute(QStringLiteral("type")).isEmpty()
            && messenger::bareJidOf(from) == bareJid && messenger::presencePriorityOf(*it) < 0)
            return from;
    }
    return {};
}

QString TestPeer::waitForCompanionOf(const QString &bareJid, const QString &other, int timeoutMs)
{
    QString found;
    const bool seen = QTest::qWaitFor(
        [&] {
            found = companionJidOf(bareJid);
            return !found.isEmpty() && found != other;
        },
        timeoutMs);
    return seen ? found : QString();
}

} // namespace tilvano::test
