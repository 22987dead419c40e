#include "support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace tilvano::test {

namespace {

constexpr int startMs = 20000;
const QString secretsName = QStringLiteral("org.freedesktop.secrets");

// A session bus that knows no services to start: only what the test starts
// itself is there.
QString busConfig(const QString &dir)
{
    return QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <servicedir>%1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
        .arg(dir.toHtmlEscaped());
}

} // namespace

PrivateSessionBus::PrivateSessionBus(SecretStore secretStore)
{
    m_hadAddress = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS");
    m_previousAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("services"));
    QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
    if (!config.open(QIODevice::WriteOnly) || config.write(busConfig(m_dir.path()).toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write the bus configuration");
        return;
    }
    config.close();
    if (!startBus(QStringLiteral("--config-file=") + config.fileName(), environment()))
        return;
    m_ownsAddress = true;
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    if (secretStore == SecretStore::Keyring)
        startKeyring();
}

PrivateSessionBus::PrivateSessionBus(const QString &configFile, const QProcessEnvironment &environment)
{
    startBus(configFile.isEmpty() ? QStringLiteral("--session") : QStringLiteral("--config-file=") + configFile,
             environment);
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (auto *process : {m_keyring.get(), m_bus.get()}) {
        if (!process || process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    if (!m_ownsAddress)
        return;
    if (m_hadAddress)
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_previousAddress);
    else
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

std::unique_ptr<QProcess> PrivateSessionBus::startChild(const QString &program, const QStringList &arguments,
                                                         const QProcessEnvironment &environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    // Should the test program crash, the kernel ends its helpers with it.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start(program, arguments);
    if (!process->waitForStarted(startMs))
        m_error = program + QStringLiteral(": ") + process->errorString();
    return process;
}

bool PrivateSessionBus::startBus(const QString &configuration, const QProcessEnvironment &environment)
{
    m_bus = startChild(QStringLiteral("dbus-daemon"),
                       {configuration, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")}, environment);
    if (!m_error.isEmpty())
        return false;
    if (!QTest::qWaitFor([this] { return m_bus->canReadLine() || m_bus->state() != QProcess::Running; }, startMs)
        || !m_bus->canReadLine()) {
        m_error = QStringLiteral("dbus-daemon gave no address: ") + QString::fromUtf8(m_bus->readAllStandardError());
        return false;
    }
    m_address = QString::fromUtf8(m_bus->readLine()).trimmed();
    return true;
}

bool PrivateSessionBus::startKeyring()
{
    // The keyring's files and control socket stay in the bus's folder.
    QDir(m_dir.path()).mkpath(QStringLiteral("runtime"));
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    QFile::setPermissions(m_dir.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_keyring = startChild(QStringLiteral("gnome-keyring-daemon"),
                           {QStringLiteral("--foreground"), QStringLiteral("--unlock"),
                            QStringLiteral("--components=secrets")},
                           environment());
    if (!m_error.isEmpty())
        return false;
    // --unlock reads the keyring's password from standard input; a new
    // keyring is made with it.
    m_keyring->write("tilvano-test");
    m_keyring->closeWriteChannel();

    QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("tilvano-test-keyring-probe"));
    const bool up = QTest::qWaitFor(
        [&] {
            return m_keyring->state() != QProcess::Running
                || bus.interface()->isServiceRegistered(secretsName).value();
        },
        startMs);
    const bool registered = up && m_keyring->state() == QProcess::Running;
    QDBusConnection::disconnectFromBus(QStringLiteral("tilvano-test-keyring-probe"));
    if (!registered) {
        m_error = QStringLiteral("gnome-keyring-daemon did not come up: ")
            + QString::fromUtf8(m_keyring->readAllStandardError() + m_keyring->readAllStandardOutput());
        return false;
    }
    return true;
}

QProcessEnvironment PrivateSessionBus::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!m_address.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
    // Nobody can answer a prompt here; without a display none is tried.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

bool PrivateSessionBus::lockKeyring()
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("tilvano-test-keyring-lock"));
    QDBusMessage call = QDBusMessage::createMethodCall(secretsName, QStringLiteral("/org/freedesktop/secrets"),
                                                       QStringLiteral("org.freedesktop.Secret.Service"),
                                                       QStringLiteral("Lock"));
    call << QVariant::fromValue(QList<QDBusObjectPath>{
        QDBusObjectPath(QStringLiteral("/org/freedesktop/secrets/collection/login"))});
    const QDBusMessage reply = bus.call(call, QDBus::Block, startMs);
    QDBusConnection::disconnectFromBus(QStringLiteral("tilvano-test-keyring-lock"));
    return reply.type() == QDBusMessage::ReplyMessage;
}

std::optional<QString> PrivateSessionBus::secretTool(const QStringList &arguments, const QByteArray &input) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(QStringLiteral("secret-tool"), arguments);
    if (!tool.waitForStarted(startMs))
        return std::nullopt;
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(startMs) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace tilvano::test
