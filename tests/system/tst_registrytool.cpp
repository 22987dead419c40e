#include "support/IsolatedHome.h"

#include "common/SettingsStore.h"

#include <QtTest>

using namespace tilvano;

class TestRegistryTool : public QObject {
    Q_OBJECT
private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void settingsRoundTrip()
    {
        QCOMPARE(run({QStringLiteral("set"), QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("UserName"), QStringLiteral("Jürgen")}), 0);
        QCOMPARE(run({QStringLiteral("get"), QStringLiteral("lorvat"), QStringLiteral("MISC"), QStringLiteral("username")}), 0);
        QCOMPARE(m_out, QByteArray("Jürgen\n"));
        QCOMPARE(run({QStringLiteral("get"), QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("Nope"), QStringLiteral("Meister")}), 0);
        QCOMPARE(m_out, QByteArray("Meister\n"));
        QCOMPARE(run({QStringLiteral("list"), QStringLiteral("Lorvat"), QStringLiteral("Misc")}), 0);
        QCOMPARE(m_out, QByteArray("UserName=Jürgen\n"));
    }

    void exportImportRoundTrip()
    {
        const QString key = QStringLiteral("HKCU\\Software\\Lorvat\\Macros");
        QCOMPARE(run({QStringLiteral("add"), key, QStringLiteral("Macro000"), QStringLiteral("REG_SZ"),
                      QStringLiteral("Kibo.SpeakIt \"a\\b\"<!!BR!!>\nx")}), 0);
        QCOMPARE(run({QStringLiteral("add"), key, QStringLiteral("Count"), QStringLiteral("REG_DWORD"), QStringLiteral("0xffffffff")}), 0);
        QCOMPARE(run({QStringLiteral("export")}), 0);
        const QByteArray exported = m_out;
        QVERIFY(exported.contains("\"Count\"=dword:ffffffff"));

        const QString file = m_home->path() + QStringLiteral("/export.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(exported);
        f.close();
        QVERIFY(QFile::remove(m_home->configHome() + QStringLiteral("/tilvano/registry.sqlite3")));
        QCOMPARE(run({QStringLiteral("import"), file}), 0);
        QCOMPARE(run({QStringLiteral("export")}), 0);
        QCOMPARE(m_out, exported);
        QCOMPARE(run({QStringLiteral("query"), key, QStringLiteral("count")}), 0);
        QVERIFY(m_out.contains("REG_DWORD    0xffffffff"));
    }

    void storedPasswordsAreNeverPrinted()
    {
        const QString key = QStringLiteral("HKCU\\Software\\Lorvat\\Mail");
        QCOMPARE(run({QStringLiteral("set"), QStringLiteral("Lorvat"), QStringLiteral("Mail"),
                      QStringLiteral("ImapPassword"), QStringLiteral("Sesam-öffne-dich")}), 0);
        QCOMPARE(run({QStringLiteral("set"), QStringLiteral("Lorvat"), QStringLiteral("Mail"), QStringLiteral("ImapUser"),
                      QStringLiteral("alice")}), 0);
        const QList<QStringList> commands{
            {QStringLiteral("get"), QStringLiteral("Lorvat"), QStringLiteral("Mail"), QStringLiteral("imappassword")},
            {QStringLiteral("list"), QStringLiteral("Lorvat"), QStringLiteral("Mail")},
            {QStringLiteral("query"), key},
            {QStringLiteral("query"), key, QStringLiteral("ImapPassword")},
            {QStringLiteral("export")},
        };
        for (const QStringList &command : commands) {
            QCOMPARE(run(command), 0);
            QVERIFY2(!m_out.contains("Sesam"), m_out.constData());
            QVERIFY2(m_out.contains("********") || m_out.contains("\"ImapPassword\" is a password and not exported"),
                     m_out.constData());
        }
        QCOMPARE(run({QStringLiteral("get"), QStringLiteral("Lorvat"), QStringLiteral("Mail"), QStringLiteral("ImapPassword")}), 0);
        QCOMPARE(m_out, QByteArray("********\n"));

        // Importing an export keeps the stored password rather than a mask.
        QCOMPARE(run({QStringLiteral("export"), key}), 0);
        const QString file = m_home->path() + QStringLiteral("/export.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(m_out);
        f.close();
        QCOMPARE(run({QStringLiteral("import"), file}), 0);
        QCOMPARE(GetSetting(QStringLiteral("Lorvat"), QStringLiteral("Mail"), QStringLiteral("ImapPassword")),
                 QStringLiteral("Sesam-öffne-dich"));
    }

    void badArgumentsAndBadInput()
    {
        QCOMPARE(run({}), 2);
        QCOMPARE(run({QStringLiteral("frobnicate")}), 2);
        QCOMPARE(run({QStringLiteral("get"), QStringLiteral("Lorvat")}), 2);
        QVERIFY(m_err.contains("Aufruf:"));
        QCOMPARE(run({QStringLiteral("add"), QStringLiteral("HKCU\\x"), QStringLiteral("n"), QStringLiteral("REG_BINARY"), QStringLiteral("1")}), 2);
        QCOMPARE(run({QStringLiteral("add"), QStringLiteral("HKCU\\x"), QStringLiteral("n"), QStringLiteral("REG_DWORD"), QStringLiteral("zwölf")}), 1);
        QCOMPARE(run({QStringLiteral("query"), QStringLiteral("NOWHERE\\x")}), 1);
        QCOMPARE(run({QStringLiteral("delete"), QStringLiteral("HKCU\\x"), QStringLiteral("missing")}), 1);
        const QString bad = m_home->path() + QStringLiteral("/bad.txt");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[HKCU\\Software\\A]\n\"ok\"=\"1\"\nnonsense here\n\"later\"=\"2\"\n");
        f.close();
        QCOMPARE(run({QStringLiteral("import"), bad}), 1);
        QVERIFY(m_err.contains("line 3"));
        QCOMPARE(run({QStringLiteral("import"), m_home->path() + QStringLiteral("/absent.txt")}), 1);
    }

    void failingStoreGivesStatusOne()
    {
        // The store's folder cannot be made: a file stands where it should be.
        QFile blocker(m_home->configHome() + QStringLiteral("/tilvano"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(run({QStringLiteral("set"), QStringLiteral("Lorvat"), QStringLiteral("Misc"), QStringLiteral("a"), QStringLiteral("b")}), 1);
        QVERIFY(m_err.contains("settings store"));
    }

private:
    int run(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(TILVANO_REG), args);
        if (!p.waitForFinished(60000))
            return -1;
        m_out = p.readAllStandardOutput();
        m_err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    std::unique_ptr<test::IsolatedHome> m_home;
    QByteArray m_out, m_err;
};

QTEST_GUILESS_MAIN(TestRegistryTool)
#include "tst_registrytool.moc"
