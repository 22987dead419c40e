#include "common/ErrorLog.h"
#include "common/SettingsStore.h"
#include "system/ServiceRegistry.h"
#include "support/IsolatedHome.h"
#include "support/ScriptedDialogService.h"

#include <QtTest>

using namespace tilvano;

class TestErrorLog : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        ServiceRegistry::replace<DialogService>(&m_dialogs);
        m_dialogs.clear();
        m_install = m_home->path() + QStringLiteral("/install/");
        QDir().mkpath(m_install);
        SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("InstallPath"), m_install);
    }
    void cleanup()
    {
        ServiceRegistry::replace<DialogService>(nullptr);
        m_home.reset();
    }

    void loggingSwitch_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("writes");
        QTest::newRow("absent") << QString() << false << false;
        QTest::newRow("0") << QStringLiteral("0") << true << false;
        QTest::newRow("2") << QStringLiteral("2") << true << false;
        QTest::newRow("empty") << QString() << true << false;
        QTest::newRow("text") << QStringLiteral("ein") << true << false;
        QTest::newRow("1") << QStringLiteral("1") << true << true;
    }
    void loggingSwitch()
    {
        QFETCH(QString, value);
        QFETCH(bool, stored);
        QFETCH(bool, writes);
        if (stored)
            SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("Logging"), value);
        WriteLog(writer::tilvano(), QStringLiteral("Show Friend"));
        QCOMPARE(QFile::exists(logPath()), writes);
    }

    void lineFormatNamesTheWriter()
    {
        enableLogging();
        WriteLog(writer::ablaufwerk(), QStringLiteral("SpeakIt: Hallo"));
        WriteLog(writer::tilvano(), QStringLiteral("Show Friend"));
        const QByteArray log = readLog();
        const QList<QByteArray> lines = log.split('\n');
        QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last LF
        QVERIFY(lines[0].endsWith(": Ablaufwerk : SpeakIt: Hallo\r"));
        QVERIFY(lines[1].endsWith(": Tilvano : Show Friend\r"));
        // The stamp holds today's date in some form and is followed by ": ".
        QVERIFY(lines[0].indexOf(": Ablaufwerk") > 8);
    }

    void multiLineMessageIsWrittenUnchanged()
    {
        enableLogging();
        WriteLog(writer::tilvano(), QStringLiteral("eins\r\nzwei\nä"));
        QVERIFY(readLog().endsWith(QStringLiteral("Tilvano : eins\r\nzwei\nä\r\n").toUtf8()));
    }

    void unwritableLogIsSwallowed()
    {
        enableLogging();
        SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("InstallPath"),
                    m_home->path() + QStringLiteral("/no/such/folder/"));
        WriteLog(writer::tilvano(), QStringLiteral("verloren")); // must not throw or crash
        QVERIFY(!WriteTextFile(m_home->path() + QStringLiteral("/no/such/folder/x.log"), QStringLiteral("x"), false));
    }

    // The log is kept from filling the disk: a full log becomes the one old
    // generation, replacing the one before, and a new log starts.
    void fullLogIsRotatedKeepingOneOldFile()
    {
        enableLogging();
        QFile log(logPath());
        QVERIFY(log.open(QIODevice::WriteOnly));
        QVERIFY(log.resize(logFileLimit - 1)); // sparse: the size is what counts
        log.close();
        WriteLog(writer::tilvano(), QStringLiteral("eins"));
        QVERIFY(!QFile::exists(OldLogFilePath()));

        WriteLog(writer::tilvano(), QStringLiteral("zwei"));
        QVERIFY(readFile(OldLogFilePath()).endsWith("Tilvano : eins\r\n"));
        QVERIFY(readLog().endsWith("Tilvano : zwei\r\n"));
        QCOMPARE(readLog().count('\n'), 1);

        QVERIFY(log.open(QIODevice::Append));
        QVERIFY(log.resize(logFileLimit));
        log.close();
        WriteLog(writer::tilvano(), QStringLiteral("drei"));
        QVERIFY(readFile(OldLogFilePath()).contains("Tilvano : zwei\r\n"));
        QCOMPARE(readLog().count('\n'), 1);
        QCOMPARE(QDir(m_install).entryList(QDir::Files),
                 QStringList({QStringLiteral("protocol.log"), QStringLiteral("protocol.log.1")}));
    }

    void writeTextFileAppendsOrTruncatesPrivately()
    {
        const QString path = m_home->path() + QStringLiteral("/t.txt");
        QVERIFY(WriteTextFile(path, QStringLiteral("a"), false));
        QVERIFY(WriteTextFile(path, QStringLiteral("b"), false));
        QCOMPARE(readFile(path), QByteArray("a\r\nb\r\n"));
        QVERIFY(WriteTextFile(path, QStringLiteral("c"), true));
        QCOMPARE(readFile(path), QByteArray("c\r\n"));
        QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
    }

    void raiseErrorReportsAndLogs()
    {
        enableLogging();
        RaiseError(writer::outlookPlugin(), {-2147221005, QStringLiteral("Outlook"), QStringLiteral("Ungültige Klasse"), 12});
        const QString expected = QStringLiteral(
            "Es ist ein Fehler aufgetreten: \r\nFehlernummer: -2147221005\r\nQuelle: Outlook - Zeile: 12\r\n"
            "Beschreibung: Ungültige Klasse\r\n\r\nEs wird empfohlen, das Programm zu beenden und neu zu starten.\r\n");
        QCOMPARE(m_dialogs.shown().size(), 1);
        const auto &box = m_dialogs.shown().first();
        QCOMPARE(box.text, expected);
        QCOMPARE(box.title, QStringLiteral("Fehler!"));
        QCOMPARE(box.icon(), DialogService::Critical);
        QCOMPARE(box.buttons(), DialogService::OkOnly);
        QVERIFY(readLog().endsWith((QStringLiteral("TilvanoOutlookPlugin : RaiseError: ") + expected + QStringLiteral("\r\n")).toUtf8()));
    }

    void raiseErrorShowsItsBoxWithLoggingOff()
    {
        RaiseError(writer::tilvano(), {5, QStringLiteral("x"), QStringLiteral("y"), 0});
        QCOMPARE(m_dialogs.shown().size(), 1);
        QVERIFY(!QFile::exists(logPath()));
    }

    void setLastErrorTextWithLineZero()
    {
        QCOMPARE(SetLastErrorText({91, QStringLiteral("Tilvano"), QStringLiteral("Objektvariable nicht festgelegt"), 0}),
                 QStringLiteral("Kibo.Agent.SetLastError:  #91 Source: Tilvano - Line: 0 - Desc: Objektvariable nicht festgelegt"));
    }

private:
    void enableLogging()
    {
        SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), QStringLiteral("Logging"), QStringLiteral("1"));
    }
    QString logPath() const { return m_install + QStringLiteral("/protocol.log"); }
    QByteArray readLog() const { return readFile(logPath()); }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<test::IsolatedHome> m_home;
    test::ScriptedDialogService m_dialogs;
    QString m_install;
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
