#include "common/SettingsStore.h"
#include "platform/system/SqliteRegistry.h"
#include "support/IsolatedHome.h"

#include <QtTest>

#include <sqlite3.h>
#include <signal.h>

using namespace tilvano;

namespace {
const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Lorvat\\Load");
}

class TestSqliteRegistry : public QObject {
    Q_OBJECT
private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void storeIsCreatedPrivate()
    {
        SqliteRegistry registry(SqliteRegistry::defaultPath());
        QVERIFY(registry.isOpen());
        QVERIFY(registry.setValue(kKey, QStringLiteral("a"), RegistryValue::fromString(QStringLiteral("b"))));
        QCOMPARE(QFileInfo(registry.path()).path(), m_home->configHome() + QStringLiteral("/tilvano"));
        const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QCOMPARE(QFile::permissions(registry.path()) & others, QFile::Permissions());
        QCOMPARE(QFile::permissions(registry.path() + QStringLiteral("-wal")) & others, QFile::Permissions());
        QCOMPARE(QFile::permissions(QFileInfo(registry.path()).path()) & others, QFile::Permissions());
    }

    void typesKeysAndCase()
    {
        SqliteRegistry registry(SqliteRegistry::defaultPath());
        QVERIFY(registry.setValue(QStringLiteral("HKCU\\Software\\Lorvat\\Größe"), QStringLiteral("Width"), RegistryValue::fromDWord(-7)));
        QCOMPARE(*registry.value(QStringLiteral("hkey_current_user\\software\\LORVAT\\GRÖSSE").replace(QStringLiteral("SS"), QStringLiteral("ß")),
                                 QStringLiteral("WIDTH")),
                 RegistryValue::fromDWord(-7));
        const QString withNul = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
        QVERIFY(registry.setValue(kKey, QStringLiteral("Nul"), RegistryValue::fromString(withNul)));
        QCOMPARE(registry.value(kKey, QStringLiteral("nul"))->text, withNul);
        // A key written under another spelling keeps its first spelling in listings.
        QVERIFY(registry.setValue(QStringLiteral("HKCU\\SOFTWARE\\lorvat\\load"), QStringLiteral("NUL"),
                                  RegistryValue::fromString(QStringLiteral("x"))));
        QCOMPARE(registry.values(kKey).size(), 1);
        QCOMPARE(registry.values(kKey).first().name, QStringLiteral("Nul"));
        QCOMPARE(registry.subKeys(QStringLiteral("HKCU\\Software\\Lorvat")), QStringList({QStringLiteral("Größe"), QStringLiteral("Load")}));
        QVERIFY(registry.keyExists(QStringLiteral("HKCU\\Software")));
        QVERIFY(!registry.keyExists(QStringLiteral("HKCU\\Software\\Nothing")));
        QVERIFY(!registry.setValue(QStringLiteral("NOROOT\\x"), QStringLiteral("a"), RegistryValue::fromDWord(1)));
        QVERIFY(registry.deleteValue(kKey, QStringLiteral("nUl")));
        QVERIFY(!registry.deleteValue(kKey, QStringLiteral("nUl")));
        QVERIFY(!registry.value(kKey, QStringLiteral("Nul")));
    }

    void valuesSurviveReopening()
    {
        {
            SqliteRegistry registry(SqliteRegistry::defaultPath());
            QVERIFY(registry.setValue(kKey, QStringLiteral("k"), RegistryValue::fromString(QStringLiteral("v"))));
        }
        SqliteRegistry again(SqliteRegistry::defaultPath());
        QCOMPARE(again.value(kKey, QStringLiteral("K"))->text, QStringLiteral("v"));
    }

