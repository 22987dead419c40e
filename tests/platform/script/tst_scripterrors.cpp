// Failures: error numbers, texts, sources and positions; compile-before-run;
// the guards against runaway and hostile scripts.
#include "ScriptDoubles.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tilvano::script;
using tilvano::script::test::Probe;

class ScriptErrorsTest : public QObject {
    Q_OBJECT

    struct Outcome {
        bool ok;
        ScriptError error;
        QString probed;
    };

    Outcome run(const QString &script, ScriptEngine *engineToUse = nullptr)
    {
        ScriptEngine local;
        ScriptEngine &engine = engineToUse ? *engineToUse : local;
        Probe probe;
        engine.addObject(QStringLiteral("P"), &probe);
        const bool ok = engine.executeStatement(script);
        return {ok, engine.lastError(), probe.joined()};
    }

private slots:
    void errorsCarryNumberTextSourceAndPosition_data();
    void errorsCarryNumberTextSourceAndPosition();
    void syntaxErrorAnywhereRunsNothing();
    void runTimeErrorStopsAtItsStatement();
    void errorInsideProcedureReportsThatLine();
    void optionExplicit();
    void doorsToTheOutsideAreShut();
    void timeLimitStopsEndlessLoops();
    void deepRecursionIsOutOfStackSpace();
    void absurdSizesAreOutOfMemory();
    void eachRunHasAMemoryBudget();
    void longOperatorChainsRunAndFree();
    void stepLimitEndsAnyLoop();
    void hostileTextNeverCrashes();
    void successClearsThePreviousError();
    void referenceToAnElementOutlivesItsArray();
};

void ScriptErrorsTest::errorsCarryNumberTextSourceAndPosition_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("compile");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::newRow("438 unknown member") << "x = 1\nP.Jump" << 438 << "Object doesn't support this property or method" << false << 2 << 1;
    QTest::newRow("13 type mismatch") << "x = \"abc\" * 2" << 13 << "Type mismatch" << false << 1 << 1;
    QTest::newRow("9 subscript") << "Dim a(2)\n  a(3) = 1" << 9 << "Subscript out of range" << false << 2 << 3;
    QTest::newRow("11 division by zero") << "x = 5 Mod 0" << 11 << "Division by zero" << false << 1 << 1;
    QTest::newRow("424 object required") << "x = 5\nx.Foo" << 424 << "Object required" << false << 2 << 1;
    QTest::newRow("450 wrong argument count") << "P.Put 1, 2" << 450 << "Wrong number of arguments or invalid property assignment" << false << 1 << 1;
    QTest::newRow("450 to a script procedure") << "Sub S(a) : End Sub\nS 1, 2" << 450 << "Wrong number of arguments or invalid property assignment" << false << 2 << 1;
    QTest::newRow("91 Nothing") << "Set o = Nothing\no.Foo" << 91 << "Object variable not set" << false << 2 << 1;
    QTest::newRow("94 Null") << "x = CStr(Null)" << 94 << "Invalid use of Null" << false << 1 << 1;
    QTest::newRow("6 overflow") << "x = CInt(40000)" << 6 << "Overflow" << false << 1 << 1;
    QTest::newRow("10 fixed array") << "Dim a(2)\nReDim a(5)" << 10 << "This array is fixed or temporarily locked" << false << 2 << 1;
    QTest::newRow("5 invalid argument") << "x = Mid(\"abc\", 0)" << 5 << "Invalid procedure call or argument" << false << 1 << 1;
    QTest::newRow("Err.Raise unknown number") << "Err.Raise 9999" << 9999 << "Unknown runtime error" << false << 1 << 1;
    QTest::newRow("1002 syntax") << "x = 1\nOn Mistake Resume Next" << 1002 << "Syntax error" << true << 2 << 4;
    QTest::newRow("1025 end of statement") << "x = 1 2" << 1025 << "Expected end of statement" << true << 1 << 7;
    QTest::newRow("1032 invalid character") << "x = 1\ny = 2 $ 3" << 1032 << "Invalid character" << true << 2 << 7;
    QTest::newRow("1033 unterminated string") << "P.Put 1\nP.Put \"abc" << 1033 << "Unterminated string constant" << true << 2 << 7;
    QTest::newRow("1044 parentheses on a Sub call") << "P.Put(1, 2)" << 1044 << "Cannot use parentheses when calling a Sub" << true << 1 << 1;
    QTest::newRow("1014 missing End") << "If x Then\nx = 1" << 1014 << "Expected 'End'" << true << 2 << 6;
    QTest::newRow("1020 missing Next") << "For i = 1 To 2\nx = 1\n" << 1020 << "Expected 'Next'" << true << 3 << 1;
    QTest::newRow("1023 expected expression") << "x = (1 + )" << 1023 << "Expected expression" << true << 1 << 10;
    QTest::newRow("1039 Exit outside a loop") << "Exit For" << 1039 << "Invalid 'exit' statement" << true << 1 << 6;
    QTest::newRow("1041 name redefined") << "Dim a\nDim a" << 1041 << "Name redefined" << true << 2 << 5;
    QTest::newRow("ReDim Preserve of an outer dimension") << "ReDim d(2, 3)\nReDim Preserve d(3, 3)" << 9 << "Subscript out of range" << false << 2 << 1;
    QTest::newRow("assigning a constant") << "Const K = 1\nK = 2" << 501 << "Illegal assignment" << false << 2 << 1;
    QTest::newRow("continued line counts its own line") << "x = 1 + _\n  \"a\" * 2" << 13 << "Type mismatch" << false << 1 << 1;
}

