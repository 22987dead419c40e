// Published objects: calls by name, properties, reference parameters, the
// stored macro statement forms, dialogs, and re-entrant use of the engine.
#include "ScriptDoubles.h"
#include "platform/script/ParamArray.h"
#include "support/ScriptedDialogService.h"

#include <QPointer>
#include <QTest>

#include <memory>

using namespace tilvano::script;
using tilvano::script::test::Probe;
using tilvano::script::test::RecordingCharacter;

class ScriptObjectsTest : public QObject {
    Q_OBJECT

private slots:
    void storedMacroFormsCallTheCharacter();
    void runnerDefaultScriptFailsWith438();
    void membersAreFoundWithoutRegardToCase();
    void propertiesReadAndWrite();
    void referenceParametersWriteBack();
    void returnValuesAndArgumentConversion();
    void listsDatesAndVariantsCrossTheBridge();
    void objectOnlyMembersStayHidden();
    void deletedObjectIsObjectRequired();
    void resetDuringRunDropsTheRest();
    void nestedRunWithoutResetContinues();
    void engineDeletedDuringRun();
    void writeBackAfterNestedRunReplacedTheArray();
    void messageAndInputBoxesUseTheDialogService();
    void dialogsWithoutServiceRaise();
    void timeOutIsToldOnceInGerman();
    void paramArrayMethodsTakeAnyNumberOfArguments();
    void stateSurvivesBetweenTextsUntilReset();
};

void ScriptObjectsTest::storedMacroFormsCallTheCharacter()
{
    // The six statement forms as the editor stores them, with "<!!BR!!>"
    // turned into line breaks and apostrophes doubled the way the runner does.
    QString stored = QStringLiteral(
        "Kibo.PlayAni \"Greet\"<!!BR!!>"
        "Kibo.SpeakIt \"Hallo \"\"Welt\"\"\"<!!BR!!>"
        "Kibo.Think \"Sag \"\"Hi\"\"\"<!!BR!!>"
        "Kibo.SpeakWave \"/home/anna/Töne/ding \"\"1\"\".wav\"<!!BR!!>"
        "Kibo.MoveTo 100, 200<!!BR!!>"
        "Kibo.MoveTo 5,6<!!BR!!>"
        "Kibo.SpeakIt \"It's me\"<!!BR!!>"
        "Kibo.StopAll<!!BR!!>");
    stored.replace(QStringLiteral("<!!BR!!>"), QStringLiteral("\r\n"));
    stored.replace(QStringLiteral("'"), QStringLiteral("''"));

    ScriptEngine engine;
    RecordingCharacter kibo;
    engine.reset();
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    QVERIFY2(engine.executeStatement(stored), qPrintable(engine.lastError().description));
    QCOMPARE(kibo.calls, (QStringList{QStringLiteral("PlayAni(Greet)"), QStringLiteral("SpeakIt(Hallo \"Welt\")"),
                                      QStringLiteral("Think(Sag \"Hi\")"), QStringLiteral("SpeakWave(/home/anna/Töne/ding \"1\".wav)"),
                                      QStringLiteral("MoveTo(100,200)"), QStringLiteral("MoveTo(5,6)"),
                                      QStringLiteral("SpeakIt(It''s me)"), QStringLiteral("StopAll")}));
}

void ScriptObjectsTest::runnerDefaultScriptFailsWith438()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.SpeaktIt \"Makro nicht gefunden\"")));
    QCOMPARE(engine.lastError().number, 438);
    QCOMPARE(engine.lastError().line, 1);
    QVERIFY(kibo.calls.isEmpty());
}

void ScriptObjectsTest::membersAreFoundWithoutRegardToCase()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    QVERIFY(engine.executeStatement(QStringLiteral("kibo.speakit \"a\"\nKIBO.SPEAKIT \"b\"\nCall kIbO.MoVeTo(1, 2)")));
    QCOMPARE(kibo.calls, (QStringList{QStringLiteral("SpeakIt(a)"), QStringLiteral("SpeakIt(b)"), QStringLiteral("MoveTo(1,2)")}));
}

void ScriptObjectsTest::propertiesReadAndWrite()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    Probe probe;
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY(engine.executeStatement(QStringLiteral("P.Put Kibo.visible\nKibo.Visible = True\nP.Put Kibo.VISIBLE\nP.Put Kibo.Name")));
    QVERIFY(kibo.visible);
    QCOMPARE(probe.joined(), QStringLiteral("False|True|Merlin"));
    // A read-only property refuses assignment.
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.Name = \"x\"")));
    QCOMPARE(engine.lastError().number, 450);
    // A property value that does not convert is a type mismatch.
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.Visible = \"vielleicht\"")));
    QCOMPARE(engine.lastError().number, 13);
}

