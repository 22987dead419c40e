#include "platform/system/AutostartEntry.h"
#include "platform/system/InstallLayout.h"
#include "platform/system/Registry.h"
#include "platform/system/RunKeyMirror.h"
#include "platform/system/ShellExecutor.h"
#include "platform/system/SystemServices.h"
#include "platform/system/WindowsDirectory.h"
#include "support/IsolatedHome.h"

#include <QtTest>

using namespace tilvano;

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

private:
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
