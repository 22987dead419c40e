#pragma once

#include "support/LoopbackServerProcess.h"

#include <QString>
#include <QTemporaryDir>

namespace tilvano::test {

// A Prosody server of its own on loopback for one test program: config, data,
// pid file and log in a temporary folder, a free port, plain log-in allowed
// (loopback only), a shared group so the accounts see each other's presence,
// Message Carbons, and offline storage. Stopped when the object goes, and by the kernel should the test
// program die first.
class ProsodyServer {
public:
    static bool isInstalled();

    // Demands TLS with this certificate (call before prepare).
    void requireTls(const QString &certificate, const QString &key);
    // Writes the config with the contacts' roster names (bare JID, name).
    bool prepare(const QList<QPair<QString, QString>> &groupMembers);
    bool registerAccount(const QString &user, const QString &password);
    // Starts the server and waits until it accepts connections.
    bool start(int timeoutMs = 20000);
    void stop();
    bool isRunning() const;
    // Freezes the server, as a hung one or a dead link would look: its
    // connections stay open but nothing answers. resume() thaws it.
    bool freeze();
    bool resume();

    quint16 port() const { return m_port; }
    QString domain() const { return QStringLiteral("localhost"); }
    QString log() const;
    QString lastError() const { return m_error; }

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    LoopbackServerProcess m_server;
    QString m_error;
    QString m_certificate;
    QString m_key;
};

} // namespace tilvano::test
