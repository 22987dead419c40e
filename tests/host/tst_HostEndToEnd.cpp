// The host as a user and a script meet it: tilvano started headless on a bus
// of the test's own, driven by kibo and by gdbus.

#include "common/SettingsStore.h"
#include "support/FifoTrap.h"
#include "support/IsolatedHome.h"
#include "support/PrivateSessionBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
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
    void speakWaveOfAFifoKeepsTheHostTurning();
    void failingLoadsOverTheBusAnswerWithoutABox();
    void boxOfABusMacroOpensAfterItsAnswer();
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
    QDBusConnection bus() const { return QDBusConnection::connectToBus(m_busAddress, QStringLiteral("e2e")); }
    static QDBusMessage callOf(const QString &member, const QVariantList &arguments);
    QVariant busProperty(const QString &name) const;

    std::unique_ptr<test::IsolatedHome> m_home;
    QTemporaryDir m_scratch;
    QString m_installPath;
    QString m_tracePath;
    QString m_busAddress;
    std::unique_ptr<test::PrivateSessionBus> m_bus;
    QProcess m_host;
};

void HostEndToEndTest::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty())
        QSKIP("dbus-daemon and gdbus are needed");
    QVERIFY(QFile::exists(program(QStringLiteral("tilvano"))));
    QVERIFY(QFile::exists(program(QStringLiteral("kibo"))));

    m_bus = std::make_unique<test::PrivateSessionBus>();
    m_busAddress = m_bus->address();
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
    if (m_host.state() != QProcess::NotRunning) {
        m_host.terminate();
        if (!m_host.waitForFinished(20000)) {
            m_host.kill();
            m_host.waitForFinished();
        }
    }
    m_bus.reset();
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

QDBusMessage HostEndToEndTest::callOf(const QString &member, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/Kibo"),
                                                       QStringLiteral("org.lorvat.Tilvano.Agent"), member);
    call.setArguments(arguments);
    return call;
}