void ScriptErrorsTest::errorsCarryNumberTextSourceAndPosition()
{
    QFETCH(QString, script);
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(bool, compile);
    QFETCH(int, line);
    QFETCH(int, column);
    const Outcome o = run(script);
    QVERIFY(!o.ok);
    QCOMPARE(o.error.number, number);
    QCOMPARE(o.error.description, description);
    QCOMPARE(o.error.source, compile ? QStringLiteral("Microsoft VBScript compilation error") : QStringLiteral("Microsoft VBScript runtime error"));
    QCOMPARE(o.error.line, line);
    QCOMPARE(o.error.column, column);
}

void ScriptErrorsTest::syntaxErrorAnywhereRunsNothing()
{
    ScriptEngine engine;
    const Outcome o = run(QStringLiteral("P.Put \"first\"\nDim g\ng = 1\nFor i = 1 To 3\nP.Put i\nNext\nx = \"broken"), &engine);
    QVERIFY(!o.ok);
    QCOMPARE(o.error.number, 1033);
    QCOMPARE(o.error.line, 7);
    QCOMPARE(o.probed, QString());
}

void ScriptErrorsTest::runTimeErrorStopsAtItsStatement()
{
    const Outcome o = run(QStringLiteral("P.Put 1\nP.Put 2 : x = 1 / 0 : P.Put 3\nP.Put 4"));
    QVERIFY(!o.ok);
    QCOMPARE(o.error.number, 11);
    QCOMPARE(o.error.line, 2);
    QCOMPARE(o.error.column, 11);
    QCOMPARE(o.probed, QStringLiteral("1|2"));
}

void ScriptErrorsTest::errorInsideProcedureReportsThatLine()
{
    const Outcome o = run(QStringLiteral("Sub Inner\n  P.Put \"in\"\n  P.Nope\nEnd Sub\nInner"));
    QCOMPARE(o.error.number, 438);
    QCOMPARE(o.error.line, 3);
    QCOMPARE(o.probed, QStringLiteral("in"));
}

void ScriptErrorsTest::optionExplicit()
{
    Outcome o = run(QStringLiteral("Option Explicit\nDim a\na = 1\nP.Put a\nb = 2\nP.Put 3"));
    QCOMPARE(o.error.number, 500);
    QCOMPARE(o.error.description, QStringLiteral("Variable is undefined"));
    QCOMPARE(o.error.line, 5);
    QCOMPARE(o.probed, QStringLiteral("1"));
    o = run(QStringLiteral("Option Explicit\nSub S : P.Put undeclared : End Sub\nS"));
    QCOMPARE(o.error.number, 500);
    QCOMPARE(o.error.line, 2);
}

void ScriptErrorsTest::doorsToTheOutsideAreShut()
{
    for (const char *script : {"Set fs = CreateObject(\"Scripting.FileSystemObject\")", "Set x = GetObject(\"winmgmts:\")"}) {
        const Outcome o = run(QString::fromLatin1(script));
        QCOMPARE(o.error.number, 429);
    }
    for (const char *script : {"Execute \"P.Put 1\"", "ExecuteGlobal \"P.Put 1\"", "x = Eval(\"1 + 1\")"}) {
        const Outcome o = run(QString::fromLatin1(script));
        QVERIFY(!o.ok);
        QCOMPARE(o.error.number, 70);
        QCOMPARE(o.probed, QString());
    }
    // Trapping the refusal does not open the door either.
    const Outcome o = run(QStringLiteral("On Error Resume Next\nSet fs = CreateObject(\"Scripting.FileSystemObject\")\nP.Put Err.Number & IsEmpty(fs)"));
    QCOMPARE(o.probed, QStringLiteral("429True"));
}

