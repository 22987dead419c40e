#pragma once

#include "support/LoopbackServerProcess.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tilvano::test {

// A Dovecot IMAP server of its own on loopback for one test program: config,
// mail, state and log in a temporary folder, a free port, one throw-away
// user with a password from a file, plain log-in allowed (loopback only),
// an INBOX and a "Sent" folder. A second port speaks TLS, and the first
// offers STARTTLS, both with a self-signed certificate that no client
// should trust. Stopped when the object goes, and by the
// kernel should the test program die first.
//
// It also speaks IMAP itself, as "the user's other client": appending
// mail, reading flags, setting a flag, all without our own IMAP code.
class DovecotServer {
public:
    static bool isInstalled();

    bool start(int timeoutMs = 20000);
    void stop();
    // Ends the user's open connections, as a server restart or a network
    // failure would.
    bool kickUser();

    quint16 port() const { return m_port; }
    quint16 tlsPort() const { return m_tlsPort; }
    QString user() const { return QStringLiteral("anna"); }
    QString password() const { return QStringLiteral("geheim-42"); }
    QString lastError() const { return m_error; }
    QString log() const;

    // The other client: each call logs in, does its work and logs out.
    bool append(const QString &folder, const QByteArray &message, const QByteArray &flags = QByteArray());
    // Flags of every message in the folder, in order ("\\Seen" etc.).
    QStringList flags(const QString &folder);
    // Marks messages read, by sequence numbers ("1", "3:5", "1:*").
    bool setSeen(const QString &folder, const QByteArray &sequenceSet);

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Runs tagged commands on a fresh connection; the replies, or empty on failure.
    QByteArray converse(const QList<QByteArray> &commands);

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    quint16 m_tlsPort = 0;
    LoopbackServerProcess m_server;
    QString m_error;
};

} // namespace tilvano::test