QVariant HostEndToEndTest::busProperty(const QString &name) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(kService, QStringLiteral("/Kibo"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({QStringLiteral("org.lorvat.Tilvano.Agent"), name});
    const QDBusReply<QDBusVariant> reply = bus().call(get, QDBus::Block, 10000);
    return reply.isValid() ? reply.value().variant() : QVariant();
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

    // The names the shell's completion offers for "kibo play".
    const Finished animations = runToEnd(QStringLiteral("kibo"), {"animations"});
    QCOMPARE(animations.exitCode, 0);
    QVERIFY2(animations.out.split(QLatin1Char('\n')).contains(QStringLiteral("Wave")), qPrintable(animations.out));

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

void HostEndToEndTest::speakWaveOfAFifoKeepsTheHostTurning()
{
    // A sound path may name a FIFO that nobody writes to; opening it must not
    // stop the host. The move queued behind the sound proves that it went on.
    test::FifoTrap fifo(m_scratch.filePath(QStringLiteral("pipe")));
    QVERIFY(fifo.isMade());
    const QString sound = m_scratch.filePath(QStringLiteral("klang.wav"));
    QVERIFY(QFile::link(m_scratch.filePath(QStringLiteral("pipe")), sound));
    const QDBusMessage spoken = bus().call(callOf(QStringLiteral("SpeakWave"), {sound}), QDBus::Block, 10000);
    QCOMPARE(spoken.type(), QDBusMessage::ReplyMessage);
    QCOMPARE(spoken.arguments().value(0).toBool(), true);
    const QDBusMessage moved = bus().call(
        callOf(QStringLiteral("MoveTo"), {QVariant::fromValue(qint16(321)), QVariant::fromValue(qint16(123))}),
        QDBus::Block, 10000);
    QCOMPARE(moved.type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY_WITH_TIMEOUT(logHasEntry(QStringLiteral("oAgentCtl_Move: 321/123")), 60000);
    QVERIFY2(!fifo.hadToRelease(), "the host waited in open() for a writer of the FIFO");
}

void HostEndToEndTest::failingLoadsOverTheBusAnswerWithoutABox()
{
    // Every failing load is answered as an error at once: no error box opens
    // inside a call (the next call would come in through its event loop, and
    // open the next box), and the character that was loaded stays.
    const QStringList animations = busProperty(QStringLiteral("AnimationNames")).toStringList();
    QVERIFY(!animations.isEmpty());
    const QString text = m_scratch.filePath(QStringLiteral("Text.acs"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Keine Figur, nur ein Text, der lang genug für einen Kopf ist.");
    file.close();

    QList<QDBusPendingCall> calls{bus().asyncCall(callOf(QStringLiteral("LoadChar"), {text}), 60000)};
    for (int i = 0; i < 150; ++i)
        calls << bus().asyncCall(callOf(QStringLiteral("LoadChar"), {m_scratch.filePath(QStringLiteral("Figur%1.acs").arg(i))}), 60000);
    const auto allAnswered = [&calls] {
        return std::all_of(calls.begin(), calls.end(), [](const QDBusPendingCall &call) { return call.isFinished(); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allAnswered(), 60000);
    for (const QDBusPendingCall &call : calls) {
        QVERIFY(call.isError());
        QCOMPARE(call.error().name(), QStringLiteral("org.lorvat.Tilvano.Agent.Failed"));
    }
    QVERIFY(calls.first().error().message().startsWith(QStringLiteral("Fehler ")));
    QCOMPARE(busProperty(QStringLiteral("LastErrorNumber")).toInt(), int(0x80070002u));
    QCOMPARE(busProperty(QStringLiteral("AnimationNames")).toStringList(), animations);
    QVERIFY(characterVisible());
}

void HostEndToEndTest::boxOfABusMacroOpensAfterItsAnswer()
{
    // The good-bye macro asks something too; the end must not wait for it.
    SaveSetting(settingsApplication(), QStringLiteral("Macros"), QStringLiteral("MacroName000"), QStringLiteral("Abschied"));
    SaveSetting(settingsApplication(), QStringLiteral("Macros"), QStringLiteral("Macro000"),
                QStringLiteral("MsgBox \"Tschüss\"<!!BR!!>Kibo.SpeakIt \"Auf Wiedersehen\""));
    SaveSetting(settingsApplication(), QStringLiteral("Misc"), QStringLiteral("MacroGoodBye"), QStringLiteral("Abschied"));

    // The macro's caller has its answer before the box waits for the user.
    QDBusPendingCall boxed = bus().asyncCall(callOf(QStringLiteral("RunMacroText"), {QStringLiteral("MsgBox \"Hallo vom Bus\"")}), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(logHasEntry(QStringLiteral("RunMacroText: MsgBox \"Hallo vom Bus\"")), 30000);
    // The box is open: unloading the character under it leaves it whole.
    const QDBusMessage unloaded = bus().call(callOf(QStringLiteral("LoadChar"), {QString()}), QDBus::Block, 30000);
    QCOMPARE(unloaded.type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY_WITH_TIMEOUT(boxed.isFinished(), 30000);
    QVERIFY2(!boxed.isError(), qPrintable(boxed.error().message()));
    QCOMPARE(boxed.reply().arguments().value(0).toBool(), true);
    QCOMPARE(m_host.state(), QProcess::Running);
    QVERIFY(!characterVisible());

    // The host goes on answering while the box waits, and takes its character back.
    const QDBusMessage loaded = bus().call(callOf(QStringLiteral("InitLastAgent"), {}), QDBus::Block, 30000);
    QCOMPARE(loaded.arguments().value(0).toBool(), true);
    QTRY_VERIFY_WITH_TIMEOUT(characterVisible(), 20000);
}

void HostEndToEndTest::terminatedHostShutsDownInOrder()
{
    // The box of the macro above is still open: SIGTERM ends the host from
    // inside it, and the good-bye macro runs without waiting for an answer.
    m_host.terminate();
    QVERIFY(m_host.waitForFinished(30000));
    QCOMPARE(m_host.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_host.exitCode(), 0);
    QVERIFY(logHasEntry(QStringLiteral("RunMacroByName: Abschied")));
    QVERIFY(logHasEntry(QStringLiteral("SpeakIt: Auf Wiedersehen")));
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
