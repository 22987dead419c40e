// The host as a user and a script meet it: tilvano started headless on a bus
// of the test's own, driven by kibo and by gdbus.

#include "common/SettingsStore.h"
#include "support/IsolatedHome.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace tilvano;

namespace {

constexpr int kStartTimeoutMs = 60000;
const QString kService = QStringLiteral("org.lorvat.Tilvano");

QString program(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/") + name;
}

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class HostEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void usageErrorsExitWithTwo();
    void kiboSpeakReachesSpeakIt();
    void gdbusCallReachesSpeakIt();
    void traceHoldsTheTaggedText();
    void macroCommandsReachTheRunner();
    void watchPrintsEvents();
    void secondStartLeavesTheFirstRunning();
    void terminatedHostShutsDownInOrder();
    void kiboWithoutHost();
    void noDisplayGivesAdvice();

private:
    QProcessEnvironment environment() const;
    Finished runToEnd(const QString &name, const QStringList &arguments, const QProcessEnvironment &env);
    Finished runToEnd(const QString &name, const QStringList &arguments)
    {
        return runToEnd(name, arguments, environment());
    }
    QStringList logLines() const;
    int logCount(const QString &entry) const;
    bool logHasEntry(const QString &entry) const { return logCount(entry) > 0; }
    bool hostOnBus() const;
    bool characterVisible() const;

    std::unique_ptr<test::IsolatedHome> m_home;
    QTemporaryDir m_scratch;
    QString m_installPath;
    QString m_tracePath;
    QString m_busAddress;
    QProcess m_bus;
    QProcess m_host;
};

void HostEndToEndTest::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty())
        QSKIP("dbus-daemon and gdbus are needed");
    QVERIFY(QFile::exists(program(QStringLiteral("tilvano"))));
    QVERIFY(QFile::exists(program(QStringLiteral("kibo"))));

    // A bus of our own, so parallel tests and the user's session never meet.
    m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    QVERIFY(m_bus.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
    m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
    QVERIFY(!m_busAddress.isEmpty());

    m_home = std::make_unique<test::IsolatedHome>();
    m_installPath = m_scratch.filePath(QStringLiteral("install")) + QLatin1Char('/');
    QVERIFY(QDir().mkpath(m_installPath));
    m_tracePath = m_scratch.filePath(QStringLiteral("agent-trace.log"));
    SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("InstallPath"), m_installPath);
    SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("Logging"), QStringLiteral("1"));

    m_host.setProcessEnvironment(environment());
    m_host.setProcessChannelMode(QProcess::ForwardedChannels);
    m_host.start(program(QStringLiteral("tilvano")), {});
    QVERIFY(m_host.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(hostOnBus() || m_host.state() == QProcess::NotRunning, kStartTimeoutMs);
    QCOMPARE(m_host.state(), QProcess::Running);
    QTRY_VERIFY_WITH_TIMEOUT(logHasEntry(QStringLiteral("InitLastAgent")), 10000);
}

void HostEndToEndTest::cleanupTestCase()
{
    for (QProcess *process : {&m_host, &m_bus}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(20000)) {
            process->kill();
            process->waitForFinished();
        }
    }
    m_home.reset();
}

QProcessEnvironment HostEndToEndTest::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TILVANO_AGENT_TRACE"), m_tracePath);
    // The single-instance socket lives in the temporary folder: keep ours apart.
    env.insert(QStringLiteral("TMPDIR"), m_home->path());
    return env;
}

