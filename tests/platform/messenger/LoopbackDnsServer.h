#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QUdpSocket>

namespace tilvano::test {

// A name server on a loopback address of its own (127.x.y.z, port 53, as
// resolvers only ask that port) that knows SRV records of the test's
// choosing and answers every other question with "no such name".
class LoopbackDnsServer {
public:
    struct SrvRecord {
        QString name;   // "_xmpp-client._tcp.localhost"
        QString target; // "localhost"
        quint16 port = 0;
        quint16 priority = 0;
        quint16 weight = 0;
    };

    // Binds to a free loopback address; false (and error() says why) when
    // port 53 cannot be had (it needs root or CAP_NET_BIND_SERVICE).
    bool start();
    QHostAddress address() const { return m_socket.localAddress(); }
    QString error() const { return m_error; }
    void addSrv(const SrvRecord &record) { m_records.append(record); }
    int questionsAnswered() const { return m_answered; }

private:
    void answer();
    QByteArray replyTo(const QByteArray &query) const;

    QUdpSocket m_socket;
    QList<SrvRecord> m_records;
    QString m_error;
    int m_answered = 0;
};

} // namespace tilvano::test