    void readsSeeWhatAnotherProcessWrote()
    {
        SqliteRegistry registry(SqliteRegistry::defaultPath());
        QVERIFY(registry.setValue(kKey, QStringLiteral("x0"), RegistryValue::fromString(QStringLiteral("alt"))));
        QCOMPARE(registry.value(kKey, QStringLiteral("x0"))->text, QStringLiteral("alt"));
        QVERIFY(!registry.value(kKey, QStringLiteral("x1")));
        QProcess writer;
        writer.start(QStringLiteral(TESTPEER), {QStringLiteral("write"), QStringLiteral("x"), QStringLiteral("2")});
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitCode(), 0);
        // Values this process had already read must not come back stale.
        QCOMPARE(registry.value(kKey, QStringLiteral("x0"))->text, QStringLiteral("value 0"));
        QCOMPARE(registry.value(kKey, QStringLiteral("X1"))->text, QStringLiteral("value 1"));
    }

    void damagedStoreIsMovedAsideNotDeleted()
    {
        const QString path = SqliteRegistry::defaultPath();
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray garbage = QByteArray("this is not a database ") .repeated(400);
        file.write(garbage);
        file.close();

        SqliteRegistry registry(path);
        QVERIFY(registry.isOpen());
        QVERIFY(!registry.recoveredFrom().isEmpty());
        QFile moved(registry.recoveredFrom());
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), garbage);
        QVERIFY(registry.setValue(kKey, QStringLiteral("fresh"), RegistryValue::fromDWord(1)));
        QCOMPARE(registry.value(kKey, QStringLiteral("fresh"))->number, 1);
    }

    void twoProcessesWriteAtOnce()
    {
        QProcess first, second;
        for (QProcess *p : {&first, &second})
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first.start(QStringLiteral(TESTPEER), {QStringLiteral("write"), QStringLiteral("a"), QStringLiteral("5000")});
        second.start(QStringLiteral(TESTPEER), {QStringLiteral("write"), QStringLiteral("b"), QStringLiteral("5000")});
        QVERIFY(first.waitForFinished(240000));
        QVERIFY(second.waitForFinished(240000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(second.exitCode(), 0);

        SqliteRegistry registry(SqliteRegistry::defaultPath());
        const QList<NamedRegistryValue> values = registry.values(kKey);
        QCOMPARE(values.size(), 10000);
        for (int i = 0; i < 5000; i += 499) {
            QCOMPARE(registry.value(kKey, QStringLiteral("a%1").arg(i))->text, QStringLiteral("value %1").arg(i));
            QCOMPARE(registry.value(kKey, QStringLiteral("b%1").arg(i))->text, QStringLiteral("value %1").arg(i));
        }
    }

    void killedWriterLosesNothingThatWasSaved()
    {
        QProcess writer;
        writer.start(QStringLiteral(TESTPEER), {QStringLiteral("write"), QStringLiteral("k"), QStringLiteral("1000000")});
        QVERIFY(writer.waitForStarted());
        int lastSaved = -1;
        QByteArray pending;
        while (lastSaved < 1500 && writer.waitForReadyRead(60000)) {
            pending += writer.readAllStandardOutput();
            const qsizetype end = pending.lastIndexOf('\n');
            if (end < 0)
                continue;
            const QList<QByteArray> lines = pending.left(end).split('\n');
            lastSaved = lines.last().toInt();
            pending = pending.mid(end + 1);
        }
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        // Every index printed had returned from its save before it was printed.
        pending += writer.readAllStandardOutput();
        for (const QByteArray &line : pending.split('\n'))
            if (!line.isEmpty())
                lastSaved = line.toInt();
        QVERIFY(lastSaved >= 1500);

        SqliteRegistry registry(SqliteRegistry::defaultPath());
        QVERIFY(registry.isOpen());
        QVERIFY(registry.recoveredFrom().isEmpty());
        for (int i = 0; i <= lastSaved; ++i)
            QVERIFY2(registry.value(kKey, QStringLiteral("k%1").arg(i)), qPrintable(QString::number(i)));

        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(registry.path()).constData(), &db), SQLITE_OK);
        sqlite3_stmt *stmt = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(stmt), SQLITE_ROW);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))), QByteArray("ok"));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_GUILESS_MAIN(TestSqliteRegistry)
#include "tst_sqliteregistry.moc"
