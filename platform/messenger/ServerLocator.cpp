#include "platform/messenger/ServerLocator.h"

#include <QDnsLookup>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>

namespace tilvano::messenger {

namespace {

constexpr quint16 standardClientPort = 5222;

bool isLocalIPv4(quint32 address)
{
    const QHostAddress v4(address);
    for (const auto &[network, bits] : {std::pair{"127.0.0.0", 8}, {"10.0.0.0", 8}, {"172.16.0.0", 12},
                                        {"192.168.0.0", 16}, {"169.254.0.0", 16}}) {
        if (v4.isInSubnet(QHostAddress(QString::fromLatin1(network)), bits))
            return true;
    }
    return false;
}

} // namespace

QList<SrvTarget> orderSrvTargets(QList<SrvTarget> targets, const std::function<quint32(quint32)> &random)
{
    // Within a priority, those without weight first: they are then chosen
    // only when the draw falls on zero, as the RFC has it.
    std::stable_sort(targets.begin(), targets.end(), [](const SrvTarget &a, const SrvTarget &b) {
        return a.priority != b.priority ? a.priority < b.priority : (a.weight == 0 && b.weight != 0);
    });
    QList<SrvTarget> ordered;
    while (!targets.isEmpty()) {
        const quint16 priority = targets.first().priority;
        qsizetype groupEnd = 0;
        quint32 total = 0;
        while (groupEnd < targets.size() && targets.at(groupEnd).priority == priority)
            total += targets.at(groupEnd++).weight;
        const quint32 draw = random(total + 1);
        quint32 running = 0;
        qsizetype chosen = groupEnd - 1;
        for (qsizetype i = 0; i < groupEnd; ++i) {
            running += targets.at(i).weight;
            if (running >= draw) {
                chosen = i;
                break;
            }
        }
        ordered.append(targets.takeAt(chosen));
    }
    return ordered;
}

bool isLocalNetworkAddress(const QHostAddress &address)
{
    if (address.isLoopback())
        return true;
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return isLocalIPv4(v4);
    // Unique local (fc00::/7) and link-local (fe80::/10).
    return address.isInSubnet(QHostAddress(QStringLiteral("fc00::")), 7)
        || address.isInSubnet(QHostAddress(QStringLiteral("fe80::")), 10);
}

ServerLocator::ServerLocator(QObject *parent)
    : QObject(parent)
{
}

ServerLocator::~ServerLocator()
{
    abort();
}

void ServerLocator::locate(const QString &domain, const std::optional<ServerAddress> &override)
{
    abort();
    const quint64 generation = m_generation;
    m_domain = domain;
    m_endpoints.clear();
    if (override) {
        m_hosts = {*override};
        // Always answered later, never inside the call.
        QTimer::singleShot(0, this, [this, generation] {
            if (generation == m_generation)
                resolveNext();
        });
        return;
    }
    m_srv = std::make_unique<QDnsLookup>(QDnsLookup::SRV, QStringLiteral("_xmpp-client._tcp.") + domain);
    if (!m_nameserver.isNull())
        m_srv->setNameserver(m_nameserver);
    connect(m_srv.get(), &QDnsLookup::finished, this, &ServerLocator::srvFinished);
    m_srv->lookup();
}

void ServerLocator::abort()
{
    ++m_generation;
    if (m_hostLookup >= 0)
        QHostInfo::abortHostLookup(m_hostLookup);
    m_hostLookup = -1;
    if (m_srv) {
        m_srv->disconnect(this);
        m_srv->abort();
        // It may be the one whose signal is being delivered.
        m_srv.release()->deleteLater();
    }
    m_hosts.clear();
}

void ServerLocator::srvFinished()
{
    QList<SrvTarget> targets;
    for (const QDnsServiceRecord &record : m_srv->serviceRecords()) {
        QString host = record.target();
        if (host.endsWith(QLatin1Char('.')))
            host.chop(1);
        targets.append({host, record.port(), record.priority(), record.weight()});
    }
    m_srv.release()->deleteLater();

    // A single record naming "." says the domain offers no chat service.
    if (targets.size() == 1 && targets.first().host.isEmpty()) {
        emit located({}, QStringLiteral("Die Domain %1 bietet keinen Chat-Dienst an.").arg(m_domain));
        return;
    }
    // Without records (or an answer), the domain itself serves on the
    // standard port.
    if (targets.isEmpty())
        m_hosts = {ServerAddress{m_domain, standardClientPort}};
    const auto random = [](quint32 n) { return QRandomGenerator::global()->bounded(n); };
    for (const SrvTarget &target : orderSrvTargets(targets, random))
        m_hosts.append(ServerAddress{target.host, target.port});
    resolveNext();
}

void ServerLocator::resolveNext()
{
    while (!m_hosts.isEmpty()) {
        const ServerAddress next = m_hosts.takeFirst();
        QHostAddress literal;
        if (literal.setAddress(next.host)) {
            m_endpoints.append({literal, next.port, next.host});
            continue;
        }
        const quint64 generation = m_generation;
        m_hostLookup = QHostInfo::lookupHost(next.host, this, [this, next, generation](const QHostInfo &info) {
            if (generation != m_generation)
                return;
            m_hostLookup = -1;
            for (const QHostAddress &address : info.addresses())
                m_endpoints.append({address, next.port, next.host});
            resolveNext();
        });
        return;
    }
    emit located(m_endpoints, m_endpoints.isEmpty()
                                  ? QStringLiteral("Der Chat-Server für %1 wurde nicht gefunden.").arg(m_domain)
                                  : QString());
}

} // namespace tilvano::messenger
