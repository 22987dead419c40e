#include "common/FileHelpers.h"
#include "common/basRegistry.h"
#include "common/mShellExecute.h"
#include "system/Registry.h"
#include "system/ServiceRegistry.h"
#include "system/SystemServices.h"
#include "support/IsolatedHome.h"
#include "support/RecordingShellExecutor.h"

#include <QtTest>

using namespace tilvano;

namespace {
const QString kKey = QStringLiteral("Software\\Lorvat\\Test");
}

class TestHelpers : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        m_shell.clear();
        m_shell.setResult(ShellExecutor::Success);
        ServiceRegistry::replace<ShellExecutor>(&m_shell);
    }
    void cleanup()
    {
        ServiceRegistry::replace<ShellExecutor>(nullptr);
        m_home.reset();
    }

    void readRegValueCutsAtNul()
    {
        SystemServices::registry().setValue(QStringLiteral("HKEY_CURRENT_USER\\") + kKey, QStringLiteral("Path"),
                                            RegistryValue::fromString(QStringLiteral("C:\\Programme") + QChar(0) + QStringLiteral("Müll")));
        QCOMPARE(ReadRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("path")), QVariant(QStringLiteral("C:\\Programme")));
        QCOMPARE(LastRegistryStatus(), 0);
    }

    void readRegValueOfMissingThingsIsEmptyText()
    {
        QCOMPARE(ReadRegValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere"), QStringLiteral("x")), QVariant(QString()));
        QVERIFY(LastRegistryStatus() != 0);
        QVERIFY(!RegKeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Nowhere")));
        QCOMPARE(ReadRegValue(0x12345u, kKey, QStringLiteral("x")), QVariant(QString()));
    }

    void writeRegValueTrimsTextsAndStoresWholeNumbersAsDWord()
    {
        WriteRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Path"), QStringLiteral("  /opt/tilvano/bin/tilvano  "));
        WriteRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Five"), 5);
        WriteRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("FiveText"), QStringLiteral("5"));
        WriteRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Big"), QStringLiteral("99999999999"));
        Registry &registry = SystemServices::registry();
        const QString full = QStringLiteral("HKEY_CURRENT_USER\\") + kKey;
        QCOMPARE(*registry.value(full, QStringLiteral("Path")), RegistryValue::fromString(QStringLiteral("/opt/tilvano/bin/tilvano")));
        QCOMPARE(*registry.value(full, QStringLiteral("Five")), RegistryValue::fromDWord(5));
        QCOMPARE(*registry.value(full, QStringLiteral("FiveText")), RegistryValue::fromDWord(5));
        QCOMPARE(registry.value(full, QStringLiteral("Big"))->type, RegistryValue::String);
        QCOMPARE(ReadRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("Five")), QVariant::fromValue<qint32>(5));
        QVERIFY(RegKeyExists(HKEY_CURRENT_USER, kKey));
        DeleteRegValue(HKEY_CURRENT_USER, kKey, QStringLiteral("five"));
        QVERIFY(!registry.value(full, QStringLiteral("Five")));
    }

    void isWholeNumber()
    {
        QVERIFY(IsWholeNumber(5));
        QVERIFY(IsWholeNumber(QStringLiteral(" 12 ")));
        QVERIFY(IsWholeNumber(-2147483647.0));
        QVERIFY(!IsWholeNumber(QStringLiteral("4294967296")));
        QVERIFY(!IsWholeNumber(QStringLiteral("/usr/bin")));
        QVERIFY(!IsWholeNumber(QString()));
        QVERIFY(!IsWholeNumber(QVariant()));
    }

    void fileExists()
    {
        QVERIFY(FileExists(QStringLiteral("/")));
        const QString dir = m_home->path() + QStringLiteral("/chars");
        QDir().mkpath(dir);
        QFile f(dir + QStringLiteral("/Merlin.acs"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(FileExists(dir + QLatin1Char('/')));              // trailing separator dropped
        QVERIFY(FileExists(dir + QStringLiteral("/Merlin.acs")));
        QVERIFY(FileExists(dir + QStringLiteral("/Merlin.acs/")));   // one trailing separator is dropped
        QVERIFY(!FileExists(dir + QStringLiteral("/Merlin.acs/x")));
        QVERIFY(FileExists(dir + QStringLiteral("/*.acs")));
        QVERIFY(!FileExists(dir + QStringLiteral("/*.dot")));
        QVERIFY(!FileExists(QString()));
    }

    void copyAndRemove()
    {
        const QString a = m_home->path() + QStringLiteral("/a.dot");
        const QString b = m_home->path() + QStringLiteral("/b.dot");
        QFile f(a);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("vorlage");
        f.close();
        QVERIFY(CopyFileTo(a, b, true));
        QVERIFY(!CopyFileTo(a, b, true));   // exists: refused
        QVERIFY(CopyFileTo(a, b, false));   // replaced
        QVERIFY(!CopyFileTo(a + QStringLiteral("x"), b, false));
        QVERIFY(QFile::exists(b));          // a failed copy leaves the target alone
        QVERIFY(RemoveFile(b));
        QVERIFY(!RemoveFile(b));
    }

    void shellOpenShowModes()
    {
        ErrorInfo error;
        QVERIFY(ShellOpen(QStringLiteral("hh.exe"), 1, QStringLiteral("x.chm"), QString(), QStringLiteral("open"), error,
                          QStringLiteral("Tilvano")));
        QCOMPARE(m_shell.requests().last().showMode, 0);
        QVERIFY(ShellOpen(QStringLiteral("/tmp/help.html"), 0, QString(), QString(), QStringLiteral("open"), error,
                          QStringLiteral("Tilvano")));
        QCOMPARE(m_shell.requests().last().showMode, 1);
        QVERIFY(ShellOpen(QStringLiteral("/usr/bin/ablaufwerk"), 3, QStringLiteral("Gruß \"Welt\"; rm"), QString(),
                          QStringLiteral("open"), error, QStringLiteral("Tilvano")));
        QCOMPARE(m_shell.requests().last().showMode, 3);
        QCOMPARE(m_shell.requests().last().parameters, QStringLiteral("Gruß \"Welt\"; rm"));
        QVERIFY(!error.isError());
    }

    void shellOpenErrors_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("description");
        QTest::newRow("0") << 0 << 7 << QStringLiteral("Out of memory");
        QTest::newRow("2") << 2 << 53 << QStringLiteral("File not found");
        QTest::newRow("3") << 3 << 76 << QStringLiteral("Path not found");
        QTest::newRow("5") << 5 << 75 << QStringLiteral("Path/file access error");
        QTest::newRow("11") << 11 << qint32(0x80040418u + 11) << QStringLiteral("The executable file is invalid or corrupt");
        QTest::newRow("28") << 28 << 286 << QStringLiteral("The file could not be opened due to time out.  Please try again in a moment.");
        QTest::newRow("31") << 31 << qint32(0x80040418u + 31) << QStringLiteral("No application is associated with this file type.");
        QTest::newRow("32") << 32 << 48 << QStringLiteral("The specified dynamic-link library was not found.");
        QTest::newRow("17") << 17 << qint32(-2147220456 + 17)
                            << QStringLiteral("An error occurred occurred whilst trying to open or print the selected file.");
    }
    void shellOpenErrors()
    {
        QFETCH(int, result);
        QFETCH(qint32, number);
        QFETCH(QString, description);
        m_shell.setResult(result);
        ErrorInfo error;
        QVERIFY(!ShellOpen(QStringLiteral("/x"), 1, QString(), QString(), QStringLiteral("open"), error, QStringLiteral("Ablaufwerk")));
        QCOMPARE(error.number, number);
        QCOMPARE(error.description, description);
        QCOMPARE(error.source, QStringLiteral("Ablaufwerk.GShell"));
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    test::RecordingShellExecutor m_shell;
};

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