void ScriptObjectsTest::referenceParametersWriteBack()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    Probe probe;
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY2(engine.executeStatement(QStringLiteral(
                 "t = \"a<!!BR!!>b\"\nKibo.RunMacroText t\nP.Put Len(t)\n"
                 "u = \"a<!!BR!!>b\"\nKibo.RunMacroText (u)\nP.Put Len(u)\n"
                 "n = 41\nKibo.Increment n\nCall Kibo.Increment(n)\nP.Put n\n"
                 "Dim arr(1)\narr(1) = 5\nKibo.Increment arr(1)\nP.Put arr(1)\n"
                 "Sub Pass(ByRef v) : Kibo.Increment v : End Sub\nm = 1 : Pass m : P.Put m\n"
                 "Kibo.Increment 7\nKibo.Increment n + 1\nP.Put n")),
             qPrintable(engine.lastError().description));
    QCOMPARE(probe.joined(), QStringLiteral("4|10|43|6|2|43"));
}

void ScriptObjectsTest::returnValuesAndArgumentConversion()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    Probe probe;
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY(engine.executeStatement(QStringLiteral("P.Put Kibo.Sum(2, \"3\")\nP.Put Kibo.SpeakIt(42)\nP.Put TypeName(Kibo.Sum(1, 1))\nKibo.MoveTo 1.5, \"2\"")));
    QCOMPARE(probe.joined(), QStringLiteral("5|True|Long"));
    QCOMPARE(kibo.calls.last(), QStringLiteral("MoveTo(2,2)"));
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.MoveTo \"links\", 2")));
    QCOMPARE(engine.lastError().number, 13);
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.MoveTo 1")));
    QCOMPARE(engine.lastError().number, 450);
}

void ScriptObjectsTest::listsDatesAndVariantsCrossTheBridge()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    Probe probe;
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY2(engine.executeStatement(QStringLiteral(
                 "For Each a In Kibo.Animations() : P.Put a : Next\nP.Put UBound(Kibo.Animations)\n"
                 "d = Kibo.Born : P.Put TypeName(d) & \" \" & Year(d) & \" \" & Hour(d)\n"
                 "P.Put TypeName(Kibo.Echo(2.5)) & TypeName(Kibo.Echo(\"s\")) & TypeName(Kibo.Echo(Empty)) & TypeName(Kibo.Echo(True))\n"
                 "P.Put Kibo.Echo(Array(1, \"b\"))\nSet o = Kibo.Echo(P) : P.Put o Is P")),
             qPrintable(engine.lastError().description));
    QCOMPARE(probe.joined(), QStringLiteral("Greet|Wave|1|Date 2001 8|DoubleStringEmptyBoolean|[1,b]|True"));
}

void ScriptObjectsTest::objectOnlyMembersStayHidden()
{
    // What every QObject has is not the script's business.
    ScriptEngine engine;
    auto *kibo = new RecordingCharacter;
    QPointer<RecordingCharacter> guard(kibo);
    engine.addObject(QStringLiteral("Kibo"), kibo);
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.deleteLater")));
    QCOMPARE(engine.lastError().number, 438);
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.objectName = \"x\"")));
    QCOMPARE(engine.lastError().number, 438);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard);
    delete kibo;
}

void ScriptObjectsTest::deletedObjectIsObjectRequired()
{
    ScriptEngine engine;
    auto kibo = std::make_unique<RecordingCharacter>();
    engine.addObject(QStringLiteral("Kibo"), kibo.get());
    QVERIFY(engine.executeStatement(QStringLiteral("Set k = Kibo")));
    kibo.reset();
    QVERIFY(!engine.executeStatement(QStringLiteral("Kibo.StopAll")));
    QCOMPARE(engine.lastError().number, 424);
    QVERIFY(!engine.executeStatement(QStringLiteral("k.StopAll")));
    QCOMPARE(engine.lastError().number, 91);
}