void ScriptErrorsTest::timeLimitStopsEndlessLoops()
{
    for (const char *script : {"Do : Loop", "On Error Resume Next\nWhile True : x = x + 1 : Wend",
                               "Sub S : S2 : End Sub\nSub S2 : Do : Loop : End Sub\nOn Error Resume Next\nS\nP.Put \"after\""}) {
        ScriptEngine engine;
        engine.setTimeLimit(std::chrono::milliseconds(100));
        const Outcome o = run(QString::fromLatin1(script), &engine);
        QVERIFY(!o.ok);
        QCOMPARE(o.error.number, errc::TimedOut);
        QCOMPARE(o.error.description, QStringLiteral("Script timed out"));
        QCOMPARE(o.probed, QString()); // Resume Next does not survive the limit
        QVERIFY(o.error.line > 0);
    }
}

void ScriptErrorsTest::deepRecursionIsOutOfStackSpace()
{
    Outcome o = run(QStringLiteral("Function Down(n) : Down = Down(n + 1) : End Function\nx = Down(0)"));
    QCOMPARE(o.error.number, 28);
    QCOMPARE(o.error.description, QStringLiteral("Out of stack space"));
    // The engine is usable afterwards and honest recursion still works.
    o = run(QStringLiteral("Function D(n) : If n = 0 Then D = 0 Else D = 1 + D(n - 1)\nEnd Function\nP.Put D(500)"));
    QVERIFY(o.ok);
    QCOMPARE(o.probed, QStringLiteral("500"));
}

void ScriptErrorsTest::absurdSizesAreOutOfMemory()
{
    for (const char *script : {"ReDim a(100000000)", "Dim b()\nReDim b(5000, 5000)", "s = Space(2000000000)",
                               "s = String(1000000000, \"x\")", "s = \"xx\"\nDo : s = s & s : Loop",
                               "s = \"xx\"\nDo : s = s + s : Loop", "s = Replace(Space(10000000), \" \", \"ab\")"}) {
        const Outcome o = run(QString::fromLatin1(script));
        QVERIFY2(!o.ok, script);
        QCOMPARE(o.error.number, 7);
        QCOMPARE(o.error.description, QStringLiteral("Out of memory"));
    }
}

void ScriptErrorsTest::eachRunHasAMemoryBudget()
{
    // Every string and array here is within its own limit; together they are
    // not, and the run ends with error 7.
    const QString hog = QStringLiteral("Dim parts(1000)\ns = Space(1000000)\n"
                                       "For i = 0 To 1000\n  parts(i) = s & i\nNext\nP.Put \"nie\"");
    ScriptEngine engine;
    engine.setMemoryLimit(std::size_t(32) * 1024 * 1024);
    Outcome o = run(hog, &engine);
    QCOMPARE(o.error.number, 7);
    QCOMPARE(o.probed, QString());
    // Trapping the error does not let the script take more.
    engine.reset();
    o = run(QStringLiteral("On Error Resume Next\nDim parts(1000)\ns = Space(1000000)\n"
                           "For i = 0 To 1000\n  parts(i) = s & i\n  If Err.Number <> 0 Then Exit For\nNext\n"
                           "P.Put Err.Number & \" \" & (i < 20)"),
            &engine);
    QCOMPARE(o.probed, QStringLiteral("7 True"));
    // The budget is the run's, not the engine's: the next run starts afresh.
    engine.reset();
    o = run(QStringLiteral("s = Space(4000000)\nP.Put Len(s & s)"), &engine);
    QVERIFY2(o.ok, qPrintable(o.error.description));
}

void ScriptErrorsTest::longOperatorChainsRunAndFree()
{
    const int operands = 100000;
    const Outcome concat = run(QStringLiteral("s = \"a\"") + QStringLiteral(" & \"b\"").repeated(operands) + QStringLiteral("\nP.Put Len(s)"));
    QVERIFY2(concat.ok, qPrintable(concat.error.description));
    QCOMPARE(concat.probed, QString::number(operands + 1));
    const Outcome sum = run(QStringLiteral("t = 0") + QStringLiteral(" + 1").repeated(operands) + QStringLiteral("\nP.Put t"));
    QVERIFY2(sum.ok, qPrintable(sum.error.description));
    QCOMPARE(sum.probed, QString::number(operands));
    // Chains of several levels wrap each other, a level at a time.
    const Outcome mixed = run(QStringLiteral("b = 0 < 1") + QStringLiteral(" And 2 * 3 - 1 > 4 Or False").repeated(operands / 10)
                              + QStringLiteral("\nP.Put b"));
    QCOMPARE(mixed.probed, QStringLiteral("True"));
}

