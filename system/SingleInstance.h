#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tilvano {

// One running instance per user and name. The first instance holds a lock and
// listens on a private local socket for the others; a later instance finds the
// lock taken and can ask the first one to come to the front (activationRequested
// is raised there).
//
// A plain Unix socket rather than Qt's local socket classes: those live in the
// network module, whose loading (with Kerberos, proxy and compression libraries
// behind it) cost every program start more than everything else this class does.
// The lock is an flock() on the lock file: the kernel drops it when the process
// ends, however it ends, so no lock is ever stale and nothing needs syncing to disk.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    enum class Acquisition {
        Acquired,     // this process is now the only instance
        HeldElsewhere, // another instance runs
        Unavailable,  // the lock could not be made: nobody can tell (lockProblem says why)
    };
    Acquisition acquire();
    // True when this process is now the only instance.
    bool tryAcquire() { return acquire() == Acquisition::Acquired; }
    // Why the last acquire() found the lock unavailable: a German sentence for the user.
    QString lockProblem() const { return m_lockProblem; }
    bool isPrimary() const { return m_primary; }
    // From a later instance: asks the running one to come forward. True when it answered.
    bool activateRunningInstance(const QString &message = QString()) const;
    // Gives the instance up (for a window that closes while the process goes on).
    void release();

    // Where the lock and the socket live (both readable by this user only).
    QString lockPath() const;
    QString socketPath() const;

    // The longest request a running instance reads; longer ones get no answer.
    static constexpr qsizetype maxMessageBytes = 64 * 1024;

signals:
    void activationRequested(const QString &message);

private:
    QString baseName() const;
    bool listen();
    void acceptConnections();
    void serve(int fd);

    QString m_name;
    QString m_lockProblem;
    bool m_primary = false;
    int m_lockFd = -1;
    int m_listenFd = -1;
    QSocketNotifier *m_listener = nullptr;
};

} // namespace tilvano
