#include "system/AutostartEntry.h"
#include "system/InstallLayout.h"
#include "system/Registry.h"
#include "system/RegularFile.h"
#include "system/RunKeyMirror.h"
#include "system/ServiceRegistry.h"
#include "system/ShellExecutor.h"
#include "system/SingleInstance.h"
#include "system/SystemServices.h"
#include "system/WindowsDirectory.h"
#include "support/FailingRegistry.h"
#include "support/IsolatedHome.h"

#include <QtTest>

#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tilvano;

namespace {

// Two services of a test's own, the second made by a factory that uses the first.
struct Clock {
    virtual ~Clock() = default;
    virtual QString name() const = 0;
};
struct Alarm {
    QString clockName;
};

struct NamedClock final : Clock {
    NamedClock(QString name, QStringList &gone) : m_name(std::move(name)), m_gone(gone) {}
    ~NamedClock() override { m_gone.append(m_name); }
    QString name() const override { return m_name; }
    QString m_name;
    QStringList &m_gone;
};

} // namespace

class TestSystemStandIns : public QObject {
    Q_OBJECT
private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void runValueWritesAndRemovesTheAutostartEntry()
    {
        Registry &registry = SystemServices::registry();
        const QString program = QStringLiteral("/opt/my apps/tilvano/bin/tilvano");
        const AutostartEntry entry(QStringLiteral("tilvano"));
        QCOMPARE(entry.filePath(), m_home->configHome() + QStringLiteral("/autostart/tilvano.desktop"));
        QVERIFY(!registry.value(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano")));

        QVERIFY(registry.setValue(RunKeyMirror::runKeyPath(), QStringLiteral("tilvano"), RegistryValue::fromString(program)));
        QVERIFY(QFile::exists(entry.filePath()));
        QCOMPARE(entry.command(), std::optional<QString>(program));
        QCOMPARE(registry.value(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano"))->text, program);

        QVERIFY(registry.deleteValue(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano")));
        QVERIFY(!QFile::exists(entry.filePath()));
        QVERIFY(!registry.value(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano")));
        // Other values of the Run key are plain registry values.
        QVERIFY(registry.setValue(RunKeyMirror::runKeyPath(), QStringLiteral("Other"), RegistryValue::fromString(QStringLiteral("x"))));
        QVERIFY(!QFile::exists(entry.filePath()));
    }

    void entryOfAnotherToolCountsAndSwitchedOffOneDoesNot()
    {
        const AutostartEntry entry(QStringLiteral("tilvano"));
        QDir().mkpath(QFileInfo(entry.filePath()).path());
        writeFile(entry.filePath(), "[Desktop Entry]\nType=Application\nName=Tilvano\nExec=tilvano --quiet\n");
        Registry &registry = SystemServices::registry();
        QCOMPARE(registry.value(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano"))->text, QStringLiteral("tilvano"));
        // Its key counts as there, so a delete that checks for the key first removes the entry.
        QVERIFY(registry.keyExists(RunKeyMirror::runKeyPath()));
        QVERIFY(registry.deleteValue(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano")));
        QVERIFY(!QFile::exists(entry.filePath()));
        QVERIFY(!registry.keyExists(RunKeyMirror::runKeyPath()));
        writeFile(entry.filePath(), "[Desktop Entry]\nType=Application\nExec=tilvano\nHidden=true\n");
        QVERIFY(!registry.value(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano")));
        // A stored value without its entry (removed by the desktop's settings) is off.
        QVERIFY(QFile::remove(entry.filePath()));
        static_cast<RunKeyMirror &>(registry).inner().setValue(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano"),
                                                               RegistryValue::fromString(QStringLiteral("/x/tilvano")));
        QVERIFY(!registry.value(RunKeyMirror::runKeyPath(), QStringLiteral("Tilvano")));
    }

    void execLinesQuoteAwkwardPaths_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/tilvano");
        QTest::newRow("blank") << QStringLiteral("/home/a b/tilvano");
        QTest::newRow("quotes") << QStringLiteral("/home/\"x\"/$HOME/`id`/tilvano");
        QTest::newRow("backslash percent") << QStringLiteral("/home/a\\b/100%/tilvano");
        QTest::newRow("umlaut") << QStringLiteral("/home/jürgen/tilvano");
    }
    void execLinesQuoteAwkwardPaths()
    {
        QFETCH(QString, program);
        QCOMPARE(AutostartEntry::programFromExecLine(AutostartEntry::execLineFor(program)), program);
        const AutostartEntry entry(QStringLiteral("tilvano"));
        QVERIFY(entry.write(program));
        QCOMPARE(entry.command(), std::optional<QString>(program));
    }

    void windowsDirectoryIsPrivateAndHoldsTheShippedCharacters()
    {
        const QString folder = WindowsDirectory::characterFolder();
        QCOMPARE(folder, m_home->dataHome() + QStringLiteral("/tilvano/msagent/chars/"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(QFile::permissions(WindowsDirectory::path()) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        const QDir shipped(InstallLayout::dataDir() + QStringLiteral("/chars"));
        for (const QString &name : shipped.entryList({QStringLiteral("*.acs")}, QDir::Files))
            QVERIFY2(QFile::exists(folder + name), qPrintable(name));
        // A user's own file of that name is never overwritten.
        for (const QString &name : shipped.entryList({QStringLiteral("*.acs")}, QDir::Files)) {
            writeFile(folder + name, "mine");
            WindowsDirectory::characterFolder();
            QCOMPARE(readFile(folder + name), QByteArray("mine"));
        }
    }

    void installLayoutIsRelativeToTheLibrary()
    {
        QVERIFY(QFileInfo(InstallLayout::libDir()).isDir());
        QCOMPARE(InstallLayout::dataDir(), InstallLayout::prefix() + QStringLiteral("/share/tilvano"));
        QVERIFY(InstallLayout::installPath().endsWith(QLatin1Char('/')));
    }

    void shellStartsProgramsWithOneArgumentAndNoShell()
    {
        const QString script = m_home->path() + QStringLiteral("/record args");
        const QString out = m_home->path() + QStringLiteral("/args.txt");
        writeFile(script, QStringLiteral("#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '%1'\n").arg(out).toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ProcessShellExecutor shell;
        const QString parameter = QStringLiteral("Gruß \"Welt\"; touch /tmp/pwned $(id) `id` | x");
        QVERIFY(shell.execute(QStringLiteral("open"), script, parameter, m_home->path(), 1) > 32);
        QTRY_VERIFY_WITH_TIMEOUT(readFile(out).endsWith('|'), 20000);
        QCOMPARE(QString::fromUtf8(readFile(out)), QStringLiteral("1|") + parameter + QLatin1Char('|'));

        QVERIFY(shell.execute(QStringLiteral("open"), script, QString(), QString(), 1) > 32);
        QTRY_COMPARE_WITH_TIMEOUT(readFile(out), QByteArray("0|"), 20000);
    }

    void shellFailuresMapToTheirCodes()
    {
        ProcessShellExecutor shell;
        QCOMPARE(shell.execute(QStringLiteral("open"), m_home->path() + QStringLiteral("/missing"), {}, {}, 1),
                 int(ShellExecutor::FileNotFound));
        QCOMPARE(shell.execute(QStringLiteral("open"), m_home->path() + QStringLiteral("/no/dir/file"), {}, {}, 1),
                 int(ShellExecutor::PathNotFound));
        QCOMPARE(shell.execute(QStringLiteral("open"), QStringLiteral("/bin/true"), {}, m_home->path() + QStringLiteral("/nodir"), 1),
                 int(ShellExecutor::PathNotFound));
        QCOMPARE(shell.execute(QStringLiteral("open"), QStringLiteral("no-such-program-anywhere"), {}, {}, 1),
                 int(ShellExecutor::FileNotFound));
        QCOMPARE(shell.execute(QStringLiteral("print"), QStringLiteral("/bin/true"), {}, {}, 1),
                 int(ShellExecutor::NoAssociation));
    }

    void secondInstanceActivatesTheFirst()
    {
        QProcess first;
        first.start(QStringLiteral(TESTPEER), {QStringLiteral("instance"), QStringLiteral("Der Tilvano-Ablaufwerk")});
        QVERIFY(first.waitForReadyRead(20000));
        QCOMPARE(first.readLine().trimmed(), QByteArray("primary"));

        QProcess second;
        second.start(QStringLiteral(TESTPEER), {QStringLiteral("instance"), QStringLiteral("Der Tilvano-Ablaufwerk")});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.readAllStandardOutput().trimmed(), QByteArray("second activated"));
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.readAllStandardOutput().trimmed(), QByteArray("activated hallo"));

        // With the first one gone, the next start is the first again.
        QProcess third;
        third.start(QStringLiteral(TESTPEER), {QStringLiteral("instance"), QStringLiteral("Der Tilvano-Ablaufwerk")});
        QVERIFY(third.waitForReadyRead(20000));
        QCOMPARE(third.readLine().trimmed(), QByteArray("primary"));
        third.kill();
        third.waitForFinished();
    }

    void instanceFilesArePrivateAndLeftTidy()
    {
        SingleInstance instance(QStringLiteral("Tilvano"));
        QVERIFY(instance.tryAcquire());
        const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                            | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                            | QFile::WriteOther | QFile::ExeOther;
        for (const QString &path : {instance.lockPath(), instance.socketPath()}) {
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            QCOMPARE(QFile::permissions(path) & modeBits, QFile::ReadOwner | QFile::WriteOwner);
        }
        // Nothing but the lock and the socket: the name it was bound under is gone.
        QCOMPARE(QDir(m_home->runtimeDir()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 2);
        QVERIFY(!SingleInstance(QStringLiteral("Tilvano")).tryAcquire());

        instance.release();
        QVERIFY(!QFileInfo::exists(instance.socketPath()));
        SingleInstance next(QStringLiteral("Tilvano"));
        QVERIFY(next.tryAcquire());
    }

    void leftOverSocketIsTakenOverAndOddRequestsAreRefused()
    {
        SingleInstance probe(QStringLiteral("Tilvano"));
        // A crashed instance leaves a socket nobody listens on.
        {
            const QByteArray path = QFile::encodeName(probe.socketPath());
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
            ::close(fd);
        }
        QVERIFY(!probe.activateRunningInstance());

        SingleInstance instance(QStringLiteral("Tilvano"));
        QVERIFY(instance.tryAcquire());
        QSignalSpy activations(&instance, &SingleInstance::activationRequested);
        // The asking side blocks until answered, so it runs beside our event loop.
        const auto ask = [&probe](const QString &message) {
            return std::async(std::launch::async, [&probe, message] { return probe.activateRunningInstance(message); });
        };

        auto answered = ask(QStringLiteral("Grüße"));
        QVERIFY(answeredInTime(answered));
        QVERIFY(answered.get());
        QTRY_COMPARE(activations.size(), 1);
        QCOMPARE(activations.takeFirst().first().toString(), QStringLiteral("Grüße"));

        // A flood is cut off unanswered, without an activation, and the next request still works.
        auto flooded = ask(QString(SingleInstance::maxMessageBytes + 10, QLatin1Char('x')));
        QVERIFY(answeredInTime(flooded));
        QVERIFY(!flooded.get());
        auto plain = ask(QString());
        QVERIFY(answeredInTime(plain));
        QVERIFY(plain.get());
        QTRY_COMPARE(activations.size(), 1);
        QCOMPARE(activations.takeFirst().first().toString(), QStringLiteral("activate"));
    }

    // A FIFO (or a link to one) must be refused at once, not wait for a writer;
    // so must a folder, a file past the limit and a missing file.
    void onlyRegularFilesAreReadAndNothingBlocks()
    {
        const QString dir = m_home->configHome();
        const QString plain = dir + QStringLiteral("/plain.txt");
        writeFile(plain, "Hallo");
        QCOMPARE(readRegularFile(plain, 5), std::optional<QByteArray>("Hallo"));
        QString error;
        QVERIFY(!readRegularFile(plain, 4, &error));
        QVERIFY(error.contains(QStringLiteral("zu groß")));

        const QString fifo = dir + QStringLiteral("/fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString link = dir + QStringLiteral("/link-to-fifo");
        QVERIFY(QFile::link(fifo, link));
        for (const QString &path : {fifo, link, dir, dir + QStringLiteral("/missing")}) {
            error.clear();
            QFile file;
            QVERIFY2(!openRegularFile(path, file, &error), qPrintable(path));
            QVERIFY(!file.isOpen());
            QVERIFY(!error.isEmpty());
            QVERIFY(!readRegularFile(path, 1024));
        }
    }

    // A replacement goes before the installed default, which goes before the
    // built-in one; each is made once, on first use; reset() takes back the
    // replacement and drops what was made, newest first, but keeps what was installed
    // until an empty default takes it back.
    void serviceRegistryChoosesAndResetsInOrder()
    {
        QStringList made, gone;
        const auto clock = [&made, &gone](const QString &name) {
            return [&made, &gone, name]() -> std::unique_ptr<Clock> {
                made.append(name);
                return std::make_unique<NamedClock>(name, gone);
            };
        };
        const auto builtIn = clock(QStringLiteral("built-in"));
        const auto alarm = [] {
            return ServiceRegistry::get<Alarm>([] {
                return std::make_unique<Alarm>(Alarm{ServiceRegistry::get<Clock>([]() -> std::unique_ptr<Clock> {
                    return nullptr; // never asked: the clock is there first
                }).name()});
            });
        };

        QCOMPARE(ServiceRegistry::get<Clock>(builtIn).name(), QStringLiteral("built-in"));
        QCOMPARE(alarm().clockName, QStringLiteral("built-in"));
        QCOMPARE(&ServiceRegistry::get<Clock>(builtIn), &ServiceRegistry::get<Clock>(builtIn));
        QCOMPARE(made, QStringList{QStringLiteral("built-in")});

        QStringList unused;
        NamedClock replacement(QStringLiteral("double"), unused);
        ServiceRegistry::replace<Clock>(&replacement);
        QVERIFY(ServiceRegistry::isReplaced<Clock>());
        QCOMPARE(ServiceRegistry::get<Clock>(builtIn).name(), QStringLiteral("double"));
        ServiceRegistry::replace<Clock>(nullptr);
        QCOMPARE(ServiceRegistry::get<Clock>(builtIn).name(), QStringLiteral("built-in"));

        ServiceRegistry::installDefault<Clock>(clock(QStringLiteral("installed")));
        ServiceRegistry::replace<Clock>(&replacement);
        ServiceRegistry::reset();
        QVERIFY(!ServiceRegistry::isReplaced<Clock>());
        QCOMPARE(gone, QStringList{QStringLiteral("built-in")});
        QCOMPARE(ServiceRegistry::get<Clock>(builtIn).name(), QStringLiteral("installed"));
        QCOMPARE(alarm().clockName, QStringLiteral("installed"));
        ServiceRegistry::reset();
        QCOMPARE(gone, (QStringList{QStringLiteral("built-in"), QStringLiteral("installed")}));
        QCOMPARE(made, (QStringList{QStringLiteral("built-in"), QStringLiteral("installed")}));
        // An empty default takes the installed one back.
        ServiceRegistry::installDefault<Clock>({});
        QCOMPARE(ServiceRegistry::get<Clock>(builtIn).name(), QStringLiteral("built-in"));
        ServiceRegistry::reset();
    }

    // The double that refuses writes refuses them as the real store does when
    // it cannot write: false, a reason, nothing stored, reads unharmed.
    void refusedWritesLookAlikeFromTheStoreAndItsDouble_data()
    {
        QTest::addColumn<QString>("refusal");
        QTest::newRow("store folder blocked") << QStringLiteral("blocked");
        QTest::newRow("double, named value") << QStringLiteral("named");
        QTest::newRow("double, second write") << QStringLiteral("second");
    }
    void refusedWritesLookAlikeFromTheStoreAndItsDouble()
    {
        QFETCH(QString, refusal);
        const QString key = QStringLiteral("HKCU\\Software\\Lorvat\\Misc");
        if (refusal == QLatin1String("blocked"))
            writeFile(m_home->configHome() + QStringLiteral("/tilvano"), "kein Ordner");
        else
            QVERIFY(SystemServices::registry().setValue(key, QStringLiteral("Before"), RegistryValue::fromDWord(1)));
        test::FailingRegistry failing(SystemServices::registry());
        if (refusal == QLatin1String("named"))
            failing.failValue(QStringLiteral("hkey_current_user/software/lorvat/misc/"), QStringLiteral("userNAME"));
        if (refusal == QLatin1String("second"))
            failing.failWrite(2);
        Registry &store = refusal == QLatin1String("blocked") ? SystemServices::registry() : failing;

        if (refusal == QLatin1String("second"))
            QVERIFY(store.setValue(key, QStringLiteral("First"), RegistryValue::fromDWord(1)));
        QVERIFY(!store.setValue(key, QStringLiteral("UserName"), RegistryValue::fromString(QStringLiteral("Anna"))));
        QVERIFY(!store.lastError().isEmpty());
        QVERIFY(!store.value(key, QStringLiteral("UserName")));
        if (refusal != QLatin1String("blocked")) {
            QCOMPARE(store.value(key, QStringLiteral("Before"))->number, 1);
            QVERIFY(store.setValue(key, QStringLiteral("After"), RegistryValue::fromDWord(2)));
            QVERIFY(store.lastError().isEmpty());
            QCOMPARE(failing.refusals(), 1);
        }
    }

private:
    // Runs our event loop (the listening side) until the asking side is done; shorter
    // than its own time-out, so a time-out never passes for a refusal.
    static bool answeredInTime(std::future<bool> &asking)
    {
        return QTest::qWaitFor([&] { return asking.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                               1500);
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_GUILESS_MAIN(TestSystemStandIns)
#include "tst_systemstandins.moc"
