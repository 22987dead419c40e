// The console runner as a user calls it.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TilvanoVbsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Result {
        int exitCode;
        QString out;
        QString err;
    };

    Result runScript(const QByteArray &script)
    {
        const QString path = m_dir.filePath(QStringLiteral("probe.vbs"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {-1, {}, {}};
        file.write(script);
        file.close();
        QProcess process;
        process.start(QStringLiteral(TILVANO_VBS_PATH), {path});
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError()).replace(path, QStringLiteral("FILE"))};
    }

private slots:
    void echoJoinsArgumentsWithABlank()
    {
        const Result r = runScript("WScript.Echo \"Hallo\", 1 + 1, True\nWScript.Echo\nWScript.Echo 2.5, \"Grüße\"\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("Hallo 2 True\n\n2.5 Grüße\n"));
        QCOMPARE(r.err, QString());
    }

    void uncaughtErrorGoesToStandardErrorWithPosition()
    {
        Result r = runScript("WScript.Echo \"vorher\"\n\n  x = 1 / 0\nWScript.Echo \"nachher\"\n");
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QStringLiteral("vorher\n"));
        QCOMPARE(r.err, QStringLiteral("FILE(3, 3) Microsoft VBScript runtime error: Division by zero\n"));
        r = runScript("WScript.Echo \"nie\"\nx = \"offen\n");
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QStringLiteral("FILE(2, 5) Microsoft VBScript compilation error: Unterminated string constant\n"));
    }

    void quitEndsWithItsCode()
    {
        const Result r = runScript("WScript.Echo 1\nWScript.Quit 3\nWScript.Echo 2\n");
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.out, QStringLiteral("1\n"));
    }

    void missingFileIsReported()
    {
        QProcess process;
        process.start(QStringLiteral(TILVANO_VBS_PATH), {m_dir.filePath(QStringLiteral("none.vbs"))});
        process.waitForFinished(60000);
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(!process.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TilvanoVbsTest)
#include "tst_tilvanovbs.moc"
