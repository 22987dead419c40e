#include "common/MacroScript.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace tilvano;

Q_DECLARE_METATYPE(tilvano::MacroStatement)

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

QStringList scriptLinesOf(const QList<MacroStatement> &lines)
{
    QStringList scriptLines;
    for (const MacroStatement &line : lines)
        scriptLines.append(line.scriptLine);
    return scriptLines;
}

} // namespace

class TestMacroScript : public QObject {
    Q_OBJECT
private slots:
    // Each statement as it is written, and as it comes back from the store.
    void statementsComposeAndParseBack_data()
    {
        QTest::addColumn<MacroStatement>("added");
        QTest::addColumn<QString>("script");
        QTest::addColumn<MacroStatement>("reloaded");
        const auto row = [](const char *name, const MacroStatement &added, const char *script, const char *shown,
                            const char *data) {
            QTest::newRow(name) << added << q(script) << MacroStatement{q(shown), q(script), q(data)};
        };
        row("animation", animationStatement(q("Greet")), "Kibo.PlayAni \"Greet\"", "Animation: 'Greet\"", "Greet");
        row("speak", speakStatement(q("Sag \"Hi\", geht's?")), "Kibo.SpeakIt \"Sag \"\"Hi\"\", geht's?\"",
            "Spreche: 'Sag \"Hi\", geht's?\"", "Sag \"Hi\", geht's?");
        row("think", thinkStatement(q("Grübel \"")), "Kibo.Think \"Grübel \"\"\"", "Denke: 'Grübel \"\"", "Grübel \"");
        row("sound", soundStatement(q("/a/\"b\".wav")), "Kibo.SpeakWave \"/a/\"\"b\"\".wav\"",
            "Datei: '/a/\"b\".wav\"", "/a/\"b\".wav");
        row("walk", walkStatement(q("100"), q("200")), "Kibo.MoveTo 100, 200", "Gehe nach: 100, 200", "100, 200");
        row("walk replaced", walkReplacementStatement(q("12.5"), q("200")), "Kibo.MoveTo 12.5,200",
            "Gehe nach: 12.5,200", "12.5,200");
        row("stop", stopStatement(), "Kibo.StopAll", "Stopp", "Kibo.StopAll");
    }
    void statementsComposeAndParseBack()
    {
        QFETCH(MacroStatement, added);
        QFETCH(QString, script);
        QFETCH(MacroStatement, reloaded);
        QCOMPARE(added.scriptLine, script);
        QCOMPARE(parseStatementLine(script), reloaded);
    }

    void addedLinesShowWhatWasTyped()
    {
        QCOMPARE(speakStatement(q("Sag \"Hi\"")).showLine, q("Spreche: 'Sag \"Hi\"'"));
        QCOMPARE(speakStatement(q("Sag \"Hi\"")).data, q("Sag \"Hi\""));
        QCOMPARE(walkStatement(q("100"), q("200")).showLine, q("Gehe nach: 100,200"));
        QCOMPARE(walkStatement(q("100"), q("200")).data, q("100,200"));
        QCOMPARE(stopStatement().data, QString());
    }

    void storedTextsOfAnyShapeParse()
    {
        const QString text = composeScriptText({speakStatement(q("Hallo")).scriptLine, q("Kibo.StopAll")});
        QCOMPARE(text, q("Kibo.SpeakIt \"Hallo\"<!!BR!!>Kibo.StopAll<!!BR!!>"));
        QCOMPARE(parseScriptText(text).size(), 2);
        QVERIFY(parseScriptText(QString()).isEmpty());
        QCOMPARE(parseScriptText(q("abc<!!BR!!>")), (QList<MacroStatement>{{q("abc"), q("abc"), q("abc")}}));
        // No final separator, empty lines, real line breaks: all the same to a reader.
        QCOMPARE(scriptLinesOf(parseScriptText(q("Kibo.StopAll<!!BR!!><!!BR!!>x = 1\r\ny"))),
                 (QStringList{q("Kibo.StopAll"), q("x = 1"), q("y")}));
        // A lone line feed or a separator in other letter case does not end a line.
        QCOMPARE(parseScriptText(q("a\nb<!!br!!>c")).size(), 1);

        // Garbage stays as lines and is written back unchanged.
        QRandomGenerator random(99);
        for (int round = 0; round < 200; ++round) {
            QString garbage;
            for (int i = 0; i < 300; ++i)
                garbage += QChar(char16_t(random.bounded(1, 0xFFFF)));
            const QList<MacroStatement> lines = parseScriptText(garbage + q("<!!BR!!>\""));
            QCOMPARE(parseScriptText(composeScriptText(scriptLinesOf(lines))), lines);
        }
    }

    void statementsInsideATextStayInItsData()
    {
        const MacroStatement stop = parseStatementLine(speakStatement(q("Sag Kibo.StopAll")).scriptLine);
        QCOMPARE(stop.showLine, q("Spreche: 'Sag Stopp\""));
        QCOMPARE(stop.data, q("Sag Kibo.StopAll"));
        QCOMPARE(parseStatementLine(thinkStatement(q("geh Kibo.MoveTo 5")).scriptLine).data, q("geh Kibo.MoveTo 5"));
        // A typed separator must not cut the statement in two.
        const MacroStatement split = speakStatement(q("a<!!BR!!>b"));
        QCOMPARE(parseScriptText(composeScriptText({split.scriptLine})),
                 (QList<MacroStatement>{{q("Spreche: 'a<!!BR!!>b\""), split.scriptLine, q("a<!!BR!!>b")}}));
    }

    // Random typed texts with quotes, separators and statement look-alikes
    // come back from a stored script exactly as typed.
    void randomTextsRoundTrip()
    {
        const QStringList pieces{q("\""), q("'"), q(" "), q("<!!BR!!>"), q("<!!BR!"), q("!>"), q("Kibo.SpeakIt \""),
                                 q("Kibo.StopAll"), q("Kibo.MoveTo "), q(" & "), q("ä"), q("Hallo")};
        QRandomGenerator random(4711);
        for (int round = 0; round < 2000; ++round) {
            QString text;
            for (int i = random.bounded(8); i > 0; --i)
                text += pieces[random.bounded(int(pieces.size()))];
            const QList<MacroStatement> added{speakStatement(text), thinkStatement(text), soundStatement(text)};
            const QList<MacroStatement> reloaded = parseScriptText(composeScriptText(scriptLinesOf(added)));
            QCOMPARE(reloaded.size(), added.size());
            for (const MacroStatement &line : reloaded)
                QCOMPARE(line.data, text);
        }
    }
};

QTEST_GUILESS_MAIN(TestMacroScript)
#include "tst_macroscript.moc"
