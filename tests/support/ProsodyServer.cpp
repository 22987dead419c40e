#include "support/ProsodyServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace tilvano::test {

namespace {

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString luaString(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

ProsodyServer::ProsodyServer() = default;

ProsodyServer::~ProsodyServer()
{
    stop();
}

bool ProsodyServer::isInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("prosody")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("prosodyctl")).isEmpty();
}

void ProsodyServer::requireTls(const QString &certificate, const QString &key)
{
    m_certificate = certificate;
    m_key = key;
}

bool ProsodyServer::prepare(const QList<QPair<QString, QString>> &groupMembers)
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return false;
    }
    m_port = freeLoopbackPort();
    QFile groups(path(QStringLiteral("groups.txt")));
    if (!groups.open(QIODevice::WriteOnly))
        return false;
    groups.write("[Freunde]\n");
    for (const auto &[jid, name] : groupMembers)
        groups.write((jid + QLatin1Char('=') + name + QLatin1Char('\n')).toUtf8());
    groups.close();

    const QString config = QStringLiteral(R"(
-- Started as root in containers: data and pid file are in our own folder.
run_as_root = true
daemonize = false
pidfile = %1
data_path = %2
log = { debug = %3 }
plugin_paths = {}
interfaces = { "127.0.0.1" }
c2s_interfaces = { "127.0.0.1" }
c2s_ports = { %4 }
s2s_ports = {}
http_ports = {}
https_ports = {}
certificates = %5
c2s_require_encryption = %7
allow_unencrypted_plain_auth = true
authentication = "internal_hashed"
storage = "internal"
modules_enabled = { "roster"; "saslauth"; "disco"; "presence"; "message"; "iq"; "vcard_legacy"; "groups"; "ping"; "carbons"; "offline"; %8 }
modules_disabled = { "s2s"; "posix" }
groups_file = %6
VirtualHost "localhost"
%9
Component "conference.localhost" "muc"
    muc_room_locking = false
)")
                               .arg(luaString(path(QStringLiteral("prosody.pid"))), luaString(path(QStringLiteral("data"))),
                                    luaString(path(QStringLiteral("prosody.log"))), QString::number(m_port),
                                    luaString(path(QStringLiteral("certs"))), luaString(path(QStringLiteral("groups.txt"))))
                               .arg(m_certificate.isEmpty() ? QStringLiteral("false") : QStringLiteral("true"),
                                    m_certificate.isEmpty() ? QString() : QStringLiteral("\"tls\""),
                                    m_certificate.isEmpty() ? QString()
                                                            : QStringLiteral("    ssl = { certificate = %1; key = %2 }")
                                                                  .arg(luaString(m_certificate), luaString(m_key)));
    QFile file(path(QStringLiteral("prosody.cfg.lua")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(config.toUtf8());
    return m_port != 0;
}

bool ProsodyServer::registerAccount(const QString &user, const QString &password)
{
    QProcess ctl;
    ctl.start(QStringLiteral("prosodyctl"), {QStringLiteral("--config"), path(QStringLiteral("prosody.cfg.lua")),
                                              QStringLiteral("register"), user, domain(), password});
    if (!ctl.waitForFinished(30000) || ctl.exitCode() != 0) {
        m_error = QString::fromUtf8(ctl.readAllStandardError() + ctl.readAllStandardOutput());
        return false;
    }
    return true;
}

bool ProsodyServer::start(int timeoutMs)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    // Should the test program crash, the kernel ends the server with it.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->start(QStringLiteral("prosody"), {QStringLiteral("--config"), path(QStringLiteral("prosody.cfg.lua"))});
    if (!m_process->waitForStarted(10000)) {
        m_error = m_process->errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() != QProcess::Running) {
            m_error = QString::fromUtf8(m_process->readAll());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(1000))
            return true;
        // Refused at once while the server is still loading; wait on the
        // process rather than spinning.
        m_process->waitForFinished(100);
    }
    m_error = QStringLiteral("server did not open its port in time");
    return false;
}

void ProsodyServer::stop()
{
    if (!m_process)
        return;
    resume();
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
}

bool ProsodyServer::freeze()
{
    return isRunning() && ::kill(pid_t(m_process->processId()), SIGSTOP) == 0;
}

bool ProsodyServer::resume()
{
    return isRunning() && ::kill(pid_t(m_process->processId()), SIGCONT) == 0;
}

bool ProsodyServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString ProsodyServer::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("prosody.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll().right(4000)) : QString();
}

} // namespace tilvano::test