void ScriptObjectsTest::resetDuringRunDropsTheRest()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    kibo.duringCall = [&] {
        // What the runner does when a handler starts another macro.
        engine.reset();
        engine.addObject(QStringLiteral("Kibo"), &kibo);
        QVERIFY(engine.executeStatement(QStringLiteral("Dim fresh(100)\nKibo.SpeakIt \"second\"")));
    };
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    const bool ok = engine.executeStatement(QStringLiteral(
        "Dim big(1000)\nSub Work\n  big(1) = \"x\"\n  Kibo.Hook\n  big(2) = \"y\"\n  Kibo.SpeakIt \"dropped\"\nEnd Sub\n"
        "On Error Resume Next\nWork\nKibo.SpeakIt \"dropped too\""));
    QVERIFY(ok);
    QCOMPARE(kibo.calls, (QStringList{QStringLiteral("Hook"), QStringLiteral("SpeakIt(second)")}));
    // The engine goes on with the second run's state.
    kibo.duringCall = nullptr;
    QVERIFY(engine.executeStatement(QStringLiteral("Kibo.SpeakIt UBound(fresh)")));
    QCOMPARE(kibo.calls.last(), QStringLiteral("SpeakIt(100)"));
}

void ScriptObjectsTest::nestedRunWithoutResetContinues()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    kibo.duringCall = [&] { QVERIFY(engine.executeStatement(QStringLiteral("Dim added\nadded = 7\nKibo.SpeakIt \"inner\""))); };
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    QVERIFY(engine.executeStatement(QStringLiteral("x = 1\nKibo.Hook\nKibo.SpeakIt x + 1")));
    QCOMPARE(kibo.calls, (QStringList{QStringLiteral("Hook"), QStringLiteral("SpeakIt(inner)"), QStringLiteral("SpeakIt(2)")}));
}

void ScriptObjectsTest::engineDeletedDuringRun()
{
    auto *engine = new ScriptEngine;
    RecordingCharacter kibo;
    kibo.duringCall = [&] { delete engine; engine = nullptr; };
    engine->addObject(QStringLiteral("Kibo"), &kibo);
    engine->executeStatement(QStringLiteral("Kibo.Hook\nKibo.SpeakIt \"dropped\""));
    QVERIFY(!engine);
    QCOMPARE(kibo.calls, QStringList{QStringLiteral("Hook")});
}

void ScriptObjectsTest::writeBackAfterNestedRunReplacedTheArray()
{
    ScriptEngine engine;
    RecordingCharacter kibo;
    Probe probe;
    kibo.duringCall = [&] { QVERIFY(engine.executeStatement(QStringLiteral("ReDim a(0)"))); };
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY2(engine.executeStatement(QStringLiteral("Dim a()\nReDim a(3)\na(1) = 1\nKibo.HookThenIncrement a(1)\nP.Put UBound(a)")),
             qPrintable(engine.lastError().description));
    QCOMPARE(probe.joined(), QStringLiteral("0"));
}

void ScriptObjectsTest::messageAndInputBoxesUseTheDialogService()
{
    ScriptEngine engine;
    tilvano::test::ScriptedDialogService dialogs;
    Probe probe;
    engine.setDialogService(&dialogs);
    engine.addObject(QStringLiteral("P"), &probe);
    dialogs.queueAnswer(tilvano::DialogService::No);
    dialogs.queueInput(QStringLiteral("Anna"));
    dialogs.queueInput(QString());
    QVERIFY(engine.executeStatement(QStringLiteral(
        "r = MsgBox(\"Weiter?\", vbYesNo + vbQuestion, \"Frage\")\nP.Put r = vbNo\n"
        "P.Put InputBox(\"Name?\", \"Wer\", \"Kibo\")\nP.Put \"[\" & InputBox(\"Nochmal?\") & \"]\"\nMsgBox \"Fertig\"")));
    QCOMPARE(probe.joined(), QStringLiteral("True|Anna|[]"));
    QCOMPARE(dialogs.shown().size(), 4);
    QCOMPARE(dialogs.shown()[0].text, QStringLiteral("Weiter?"));
    QCOMPARE(dialogs.shown()[0].title, QStringLiteral("Frage"));
    QCOMPARE(dialogs.shown()[0].style, 36);
    QCOMPARE(dialogs.shown()[1].defaultText, QStringLiteral("Kibo"));
    QCOMPARE(dialogs.shown()[3].text, QStringLiteral("Fertig"));
}

void ScriptObjectsTest::dialogsWithoutServiceRaise()
{
    ScriptEngine engine;
    QVERIFY(!engine.executeStatement(QStringLiteral("MsgBox \"x\"")));
    QCOMPARE(engine.lastError().number, 70);
    QVERIFY(!engine.executeStatement(QStringLiteral("x = InputBox(\"x\")")));
    QCOMPARE(engine.lastError().number, 70);
}

