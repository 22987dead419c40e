#include "support/DovecotServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <unistd.h>

namespace tilvano::test {

namespace {

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Reads until the line of the tagged reply (or a continuation) arrives.
bool readUntil(QTcpSocket &socket, const QByteArray &marker, QByteArray *seen)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        while (socket.canReadLine()) {
            const QByteArray line = socket.readLine();
            *seen += line;
            if (line.startsWith(marker))
                return true;
        }
        if (!socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    return false;
}

} // namespace

bool DovecotServer::isInstalled()
{
    return QFile::exists(QStringLiteral("/usr/sbin/dovecot")) && QFile::exists(QStringLiteral("/usr/lib/dovecot/imap"));
}

bool DovecotServer::start(int timeoutMs)
{
    m_server.stop();
    if (!m_dir.isValid() || !isInstalled()) {
        m_error = QStringLiteral("dovecot-imapd is not installed");
        return false;
    }
    m_port = LoopbackServerProcess::freePort();
    m_tlsPort = LoopbackServerProcess::freePort();
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                   QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), path(QStringLiteral("key.pem")),
                   QStringLiteral("-out"), path(QStringLiteral("cert.pem"))});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        m_error = QStringLiteral("openssl could not make a certificate: ") + QString::fromUtf8(openssl.readAllStandardError());
        return false;
    }
    QDir().mkpath(path(QStringLiteral("run")));
    QDir().mkpath(path(QStringLiteral("home")));
    // Dovecot refuses mail access as root; running as root, the mail belongs
    // to "nobody", who needs a way into the folder.
    const uid_t mailUid = ::getuid() == 0 ? 65534 : ::getuid();
    const gid_t mailGid = ::getuid() == 0 ? 65534 : ::getgid();
    if (::getuid() == 0) {
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther);
        if (::chown(QFile::encodeName(path(QStringLiteral("home"))).constData(), mailUid, mailGid) != 0)
            return false;
    }
    const QByteArray uid = QByteArray::number(mailUid);
    const QByteArray gid = QByteArray::number(mailGid);
    if (!writeText(path(QStringLiteral("users")), user().toUtf8() + ":{PLAIN}" + password().toUtf8() + "\n"))
        return false;
    const QByteArray config = "base_dir = " + path(QStringLiteral("run")).toUtf8() + "\n"
        "state_dir = " + path(QStringLiteral("state")).toUtf8() + "\n"
        "log_path = " + path(QStringLiteral("dovecot.log")).toUtf8() + "\n"
        "protocols = imap\n"
        "listen = 127.0.0.1\n"
        "ssl = yes\n"
        "ssl_cert = <" + path(QStringLiteral("cert.pem")).toUtf8() + "\n"
        "ssl_key = <" + path(QStringLiteral("key.pem")).toUtf8() + "\n"
        "disable_plaintext_auth = no\n"
        "auth_mechanisms = plain login\n"
        "first_valid_uid = 0\n"
        "default_internal_user = dovecot\n"
        "default_login_user = dovenull\n"
        "mail_location = maildir:~/Maildir\n"
        "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " + path(QStringLiteral("users")).toUtf8() + "\n}\n"
        "userdb {\n  driver = static\n  args = uid=" + uid + " gid=" + gid + " home=" + path(QStringLiteral("home")).toUtf8() + "/%u\n}\n"
        "namespace inbox {\n  inbox = yes\n  separator = /\n  mailbox Sent {\n    auto = subscribe\n    special_use = \\Sent\n  }\n}\n"
        "service imap-login {\n  inet_listener imap {\n    address = 127.0.0.1\n    port = " + QByteArray::number(m_port) + "\n  }\n"
        "  inet_listener imaps {\n    address = 127.0.0.1\n    port = " + QByteArray::number(m_tlsPort) + "\n  }\n}\n"
        "service pop3-login {\n  inet_listener pop3 {\n    port = 0\n  }\n}\n"
        "service doveadm {\n  unix_listener doveadm-server {\n    mode = 0600\n  }\n}\n";
    if (!writeText(path(QStringLiteral("dovecot.conf")), config))
        return false;

    if (!m_server.start(QStringLiteral("/usr/sbin/dovecot"),
                        {QStringLiteral("-F"), QStringLiteral("-c"), path(QStringLiteral("dovecot.conf"))}, m_port,
                        timeoutMs)) {
        m_error = m_server.error() + log();
        return false;
    }
    return true;
}

void DovecotServer::stop()
{
    m_server.stop();
}

bool DovecotServer::kickUser()
{
    QProcess doveadm;
    doveadm.start(QStringLiteral("doveadm"),
                  {QStringLiteral("-c"), path(QStringLiteral("dovecot.conf")), QStringLiteral("kick"), user()});
    return doveadm.waitForFinished(10000) && doveadm.exitCode() == 0;
}

QString DovecotServer::log() const
{
    return LoopbackServerProcess::tailOf(path(QStringLiteral("dovecot.log")));
}

QByteArray DovecotServer::converse(const QList<QByteArray> &commands)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    QByteArray replies;
    if (!socket.waitForConnected(5000) || !readUntil(socket, "* OK", &replies))
        return {};
    const QList<QByteArray> all = QList<QByteArray>{"LOGIN " + user().toUtf8() + " " + password().toUtf8()} + commands
        + QList<QByteArray>{"LOGOUT"};
    int tag = 0;
    for (const QByteArray &command : all) {
        const QByteArray name = "t" + QByteArray::number(++tag);
        // A literal goes in two steps: the command up to "{n}", then the data.
        const qsizetype literal = command.indexOf("}\r\n");
        if (literal >= 0) {
            socket.write(name + ' ' + command.left(literal + 3));
            if (!readUntil(socket, "+", &replies))
                return {};
            socket.write(command.mid(literal + 3) + "\r\n");
        } else {
            socket.write(name + ' ' + command + "\r\n");
        }
        if (!readUntil(socket, name + ' ', &replies))
            return {};
        if (!replies.mid(replies.lastIndexOf(name + ' ')).startsWith(name + " OK"))
            return {};
    }
    return replies;
}

bool DovecotServer::append(const QString &folder, const QByteArray &message, const QByteArray &flags)
{
    QByteArray normalized = message;
    normalized.replace("\r\n", "\n").replace("\n", "\r\n");
    return !converse({"APPEND \"" + folder.toUtf8() + "\" (" + flags + ") {" + QByteArray::number(normalized.size())
                      + "}\r\n" + normalized})
                .isEmpty();
}

QStringList DovecotServer::flags(const QString &folder)
{
    const QByteArray replies = converse({"EXAMINE \"" + folder.toUtf8() + "\"", "FETCH 1:* (FLAGS)"});
    QStringList found;
    static const QRegularExpression fetch(QStringLiteral("\\* \\d+ FETCH \\(FLAGS \\(([^)]*)\\)"));
    for (auto it = fetch.globalMatch(QString::fromUtf8(replies)); it.hasNext();)
        found << it.next().captured(1);
    return found;
}

bool DovecotServer::setSeen(const QString &folder, const QByteArray &sequenceSet)
{
    return !converse({"SELECT \"" + folder.toUtf8() + "\"", "STORE " + sequenceSet + " +FLAGS (\\Seen)"}).isEmpty();
}

} // namespace tilvano::test
