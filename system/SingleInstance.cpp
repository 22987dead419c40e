#include "system/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <utility>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace tilvano {

namespace {

constexpr int kAnswerTimeoutMs = 2000;
constexpr QByteArrayView kAnswer = "ok";

// Closes the descriptor when the scope ends, whichever way it ends.
struct OwnedDescriptor {
    int fd = -1;
    ~OwnedDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The causes a user can do something about, in the user's language; the
// system's own text for the rest.
QString reasonOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("keine Berechtigung");
    case ENOENT: return QStringLiteral("der Ordner fehlt");
    case EISDIR: return QStringLiteral("an der Stelle liegt ein Ordner");
    case EROFS: return QStringLiteral("das Dateisystem ist nur lesbar");
    case ENOSPC: return QStringLiteral("der Datenträger ist voll");
    case ENOLCK: return QStringLiteral("das Dateisystem kann nicht sperren");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool fillAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// One request of a later instance being read: the text up to its end of file.
// Owns the connection; a peer that neither finishes nor goes away is dropped
// after a while so that it cannot pin descriptors for good.
class PendingRequest : public QObject {
public:
    PendingRequest(int fd, QObject *parent, std::function<void(const QString &)> onComplete)
        : QObject(parent), m_fd(fd), m_onComplete(std::move(onComplete))
    {
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier] {
            if (!readAvailable())
                notifier->setEnabled(false);
        });
        QTimer::singleShot(kAnswerTimeoutMs, this, [this] { finish(); });
    }
    ~PendingRequest() override { closeConnection(); }

private:
    // False once the request is complete or refused.
    bool readAvailable()
    {
        char chunk[4096];
        for (;;) {
            const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (got > 0) {
                m_bytes.append(chunk, got);
                if (m_bytes.size() > SingleInstance::maxMessageBytes) {
                    finish(); // garbage or a hostile peer: no answer, no activation
                    return false;
                }
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            if (got == 0) {
                // Answer first, so the asking process can end before we get busy.
                ::send(m_fd, kAnswer.data(), size_t(kAnswer.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
                // Reported from the event loop: a receiver may well tear the instance
                // (and with it this request) down.
                QTimer::singleShot(0, parent(), [onComplete = m_onComplete, message = QString::fromUtf8(m_bytes)] {
                    onComplete(message);
                });
                finish();
                return false;
            }
            finish();
            return false;
        }
    }

    void finish()
    {
        closeConnection();
        deleteLater();
    }

    void closeConnection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd;
    QByteArray m_bytes;
    std::function<void(const QString &)> m_onComplete;
};

} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

SingleInstance::~SingleInstance() { release(); }

QString SingleInstance::baseName() const
{
    // Window titles hold blanks and umlauts; a hash gives a safe file name.
    const QByteArray key = QString(m_name + QLatin1Char('@') + QString::number(getuid())).toUtf8();
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/tilvano-")
           + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16));
}

QString SingleInstance::lockPath() const { return baseName() + QStringLiteral(".lock"); }

QString SingleInstance::socketPath() const { return baseName() + QStringLiteral(".socket"); }

SingleInstance::Acquisition SingleInstance::acquire()
{
    if (m_primary)
        return Acquisition::Acquired;
    m_lockProblem.clear();
    // The file stays when we end: removing it could let two later instances lock two different files.
    OwnedDescriptor lock{::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)};
    if (lock.fd < 0) {
        m_lockProblem = QStringLiteral("Die Sperrdatei %1 lässt sich nicht anlegen: %2.").arg(lockPath(), reasonOf(errno));
        return Acquisition::Unavailable;
    }
    if (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Acquisition::HeldElsewhere;
        m_lockProblem = QStringLiteral("Die Sperrdatei %1 lässt sich nicht sperren: %2.").arg(lockPath(), reasonOf(errno));
        return Acquisition::Unavailable;
    }
    ::fchmod(lock.fd, S_IRUSR | S_IWUSR); // also when an older file was made with wider rights
    m_lockFd = std::exchange(lock.fd, -1);
    m_primary = true;
    // Without a socket we are still the only instance; later ones are just not answered.
    listen();
    return Acquisition::Acquired;
}

bool SingleInstance::listen()
{
    // Bound under a name of its own, made private, then moved over whatever a
    // crashed instance left behind: a peer only ever finds a finished socket.
    const QString finalPath = socketPath();
    const QString boundPath = finalPath + QLatin1Char('.') + QString::number(getpid());
    sockaddr_un address;
    if (!fillAddress(boundPath, address))
        return false;
    OwnedDescriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (socket.fd < 0)
        return false;
    const QByteArray bound = QFile::encodeName(boundPath);
    ::unlink(bound.constData());
    if (::bind(socket.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return false;
    if (::chmod(bound.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(socket.fd, 16) != 0
        || ::rename(bound.constData(), QFile::encodeName(finalPath).constData()) != 0) {
        ::unlink(bound.constData());
        return false;
    }
    m_listenFd = std::exchange(socket.fd, -1);
    m_listener = new QSocketNotifier(m_listenFd, QSocketNotifier::Read, this);
    connect(m_listener, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0)
            serve(fd);
        else if (errno != EINTR)
            return; // EAGAIN: all taken; anything else: try again on the next wake-up
    }
}

void SingleInstance::serve(int fd)
{
    new PendingRequest(fd, this, [this](const QString &message) { emit activationRequested(message); });
}

bool SingleInstance::activateRunningInstance(const QString &message) const
{
    sockaddr_un address;
    if (!fillAddress(socketPath(), address))
        return false;
    OwnedDescriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    if (socket.fd < 0)
        return false;
    // Bounds the connect (full backlog), the send and the wait for the answer.
    timeval timeout{kAnswerTimeoutMs / 1000, (kAnswerTimeoutMs % 1000) * 1000};
    ::setsockopt(socket.fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket.fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return false;
    const QByteArray request = message.isEmpty() ? QByteArray("activate") : message.toUtf8();
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    ::shutdown(socket.fd, SHUT_WR); // the end of file ends the request
    char answer[8];
    ssize_t got;
    do {
        got = ::recv(socket.fd, answer, sizeof answer, 0);
    } while (got < 0 && errno == EINTR);
    return got > 0;
}

void SingleInstance::release()
{
    if (m_listener) {
        delete m_listener;
        m_listener = nullptr;
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
    if (m_lockFd >= 0) {
        ::close(m_lockFd); // drops the lock
        m_lockFd = -1;
    }
    m_primary = false;
}

} // namespace tilvano