Finished HostEndToEndTest::runToEnd(const QString &name, const QStringList &arguments,
                                    const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    const QString ours = program(name);
    process.start(QFile::exists(ours) ? ours : QStandardPaths::findExecutable(name), arguments);
    Finished result;
    if (!process.waitForStarted() || !process.waitForFinished(kStartTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QStringList HostEndToEndTest::logLines() const
{
    QFile file(m_installPath + QStringLiteral("protocol.log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

int HostEndToEndTest::logCount(const QString &entry) const
{
    // A line is "<date time>: <writer> : <entry>".
    const QStringList lines = logLines();
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](const QString &line) { return line.endsWith(QStringLiteral(" : ") + entry); }));
}

bool HostEndToEndTest::hostOnBus() const
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("e2e"));
    return bus.isConnected() && bus.interface()->isServiceRegistered(kService);
}

bool HostEndToEndTest::characterVisible() const
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("e2e"));
    QDBusMessage get = QDBusMessage::createMethodCall(kService, QStringLiteral("/Kibo"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({QStringLiteral("org.lorvat.Tilvano.Agent"), QStringLiteral("visible")});
    const QDBusReply<QDBusVariant> reply = bus.call(get);
    return reply.isValid() && reply.value().variant().toBool();
}

void HostEndToEndTest::usageErrorsExitWithTwo()
{
    const Finished bare = runToEnd(QStringLiteral("kibo"), {});
    QCOMPARE(bare.exitCode, 2);
    QVERIFY(bare.err.contains(QStringLiteral("Aufruf: kibo")));
    QCOMPARE(runToEnd(QStringLiteral("kibo"), {"move", "links", "oben"}).exitCode, 2);
}

void HostEndToEndTest::kiboSpeakReachesSpeakIt()
{
    const Finished spoken = runToEnd(QStringLiteral("kibo"), {"speak", "Hallo"});
    QCOMPARE(spoken.exitCode, 0);
    QVERIFY2(spoken.err.isEmpty(), qPrintable(spoken.err));
    QTRY_VERIFY(logHasEntry(QStringLiteral("SpeakIt: Hallo")));

    QCOMPARE(runToEnd(QStringLiteral("kibo"), {"play", "Wave"}).exitCode, 0);
    QCOMPARE(runToEnd(QStringLiteral("kibo"), {"move", "300", "200"}).exitCode, 0);
    QVERIFY(logHasEntry(QStringLiteral("PlayAni: Wave")));
    QVERIFY(logHasEntry(QStringLiteral("MoveTo: 300/200")));

    // An animation the character lacks is a failure the script must see.
    const Finished unknown = runToEnd(QStringLiteral("kibo"), {"play", "GibtEsNicht"});
    QCOMPARE(unknown.exitCode, 1);
    QVERIFY(unknown.err.contains(QStringLiteral("PlayAni")));
}

void HostEndToEndTest::gdbusCallReachesSpeakIt()
{
    const Finished called
        = runToEnd(QStringLiteral("gdbus"), {"call", "--session", "--dest", kService, "--object-path", "/Kibo",
                                             "--method", "org.lorvat.Tilvano.Agent.SpeakIt", "Hallo vom Bus"});
    QCOMPARE(called.exitCode, 0);
    QCOMPARE(called.out.trimmed(), QStringLiteral("(true,)"));
    QTRY_VERIFY(logHasEntry(QStringLiteral("SpeakIt: Hallo vom Bus")));
}

void HostEndToEndTest::traceHoldsTheTaggedText()
{
    if (!QFile::exists(m_tracePath))
        QSKIP("this build's character service keeps no trace");
    const Finished set = runToEnd(
        QStringLiteral("gdbus"),
        {"call", "--session", "--dest", kService, "--object-path", "/Kibo", "--method",
         "org.freedesktop.DBus.Properties.Set", "org.lorvat.Tilvano.Agent", "speed", "<int16 150>"});
    QCOMPARE(set.exitCode, 0);
    QCOMPARE(runToEnd(QStringLiteral("kibo"), {"speak", "Mit Tempo"}).exitCode, 0);
    const auto traced = [this] {
        QFile file(m_tracePath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QTRY_VERIFY(traced().contains(QStringLiteral("\\Spd=150\\Mit Tempo")));
}

void HostEndToEndTest::macroCommandsReachTheRunner()
{
    const Finished script
        = runToEnd(QStringLiteral("kibo"), {"run-text", "Kibo.SpeakIt \"Aus dem Skript\""});
    QCOMPARE(script.exitCode, 0);
    QTRY_VERIFY(logHasEntry(QStringLiteral("SpeakIt: Aus dem Skript")));

    const Finished names = runToEnd(QStringLiteral("kibo"), {"macros"});
    QCOMPARE(names.exitCode, 0);
    QCOMPARE(names.out, QString()); // nothing stored in a fresh home

    QCOMPARE(runToEnd(QStringLiteral("kibo"), {"run", "Gibt es nicht"}).exitCode, 1);
}

void HostEndToEndTest::watchPrintsEvents()
{
    QProcess watcher;
    watcher.setProcessEnvironment(environment());
    watcher.start(program(QStringLiteral("kibo")), {"watch"});
    QVERIFY(watcher.waitForStarted());
    // The watcher subscribes a moment after it starts; speak until it has heard.
    QString seen;
    const auto heard = [&] {
        runToEnd(QStringLiteral("kibo"), {"speak", "Beobachtet"});
        seen += QString::fromUtf8(watcher.readAllStandardOutput());
        return seen.contains(QStringLiteral("EvSpeak Beobachtet\n"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(heard(), 30000);
    watcher.terminate();
    QVERIFY(watcher.waitForFinished(10000));
}

void HostEndToEndTest::secondStartLeavesTheFirstRunning()
{
    // The second start brings a hidden character back.
    QCOMPARE(runToEnd(QStringLiteral("kibo"), {"hide"}).exitCode, 0);
    QTRY_VERIFY_WITH_TIMEOUT(!characterVisible(), 20000); // once the hiding animation has played
    const int shownBefore = logCount(QStringLiteral("Show Friend"));
    const Finished second = runToEnd(QStringLiteral("tilvano"), {});
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(m_host.state(), QProcess::Running);
    QVERIFY(hostOnBus());
    QTRY_COMPARE(logCount(QStringLiteral("Show Friend")), shownBefore + 1);
    QTRY_VERIFY_WITH_TIMEOUT(characterVisible(), 20000);
}

void HostEndToEndTest::terminatedHostShutsDownInOrder()
{
    m_host.terminate();
    QVERIFY(m_host.waitForFinished(30000));
    QCOMPARE(m_host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_host.exitCode(), 0);
    QVERIFY(logHasEntry(QStringLiteral("Class_Terminate")));
}

void HostEndToEndTest::kiboWithoutHost()
{
    QTRY_VERIFY(!hostOnBus());
    const Finished alone = runToEnd(QStringLiteral("kibo"), {"speak", "Niemand da"});
    QCOMPARE(alone.exitCode, 1);
    QCOMPARE(alone.err.trimmed(), QStringLiteral("Tilvano läuft nicht. Starten Sie es mit tilvano."));

    // No session bus at all is the same situation for the user.
    QProcessEnvironment noBus = environment();
    noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_home->path()
                                                                 + QStringLiteral("/no-bus-here"));
    const Finished nowhere = runToEnd(QStringLiteral("kibo"), {"show"}, noBus);
    QCOMPARE(nowhere.exitCode, 1);
    QVERIFY(nowhere.err.contains(QStringLiteral("Tilvano läuft nicht.")));
}

void HostEndToEndTest::noDisplayGivesAdvice()
{
    QProcessEnvironment env = environment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    const Finished headless = runToEnd(QStringLiteral("tilvano"), {}, env);
    QCOMPARE(headless.exitCode, 1);
    QVERIFY(headless.err.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen tilvano")));
}

QTEST_GUILESS_MAIN(HostEndToEndTest)
#include "tst_HostEndToEnd.moc"
