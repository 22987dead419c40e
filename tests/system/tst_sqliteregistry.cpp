#include "common/SettingsStore.h"
#include "system/SqliteRegistry.h"
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

    // A damaged store is moved aside whole, never deleted, whether opening
    // meets the damage or the first statement after it; the operation that
    // met it goes on on a fresh store, and the owner is told where the old one went.
    void damagedStoreIsMovedAside_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("foundAtOpening");
        QTest::newRow("no database at all") << "garbage" << true;
        QTest::newRow("cut to 8192 bytes") << "cut" << true;
        QTest::newRow("pages overwritten") << "scribbled" << false;
    }
    void damagedStoreIsMovedAside()
    {
        QFETCH(QString, damage);
        QFETCH(bool, foundAtOpening);
        const QString path = SqliteRegistry::defaultPath();
        const QByteArray damaged = damagedStore(path, damage);

        QList<StoreProblem> problems;
        SqliteRegistry registry(path, [&](const StoreProblem &problem) { problems.append(problem); });
        QVERIFY(registry.isOpen());
        QCOMPARE(registry.recoveredFrom().isEmpty(), !foundAtOpening);
        QVERIFY(!registry.value(kKey, QStringLiteral("k1")));
        QVERIFY(registry.lastError().isEmpty());
        QVERIFY(registry.setValue(kKey, QStringLiteral("fresh"), RegistryValue::fromDWord(1)));

        QVERIFY(!registry.recoveredFrom().isEmpty());
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems.first().kind, StoreProblem::MovedAside);
        QCOMPARE(problems.first().detail, registry.recoveredFrom());
        QFile moved(registry.recoveredFrom());
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), damaged);
        SqliteRegistry again(path);
        QVERIFY(again.recoveredFrom().isEmpty());
        QCOMPARE(again.value(kKey, QStringLiteral("fresh"))->number, 1);
    }

    // Another program (or the user) moved the store away while it was open:
    // later saves go to the store at the path, not into the file moved away.
    void savesFollowAStoreThatWasMovedAway()
    {
        const QString path = SqliteRegistry::defaultPath();
        SqliteRegistry registry(path);
        QVERIFY(registry.setValue(kKey, QStringLiteral("before"), RegistryValue::fromDWord(1)));
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::rename(path + suffix, path + QStringLiteral(".old") + suffix);

        QVERIFY(registry.setValue(kKey, QStringLiteral("after"), RegistryValue::fromDWord(2)));
        SqliteRegistry atPath(path);
        QCOMPARE(atPath.value(kKey, QStringLiteral("after"))->number, 2);
        QVERIFY(!atPath.value(kKey, QStringLiteral("before")));
        QVERIFY(!registry.value(kKey, QStringLiteral("before"))); // reads follow too
    }

    void anEmptyOrSoundStoreIsKept()
    {
        const QString path = SqliteRegistry::defaultPath();
        QDir().mkpath(QFileInfo(path).path());
        QVERIFY(QFile(path).open(QIODevice::WriteOnly)); // empty: a store not yet written
        {
            SqliteRegistry registry(path);
            QVERIFY(registry.recoveredFrom().isEmpty());
            QVERIFY(registry.setValue(kKey, QStringLiteral("k"), RegistryValue::fromString(QStringLiteral("v"))));
        }
        SqliteRegistry registry(path);
        QVERIFY(registry.recoveredFrom().isEmpty());
        QCOMPARE(registry.value(kKey, QStringLiteral("k"))->text, QStringLiteral("v"));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList({QStringLiteral("*damaged*")}), QStringList());
    }

    // A program without windows says so on standard error, once however
    // often it tries, and its saves report failure.
    void readOnlyStoreFolderIsToldOnce()
    {
        {
            SqliteRegistry registry(SqliteRegistry::defaultPath());
            QVERIFY(registry.setValue(kKey, QStringLiteral("kept"), RegistryValue::fromDWord(7)));
        }
        QProcess peer;
        peer.start(QStringLiteral(TESTPEER), {QStringLiteral("readonly"), QFileInfo(SqliteRegistry::defaultPath()).path(),
                                              QStringLiteral("3")});
        QVERIFY(peer.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(peer.readAllStandardError());
        QVERIFY2(peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0, qPrintable(errors));
        QCOMPARE(peer.readAllStandardOutput(), QByteArray("0\n"));
        QCOMPARE(errors.count(QStringLiteral("Die Einstellungen können nicht gespeichert werden")), 1);

        SqliteRegistry registry(SqliteRegistry::defaultPath());
        QCOMPARE(registry.value(kKey, QStringLiteral("kept"))->number, 7);
        QVERIFY(!registry.value(kKey, QStringLiteral("ro0")));
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

    // The companion, tilvano-reg run again and again, and a reader, all at
    // once: nobody crashes, nothing written is lost, the store stays sound.
    void companionToolAndReaderShareTheStore()
    {
        constexpr int toolRuns = 250;
        QProcess host, reader;
        for (QProcess *p : {&host, &reader})
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        host.start(QStringLiteral(TESTPEER), {QStringLiteral("host"), QStringLiteral("h")});
        reader.start(QStringLiteral(TESTPEER), {QStringLiteral("read")});
        QVERIFY(host.waitForStarted() && reader.waitForStarted());
        for (int i = 0; i < toolRuns; ++i) {
            QProcess tool;
            tool.setProcessChannelMode(QProcess::ForwardedChannels);
            tool.start(QStringLiteral(TILVANO_REG), {QStringLiteral("set"), QStringLiteral("Lorvat"), QStringLiteral("Conc"),
                                                     QStringLiteral("V%1").arg(i), QStringLiteral("x")});
            QVERIFY(tool.waitForFinished(60000));
            QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
            QCOMPARE(tool.exitCode(), 0);
        }
        int operations = toolRuns;
        int hostSaves = 0;
        for (QProcess *p : {&host, &reader}) {
            p->closeWriteChannel();
            QVERIFY(p->waitForFinished(60000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit); // a bus error ends it by a signal
            QCOMPARE(p->exitCode(), 0);
            const int done = p->readAllStandardOutput().trimmed().toInt();
            QVERIFY(done > 0);
            operations += done;
            if (p == &host)
                hostSaves = done;
        }
        qInfo("%d operations", operations);
        QVERIFY(operations >= 2000);

        QCOMPARE(integrityCheck(SqliteRegistry::defaultPath()), QByteArray("ok"));
        SqliteRegistry registry(SqliteRegistry::defaultPath());
        QVERIFY(registry.recoveredFrom().isEmpty());
        QCOMPARE(registry.values(kKey).size(), hostSaves);
        QCOMPARE(registry.values(QStringLiteral("HKCU\\Software\\Lorvat\\Conc")).size(), toolRuns);
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

        QCOMPARE(integrityCheck(registry.path()), QByteArray("ok"));
    }

private:
    // Writes a store with values and damages it as named; returns its bytes.
    static QByteArray damagedStore(const QString &path, const QString &damage)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (damage == QLatin1String("garbage")) {
            file.open(QIODevice::WriteOnly);
            file.write(QByteArray("this is not a database ").repeated(400));
            file.close();
        } else {
            {
                SqliteRegistry registry(path);
                for (int i = 0; i < 2000; ++i)
                    registry.setValue(kKey, QStringLiteral("k%1").arg(i), RegistryValue::fromString(QStringLiteral("value %1").arg(i)));
            } // the last connection folds the WAL into the store
            file.open(QIODevice::ReadWrite);
            if (damage == QLatin1String("cut")) {
                file.resize(8192);
            } else { // every page after the first, which holds the schema
                file.seek(4096);
                file.write(QByteArray(int(file.size() - 4096), 'Z'));
            }
            file.close();
        }
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    static QByteArray integrityCheck(const QString &path)
    {
        sqlite3 *db = nullptr;
        QByteArray result = "cannot open";
        if (sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK) {
            sqlite3_stmt *stmt = nullptr;
            result = "cannot check";
            if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK
                && sqlite3_step(stmt) == SQLITE_ROW)
                result = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
            sqlite3_finalize(stmt);
        }
        sqlite3_close(db);
        return result;
    }

    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_GUILESS_MAIN(TestSqliteRegistry)
#include "tst_sqliteregistry.moc"
