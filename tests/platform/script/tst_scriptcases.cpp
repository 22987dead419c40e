// The language, case by case: every .vbs file in cases/ runs under the
// console host tilvano-vbs as a user would run it, and must print what its
// comments say:
//   ' expect: TEXT          the next line of output (WScript.Echo)
//   ' expect error: TEXT    the error report after the file name, e.g.
//                           "(3, 5) Microsoft VBScript runtime error: Overflow"
//   ' expect exit: N        the exit code (WScript.Quit N)
// Adding a case needs no C++: a new file, or a new line in one.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Expectations {
    QStringList output;
    QString error;
    int exitCode = 0;
};

Expectations expectationsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    static const QRegularExpression comment(QStringLiteral("'\\s*expect( error| exit)?:\\s?(.*)$"));
    Expectations expected;
    bool errorGiven = false;
    bool exitGiven = false;
    for (const QByteArray &rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).remove(QLatin1Char('\r'));
        const QRegularExpressionMatch m = comment.match(line);
        if (!m.hasMatch())
            continue;
        const QString kind = m.captured(1).trimmed();
        const QString text = m.captured(2);
        if (kind == QLatin1String("error")) {
            expected.error = text;
            errorGiven = true;
        } else if (kind == QLatin1String("exit")) {
            expected.exitCode = text.toInt();
            exitGiven = true;
        } else {
            expected.output.append(text);
        }
    }
    if (errorGiven && !exitGiven)
        expected.exitCode = 1;
    return expected;
}

QStringList linesOf(const QByteArray &bytes)
{
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class ScriptCasesTest : public QObject {
    Q_OBJECT

private slots:
    void caseFile_data()
    {
        QTest::addColumn<QString>("path");
        const QDir cases(QStringLiteral(TILVANO_SCRIPT_CASES));
        const QStringList files = cases.entryList({QStringLiteral("*.vbs")}, QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), "no case files found");
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << cases.filePath(name);
    }

    void caseFile()
    {
        QFETCH(QString, path);
        const Expectations expected = expectationsOf(path);
        QProcess process;
        process.start(QStringLiteral(TILVANO_VBS_PATH), {path});
        QVERIFY(process.waitForFinished(120000));
        const QStringList output = linesOf(process.readAllStandardOutput());
        const QString error = QString::fromUtf8(process.readAllStandardError()).trimmed();
        QCOMPARE(output, expected.output);
        QCOMPARE(error, expected.error.isEmpty() ? QString() : path + expected.error);
        QCOMPARE(process.exitCode(), expected.exitCode);
    }

    void missingFileIsReported()
    {
        QTemporaryDir dir;
        QProcess process;
        process.start(QStringLiteral(TILVANO_VBS_PATH), {dir.filePath(QStringLiteral("none.vbs"))});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(!process.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ScriptCasesTest)
#include "tst_scriptcases.moc"
