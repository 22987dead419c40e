#include "LoopbackDnsServer.h"

#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QtEndian>

namespace tilvano::test {

namespace {

constexpr quint16 typeSrv = 33;
constexpr int headerSize = 12;

void appendU16(QByteArray &out, quint16 value)
{
    out.append(char(value >> 8)).append(char(value & 0xff));
}

void appendName(QByteArray &out, const QString &name)
{
    for (const QString &label : name.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        const QByteArray bytes = label.toUtf8();
        out.append(char(bytes.size())).append(bytes);
    }
    out.append('\0');
}

// The question's name and the offset just past it; empty on a malformed one.
QString questionName(const QByteArray &query, int *end)
{
    QStringList labels;
    int at = headerSize;
    while (at < query.size()) {
        const int length = quint8(query.at(at));
        if (length == 0) {
            *end = at + 1;
            return labels.join(QLatin1Char('.'));
        }
        if (length > 63 || at + 1 + length > query.size())
            break;
        labels.append(QString::fromUtf8(query.mid(at + 1, length)));
        at += 1 + length;
    }
    return {};
}

} // namespace

bool LoopbackDnsServer::start()
{
    // A random address in 127/8, so that test programs running at the same
    // time do not meet.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const quint32 host = QRandomGenerator::global()->bounded(1u, 0xfffeu);
        const QHostAddress address((127u << 24) | (quint32(QRandomGenerator::global()->bounded(1u, 255u)) << 16) | host);
        if (m_socket.bind(address, 53)) {
            QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { answer(); });
            return true;
        }
        m_error = m_socket.errorString();
        if (m_socket.error() == QAbstractSocket::SocketAccessError)
            break;
    }
    return false;
}

void LoopbackDnsServer::answer()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram query = m_socket.receiveDatagram();
        const QByteArray reply = replyTo(query.data());
        if (reply.isEmpty())
            continue;
        m_socket.writeDatagram(reply, query.senderAddress(), quint16(query.senderPort()));
        ++m_answered;
    }
}

QByteArray LoopbackDnsServer::replyTo(const QByteArray &query) const
{
    int questionEnd = 0;
    const QString name = questionName(query, &questionEnd);
    if (name.isEmpty() || questionEnd + 4 > query.size())
        return {};
    const quint16 type = qFromBigEndian<quint16>(query.constData() + questionEnd);

    QList<SrvRecord> answers;
    for (const SrvRecord &record : m_records) {
        if (type == typeSrv && record.name.compare(name, Qt::CaseInsensitive) == 0)
            answers.append(record);
    }
    QByteArray reply = query.left(2);                 // the question's id
    appendU16(reply, answers.isEmpty() ? 0x8183 : 0x8180); // answer, recursion; "no such name" or fine
    appendU16(reply, 1);
    appendU16(reply, quint16(answers.size()));
    appendU16(reply, 0);
    appendU16(reply, 0);
    reply.append(query.mid(headerSize, questionEnd + 4 - headerSize));
    for (const SrvRecord &record : answers) {
        appendU16(reply, 0xc000 | headerSize);        // the name, pointing at the question's
        appendU16(reply, typeSrv);
        appendU16(reply, 1);                          // class IN
        reply.append(QByteArray("\0\0\0\x3c", 4));   // one minute to live
        QByteArray data;
        appendU16(data, record.priority);
        appendU16(data, record.weight);
        appendU16(data, record.port);
        appendName(data, record.target);
        appendU16(reply, quint16(data.size()));
        reply.append(data);
    }
    return reply;
}

} // namespace tilvano::test