void ScriptObjectsTest::timeOutIsToldOnceInGerman()
{
    // A macro that starts another, both running past the limit: the user is
    // told once, not once for every run that ends.
    ScriptEngine engine;
    tilvano::test::ScriptedDialogService dialogs;
    RecordingCharacter kibo;
    engine.setDialogService(&dialogs);
    engine.setTimeLimit(std::chrono::milliseconds(100));
    kibo.duringCall = [&] { QVERIFY(!engine.executeStatement(QStringLiteral("Do : Loop"))); };
    engine.addObject(QStringLiteral("Kibo"), &kibo);
    QVERIFY(!engine.executeStatement(QStringLiteral("On Error Resume Next\nKibo.Hook\nDo : Loop")));
    QCOMPARE(engine.lastError().number, errc::TimedOut);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Das Makro lief länger als 0,1 Sekunden und wurde deshalb abgebrochen.")});
    QCOMPARE(dialogs.shown().value(0).title, QStringLiteral("Makro abgebrochen"));
    QCOMPARE(dialogs.shown().value(0).icon(), tilvano::DialogService::Exclamation);

    // The next run that times out is told again.
    kibo.duringCall = nullptr;
    engine.setTimeLimit(std::chrono::milliseconds(1000));
    QVERIFY(!engine.executeStatement(QStringLiteral("While True : Wend")));
    QCOMPARE(dialogs.texts().size(), 2);
    QCOMPARE(dialogs.texts().last(), QStringLiteral("Das Makro lief länger als 1 Sekunde und wurde deshalb abgebrochen."));
}

// Takes a greeting and any number of names after it.
class Greeter : public QObject {
    Q_OBJECT
public:
    QStringList heard;
    TILVANO_PARAM_ARRAY Q_INVOKABLE int Greet(const QString &greeting, const QVariantList &names)
    {
        for (const QVariant &name : names)
            heard.append(greeting + QLatin1Char(' ') + Probe::show(name));
        return int(names.size());
    }
    TILVANO_PARAM_ARRAY Q_INVOKABLE void Collect(const QVariantList &) {}
    Q_INVOKABLE void Collect(int a, int b) { heard.append(QStringLiteral("exact %1 %2").arg(a).arg(b)); }
};

void ScriptObjectsTest::paramArrayMethodsTakeAnyNumberOfArguments()
{
    ScriptEngine engine;
    Greeter greeter;
    Probe probe;
    engine.addObject(QStringLiteral("G"), &greeter);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY2(engine.executeStatement(QStringLiteral(
                 "P.Put G.Greet(\"Hallo\")\nG.Greet \"Hi\", \"Anna\", 2, Array(1, 2), Empty, Null, True, 3.5, \"Ende\"\n"
                 "n = \"Bert\" : G.Greet \"Tag\", n : G.Collect 1, 2")),
             qPrintable(engine.lastError().description));
    QCOMPARE(probe.joined(), QStringLiteral("0"));
    QCOMPARE(greeter.heard, (QStringList{"Hi Anna", "Hi 2", "Hi [1,2]", "Hi Empty", "Hi Empty", "Hi True", "Hi 3.5",
                                         "Hi Ende", "Tag Bert", "exact 1 2"}));
    // The leading parameters are still required.
    QVERIFY(!engine.executeStatement(QStringLiteral("G.Greet")));
    QCOMPARE(engine.lastError().number, errc::WrongArgumentCount);
}

void ScriptObjectsTest::stateSurvivesBetweenTextsUntilReset()
{
    ScriptEngine engine;
    Probe probe;
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY(engine.executeStatement(QStringLiteral("Dim counter\ncounter = 41\nFunction Next1() : Next1 = counter + 1 : End Function")));
    QVERIFY(engine.executeStatement(QStringLiteral("P.Put Next1()")));
    QCOMPARE(probe.joined(), QStringLiteral("42"));
    engine.reset();
    // After Reset neither code nor objects remain.
    QVERIFY(!engine.executeStatement(QStringLiteral("P.Put 1")));
    QCOMPARE(engine.lastError().number, 424);
    engine.addObject(QStringLiteral("P"), &probe);
    QVERIFY(!engine.executeStatement(QStringLiteral("P.Put Next1()")));
    QCOMPARE(probe.joined(), QStringLiteral("42"));
}

QTEST_GUILESS_MAIN(ScriptObjectsTest)
#include "tst_scriptobjects.moc"
