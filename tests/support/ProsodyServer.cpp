#include "support/ProsodyServer.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace tilvano::test {

namespace {

QString luaString(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

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
    m_port = LoopbackServerProcess::freePort();
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
    if (m_server.start(QStringLiteral("prosody"), {QStringLiteral("--config"), path(QStringLiteral("prosody.cfg.lua"))},
                       m_port, timeoutMs))
        return true;
    m_error = m_server.error();
    return false;
}

void ProsodyServer::stop()
{
    m_server.stop();
}

bool ProsodyServer::freeze()
{
    return m_server.freeze();
}

bool ProsodyServer::resume()
{
    return m_server.resume();
}

bool ProsodyServer::isRunning() const
{
    return m_server.isRunning();
}

QString ProsodyServer::log() const
{
    return LoopbackServerProcess::tailOf(path(QStringLiteral("prosody.log")));
}

} // namespace tilvano::test
