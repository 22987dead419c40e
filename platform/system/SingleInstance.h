#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace tilvano {

// One running instance per user and name. The first instance holds a lock and
// listens for the others; a later instance finds the lock taken and can ask the
// first one to come to the front (activationRequested is raised there).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the only instance.
    bool tryAcquire();
    bool isPrimary() const { return m_primary; }
    // From a later instance: asks the running one to come forward. True when it answered.
    bool activateRunningInstance(const QString &message = QString()) const;
    // Gives the instance up (for a window that closes while the process goes on).
    void release();

signals:
    void activationRequested(const QString &message);

private:
    QString socketName() const;
    QString lockPath() const;

    QString m_name;
    bool m_primary = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace tilvano
