#pragma once

#include "platform/messenger/MessengerAccount.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QDnsLookup;

namespace tilvano::messenger {

// One place to try a connection: a numeric address, its port, and the name
// it was found under (what the server's certificate must name).
struct ServerEndpoint {
    QHostAddress address;
    quint16 port = 5222;
    QString host;
};

// A server named by the domain's SRV records.
struct SrvTarget {
    QString host;
    quint16 port = 0;
    quint16 priority = 0;
    quint16 weight = 0;
};

// The order in which to try SRV targets: by priority, and within one
// priority at random in proportion to the weights (RFC 2782). random(n)
// gives a number from 0 to n - 1.
QList<SrvTarget> orderSrvTargets(QList<SrvTarget> targets, const std::function<quint32(quint32)> &random);

// Loopback, private and link-local addresses: a server in the user's own
// network, the only kind the unencrypted exception applies to.
bool isLocalNetworkAddress(const QHostAddress &address);

// Finds where a chat server listens, without blocking: the server the user
// named, or else the one the domain announces by DNS SRV
// (_xmpp-client._tcp.<domain>), or else the domain itself on the standard
// port. Names are resolved to addresses in the background too.
class ServerLocator : public QObject {
    Q_OBJECT
public:
    explicit ServerLocator(QObject *parent = nullptr);
    ~ServerLocator() override;

    // Asks the given name server instead of the system's (for tests).
    void setNameserver(const QHostAddress &nameserver) { m_nameserver = nameserver; }

    // Starts looking; a search still running is dropped. located() follows
    // (with an empty list when nothing was found, and a German reason).
    void locate(const QString &domain, const std::optional<ServerAddress> &override);
    void abort();

signals:
    void located(const QList<tilvano::messenger::ServerEndpoint> &endpoints, const QString &problem);

private:
    void srvFinished();
    void resolveNext();

    QHostAddress m_nameserver;
    std::unique_ptr<QDnsLookup> m_srv;
    QString m_domain;
    QList<ServerAddress> m_hosts;
    QList<ServerEndpoint> m_endpoints;
    int m_hostLookup = -1;
    quint64 m_generation = 0;
};

} // namespace tilvano::messenger
