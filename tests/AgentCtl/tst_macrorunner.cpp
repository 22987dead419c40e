// The macro runner: finding stored macros by name, running them and handed-
// over texts against the character, and recording what goes wrong.

#include "support/AgentTestBench.h"
#include "common/ErrorLog.h"
#include "common/MacroScript.h"
#include "common/MacroStore.h"
#include "AgentCtl/MainForm.h"
#include "platform/script/ScriptEngine.h"

#include <QRegularExpression>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

namespace {

// A one-line macro that speaks `text`, as the editor stores it.
QString speaking(const QString &text) { return composeScriptText({speakStatement(text).scriptLine}); }

// The tags a character fresh from loading gets before every sentence.
const QString kLoadedVoiceTags = QStringLiteral("\\Spd=150\\\\Pit=100\\\\Vol=65000\\");

} // namespace

class TestMacroRunner : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        agent = bench->agentWithCharacter();
        // Plain sentences, so that the calls show only what the macro said.
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        bench->character()->setVisibleState(true);
    }
    void cleanup()
    {
        agent.reset();
        bench.reset();
    }

    void macroNamesListsSlotsUpToTheFirstIncompleteOne()
    {
        StoreMacro(0, QStringLiteral("Gruß"), speaking(QStringLiteral("Hallo")));
        StoreMacro(1, QStringLiteral("Ende"), composeScriptText({stopLine()}));
        StoreMacro(2, QStringLiteral("Leer"), QString());
        StoreMacro(3, QStringLiteral("Versteckt"), speaking(QStringLiteral("nie")));
        QCOMPARE(agent->MacroNames(), (QStringList{"Gruß", "Ende"}));
        QCOMPARE(bench->logMessages(), QStringList{QStringLiteral("Get MacroNames")});
        QCOMPARE(agent->LastError().number, 0);
    }

    void macroNamesWithTwoEqualNamesFails()
    {
        StoreMacro(0, QStringLiteral("Gruß"), speaking(QStringLiteral("A")));
        StoreMacro(1, QStringLiteral("Anders"), speaking(QStringLiteral("B")));
        StoreMacro(2, QStringLiteral("GRUß"), speaking(QStringLiteral("C")));
        QVERIFY(agent->MacroNames().isEmpty());
        QCOMPARE(agent->LastError().number, 457);
        QCOMPARE(bench->logMessages(),
                 (QStringList{"Get MacroNames", "Kibo.Agent.SetLastError:  #457 Source: Tilvano - Line: 0 - Desc: "
                                                "Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet"}));
    }

    void runByNameIgnoresCaseTakesTheFirstMatchAndLooksPastBlanks()
    {
        StoreMacro(0, QStringLiteral("Gruß"), speaking(QStringLiteral("erster")));
        StoreMacro(1, QStringLiteral("gruß"), speaking(QStringLiteral("zweiter")));
        StoreMacro(5, QStringLiteral("Fünf"), speaking(QStringLiteral("fünf"))); // slots 2 to 4 empty
        QVERIFY(agent->RunMacroByName(QStringLiteral("GRUß")));
        QVERIFY(agent->RunMacroByName(QStringLiteral("fünf")));
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Speak(erster, )", "somebody.Speak(fünf, )"}));
        QCOMPARE(bench->logMessages(), (QStringList{"RunMacroByName: GRUß", "SpeakIt: erster", "RunMacroByName: fünf",
                                                    "SpeakIt: fünf"}));
    }

    void unknownOrEmptyNameRunsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown") << QStringLiteral("Fehlt");
        // Blank slots have empty names; an empty request must not pick one.
        QTest::newRow("empty") << QString();
    }
    void unknownOrEmptyNameRunsNothing()
    {
        QFETCH(QString, name);
        StoreMacro(0, QStringLiteral("Da"), speaking(QStringLiteral("da")));
        WriteMacroSlot(1, StoredMacro{}); // a blank slot written empty, as after a delete
        QVERIFY(!agent->RunMacroByName(name));
        QVERIFY(bench->control->calls().isEmpty());
        QCOMPARE(agent->LastError().number, 0);
        QCOMPARE(bench->logMessages(), QStringList{QStringLiteral("RunMacroByName: ") + name});
    }

    void matchInTheLastReadSlotRunsButReportsFalse()
    {
        WriteMacroSlot(lastReadSlot, StoredMacro{QStringLiteral("Ganz hinten"), speaking(QStringLiteral("hundert"))});
        QVERIFY(!agent->RunMacroByName(QStringLiteral("ganz hinten")));
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.Speak(hundert, )")});
        QCOMPARE(agent->LastError().number, 0);

        WriteMacroSlot(99, StoredMacro{QStringLiteral("Letzter"), speaking(QStringLiteral("neunundneunzig"))});
        QVERIFY(agent->RunMacroByName(QStringLiteral("Letzter")));
    }

    void aNameWithoutScriptRunsTheFailingDefault()
    {
        SaveSetting(settingsApplication(), macrosSection(), macroNameKey(0), QStringLiteral("Halb"));
        QVERIFY(!agent->RunMacroByName(QStringLiteral("Halb")));
        QVERIFY(bench->control->calls().isEmpty());
        QCOMPARE(bench->logMessages(),
                 (QStringList{"RunMacroByName: Halb",
                              "Kibo.Agent.SetLastError:  #438 Source: Microsoft VBScript runtime error - Line: 1 - "
                              "Desc: Object doesn't support this property or method"}));
        QCOMPARE(agent->LastError().number, 438);
    }

    void runTextDoublesApostrophesInTheCallersVariable()
    {
        const QString given = QStringLiteral("Kibo.SpeakIt \"Geht's?\"<!!BR!!>Kibo.Think \"'s geht\"<!!BR!!>");
        QString text = given;
        QVERIFY(agent->RunMacroText(text));
        QCOMPARE(text, QStringLiteral("Kibo.SpeakIt \"Geht''s?\"\r\nKibo.Think \"''s geht\"\r\n"));
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Speak(Geht''s?, )", "somebody.Think(''s geht)"}));
        QCOMPARE(bench->logMessages().value(0), QStringLiteral("RunMacroText: ") + given);
    }

    void syntaxErrorRunsNothingAndIsRecorded()
    {
        QString text = QStringLiteral("Kibo.StopAll<!!BR!!>Kibo.SpeakIt \"offen<!!BR!!>");
        QVERIFY(!agent->RunMacroText(text));
        QVERIFY(bench->control->calls().isEmpty());
        QCOMPARE(bench->logMessages(),
                 (QStringList{QStringLiteral("RunMacroText: Kibo.StopAll<!!BR!!>Kibo.SpeakIt \"offen<!!BR!!>"),
                              QStringLiteral("Kibo.Agent.SetLastError:  #1033 Source: Microsoft VBScript compilation "
                                             "error - Line: 2 - Desc: Unterminated string constant")}));
        QCOMPARE(agent->LastError().number, 1033);
    }

    void runTimeErrorEndsTheScript()
    {
        QString broken = QStringLiteral("Kibo.PlayAni \"Wave\"<!!BR!!>Kibo.Fliege<!!BR!!>Kibo.StopAll<!!BR!!>");
        QVERIFY(!agent->RunMacroText(broken));
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.Play(Wave)")});
        QCOMPARE(agent->LastError().number, 438);
        QCOMPARE(agent->LastError().line, 2);
    }

    void scriptsCanAskTheUser()
    {
        bench->dialogs.queueAnswer(DialogService::Yes);
        QString text = QStringLiteral("If MsgBox(\"Winken?\", 4) = 6 Then Kibo.PlayAni \"Wave\"");
        QVERIFY(agent->RunMacroText(text));
        QCOMPARE(bench->dialogs.shown().value(0).text, QStringLiteral("Winken?"));
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.Play(Wave)")});
    }

    void storedMacroWithEveryStatementFormRunsInOrder()
    {
        agent->setSpeed(150);
        agent->setPitch(100);
        agent->setVolume(65000);
        bench->character()->setVisibleState(false);
        const QStringList lines{animationStatement(QStringLiteral("Wave")).scriptLine,
                                speakStatement(QStringLiteral("Sag \"Hi\" am <DATE>")).scriptLine,
                                thinkStatement(QStringLiteral("Hm, \"so\"")).scriptLine,
                                soundStatement(QStringLiteral("/tmp/ein \"Ton\".wav")).scriptLine,
                                walkStatement(QStringLiteral("100"), QStringLiteral("200")).scriptLine,
                                walkReplacementStatement(QStringLiteral("-5"), QStringLiteral("7")).scriptLine,
                                stopStatement().scriptLine};
        StoreMacro(0, QStringLiteral("Alles"), composeScriptText(lines));

        QVERIFY(agent->RunMacroByName(QStringLiteral("alles")));
        const QStringList calls = bench->control->calls();
        QCOMPARE(calls.size(), 8);
        QCOMPARE(calls.mid(0, 2), (QStringList{"somebody.Show(False)", "somebody.Play(Wave)"}));
        QVERIFY2(QRegularExpression(QStringLiteral("^somebody\\.Speak\\(") + QRegularExpression::escape(kLoadedVoiceTags)
                                    + QStringLiteral("Sag \"Hi\" am \\d\\d\\.\\d\\d\\.\\d{4}, \\)$"))
                     .match(calls.at(2))
                     .hasMatch(),
                 qPrintable(calls.at(2)));
        QCOMPARE(calls.mid(3), (QStringList{"somebody.Think(Hm, \"so\")", "somebody.Speak(, /tmp/ein \"Ton\".wav)",
                                            "somebody.MoveTo(100, 200)", "somebody.MoveTo(-5, 7)",
                                            "somebody.StopAll()"}));
        QCOMPARE(agent->LastError().number, 0);
    }

    void quotedCodeInASpokenTextStaysText()
    {
        const QString typed = QStringLiteral("Hallo \" : CreateObject(\"x\") : \" Welt");
        StoreMacro(0, QStringLiteral("Falle"), speaking(typed));
        QVERIFY(agent->RunMacroByName(QStringLiteral("Falle")));
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.Speak(%1, )").arg(typed)});
        QCOMPARE(agent->LastError().number, 0);
    }

    void aMacroThatStartsItselfEndsWithoutCrashing()
    {
        StoreMacro(0, QStringLiteral("Echo"),
                   composeScriptText({QStringLiteral("Kibo.RunMacroByName \"Echo\""), stopLine()}));
        agent->RunMacroByName(QStringLiteral("Echo"));
        QCOMPARE(agent->LastError().number, 28);
        // Only the innermost run reaches its second line: each nested start
        // cleared the engine under the runs around it.
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.StopAll()")});
    }

    void hostileMacrosEndInAnErrorNotACrash()
    {
        // These take a while in a checked build; they must not meet the time limit.
        agent->readTextWindow()->ScriptControl().setTimeLimit(std::chrono::minutes(5));
        // Nested three hundred thousand deep: freeing it (at the next run's
        // reset) once overflowed the stack.
        QString nesting = QStringLiteral("x = Empty<!!BR!!>For i = 1 To 300000<!!BR!!>x = Array(x)<!!BR!!>Next<!!BR!!>");
        QVERIFY(agent->RunMacroText(nesting));
        QString speak = speaking(QStringLiteral("danach"));
        QVERIFY(agent->RunMacroText(speak));
        // A hundred thousand operands in one line: evaluating the chain once did.
        QString chain = QStringLiteral("Kibo.SpeakIt Len(\"a\"") + QStringLiteral(" & \"b\"").repeated(100000) + QStringLiteral(")");
        QVERIFY(agent->RunMacroText(chain));
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Speak(danach, )", "somebody.Speak(100001, )"}));

        // A macro that runs too long stops, and the user is told once.
        agent->readTextWindow()->ScriptControl().setTimeLimit(std::chrono::milliseconds(200));
        QString endless = QStringLiteral("Do<!!BR!!>Loop<!!BR!!>");
        QVERIFY(!agent->RunMacroText(endless));
        QCOMPARE(agent->LastError().number, script::errc::TimedOut);
        QCOMPARE(bench->dialogs.texts(),
                 QStringList{QStringLiteral("Das Makro lief länger als 0,2 Sekunden und wurde deshalb abgebrochen.")});
    }

private:
    std::unique_ptr<AgentTestBench> bench;
    std::unique_ptr<Agent> agent;
};

QTEST_MAIN(TestMacroRunner)
#include "tst_macrorunner.moc"
