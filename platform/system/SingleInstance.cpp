#include "platform/system/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <unistd.h>

namespace tilvano {

namespace {
constexpr int kAnswerTimeoutMs = 2000;
}

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() { release(); }

QString SingleInstance::socketName() const
{
    // Window titles hold blanks and umlauts; a hash gives a safe socket name.
    const QByteArray key = QString(m_name + QLatin1Char('@') + QString::number(getuid())).toUtf8();
    return QStringLiteral("tilvano-")
           + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

QString SingleInstance::lockPath() const
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + socketName() + QStringLiteral(".lock");
}

bool SingleInstance::tryAcquire()
{
    if (m_primary)
        return true;
    m_lock = std::make_unique<QLockFile>(lockPath());
    m_lock->setStaleLockTime(0); // a lock of a dead process is stale at once
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketName());
    m_server->listen(socketName());
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                const QString message = QString::fromUtf8(socket->readAll());
                socket->write("ok");
                socket->flush();
                socket->disconnectFromServer();
                emit activationRequested(message);
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_primary = true;
    return true;
}

bool SingleInstance::activateRunningInstance(const QString &message) const
{
    QLocalSocket socket;
    socket.connectToServer(socketName());
    if (!socket.waitForConnected(kAnswerTimeoutMs))
        return false;
    socket.write(message.isEmpty() ? QByteArray("activate") : message.toUtf8());
    socket.flush();
    return socket.waitForReadyRead(kAnswerTimeoutMs);
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    m_lock.reset();
    m_primary = false;
}

} // namespace tilvano