void ScriptErrorsTest::stepLimitEndsAnyLoop()
{
    for (const char *script : {"Do : Loop", "Sub S : S : End Sub\nOn Error Resume Next\nS",
                               "For i = 1 To 1E9 : Next", "While 1 : x = x & \"\" : Wend"}) {
        ScriptEngine engine;
        engine.setStepLimit(1000);
        const Outcome o = run(QString::fromLatin1(script), &engine);
        QVERIFY2(!o.ok, script);
        QVERIFY2(o.error.number == errc::TimedOut || o.error.number == errc::OutOfStack, script);
    }
    // Within the limit a script runs to its end.
    ScriptEngine engine;
    engine.setStepLimit(1000);
    QCOMPARE(run(QStringLiteral("For i = 1 To 900 : Next\nP.Put i"), &engine).probed, QStringLiteral("901"));
}

void ScriptErrorsTest::hostileTextNeverCrashes()
{
    // Deep nesting of every kind is refused at compile time.
    const QString deepParens = QString(100000, QLatin1Char('(')) + QStringLiteral("1") + QString(100000, QLatin1Char(')'));
    QStringList scripts = {
        QStringLiteral("x = ") + deepParens,
        QStringLiteral("x = ") + QString(100000, QLatin1Char('-')) + QStringLiteral("1"),
        QStringLiteral("x = ") + QStringLiteral("Not ").repeated(50000) + QStringLiteral("1"),
        QStringLiteral("If 1 Then\n").repeated(20000),
        QStringLiteral("Do\n").repeated(20000) + QStringLiteral("Loop\n").repeated(20000),
        QStringLiteral("x = P") + QStringLiteral(".a").repeated(50000),
        QStringLiteral("x = \"") + QString(1000000, QLatin1Char('y')) + QStringLiteral("\""),
        QStringLiteral("x = 99999999999999999999999999999999999999999999999999 * 1e308 * 1e308"),
        QStringLiteral("x = &HFFFFFFFFFFFFFFFFFFFF"),
        QStringLiteral("x = #99/99/9999#"),
        QStringLiteral("Sub\nFunction\nEnd Sub"),
        QStringLiteral("x = Array(1)(5)"),
        QStringLiteral("Dim a(1)\nx = a(1, 2, 3)"),
        QStringLiteral("x = DateAdd(\"yyyy\", 1e9, Now)"),
        QStringLiteral("x = CDate(1e300)"),
        QString(QChar(0)) + QStringLiteral("\x01\x02"),
        QStringLiteral("_\n_\n_"),
        QStringLiteral("x = 1 _"),
        QStringLiteral("[unterminated"),
    };
    QRandomGenerator random(1234);
    static const char alphabet[] = "abcXYZ019 \t\n\r:'\"()_.,&=<>+-*/\\^#[]$";
    for (int i = 0; i < 300; ++i) {
        QString garbage;
        const int length = int(random.bounded(200));
        for (int j = 0; j < length; ++j)
            garbage += QLatin1Char(alphabet[random.bounded(int(sizeof alphabet - 1))]);
        scripts.append(garbage);
    }
    for (const QString &script : std::as_const(scripts)) {
        ScriptEngine engine;
        engine.setTimeLimit(std::chrono::milliseconds(200));
        const Outcome o = run(script, &engine);
        if (!o.ok)
            QVERIFY(o.error.number != 0 && !o.error.description.isEmpty());
    }
    QVERIFY(!run(QStringLiteral("x = ") + deepParens).ok);
    QCOMPARE(run(QStringLiteral("If 1 Then\n").repeated(20000)).error.number, 28);
}

void ScriptErrorsTest::successClearsThePreviousError()
{
    ScriptEngine engine;
    QVERIFY(!engine.executeStatement(QStringLiteral("x = 1 / 0")));
    QCOMPARE(engine.lastError().number, 11);
    QVERIFY(engine.executeStatement(QStringLiteral("x = 1")));
    QCOMPARE(engine.lastError().number, 0);
}

void ScriptErrorsTest::referenceToAnElementOutlivesItsArray()
{
    // The procedure replaces the array whose element it holds by reference;
    // the write must land somewhere harmless, not in freed memory.
    const Outcome o = run(QStringLiteral("Dim arr()\nReDim arr(5)\nSub Clobber(x)\n  ReDim arr(0)\n  Erase arr\n  x = 5\nEnd Sub\n"
                                         "Clobber arr(5)\nP.Put IsArray(arr)"));
    QVERIFY2(o.ok, qPrintable(o.error.description));
    QCOMPARE(o.probed, QStringLiteral("True"));
}

QTEST_GUILESS_MAIN(ScriptErrorsTest)
#include "tst_scripterrors.moc"
