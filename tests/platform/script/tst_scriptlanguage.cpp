// The language itself: statements, operators, coercions and the library,
// each checked by what a script hands to a probe object.
#include "ScriptDoubles.h"

#include <QTest>

using namespace tilvano::script;
using tilvano::script::test::Probe;

class ScriptLanguageTest : public QObject {
    Q_OBJECT

    QString run(const QString &script)
    {
        ScriptEngine engine;
        Probe probe;
        engine.addObject(QStringLiteral("P"), &probe);
        if (!engine.executeStatement(script)) {
            const ScriptError &e = engine.lastError();
            return QStringLiteral("error %1 line %2: %3").arg(e.number).arg(e.line).arg(e.description);
        }
        return probe.joined();
    }

private slots:
    void statements_data();
    void statements() { QFETCH(QString, script); QFETCH(QString, expected); QCOMPARE(run(script), expected); }
    void operators_data();
    void operators() { QFETCH(QString, script); QFETCH(QString, expected); QCOMPARE(run(script), expected); }
    void library_data();
    void library() { QFETCH(QString, script); QFETCH(QString, expected); QCOMPARE(run(script), expected); }
    void stateSurvivesBetweenTextsUntilReset();
};

void ScriptLanguageTest::statements_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comments, Rem, colons, continuation")
        << "' a comment\nRem another\nx = 1 : y = 2 ' trailing\nP.Put x + _\n   y\nREM end" << "3";
    QTest::newRow("string literal with doubled quotes") << "P.Put \"Hallo \"\"Welt\"\"\"" << "Hallo \"Welt\"";
    QTest::newRow("numeric literals") << "P.Put &HFF : P.Put &H10 + 1 : P.Put &HFFFF : P.Put 1.5E3 : P.Put .25 : P.Put &O17"
                                      << "255|17|-1|1500|0.25|15";
    QTest::newRow("Dim, fixed and multi-dimensional arrays")
        << "Dim a(2), m(1, 2)\na(2) = \"z\" : m(1, 2) = 7\nP.Put UBound(a) : P.Put UBound(m, 2) : P.Put a(2) & m(1, 2) : P.Put IsEmpty(a(0))"
        << "2|2|z7|True";
    QTest::newRow("ReDim and ReDim Preserve")
        << "Dim d()\nReDim d(1) : d(0) = \"k\" : d(1) = \"l\"\nReDim Preserve d(3) : P.Put d(0) & d(1) & UBound(d)\nReDim d(0) : P.Put IsEmpty(d(0))"
        << "kl3|True";
    QTest::newRow("Const") << "Const Pi = 3.5, Name = \"Kibo\", Neg = -2\nP.Put Pi * 2 : P.Put Name : P.Put Neg" << "7|Kibo|-2";
    QTest::newRow("Set and Nothing") << "Set o = P\nP.Put o Is P\nSet o = Nothing\nP.Put o Is Nothing" << "True|True";
    QTest::newRow("block If, ElseIf, Else")
        << "For i = 1 To 3\nIf i = 1 Then\nP.Put \"one\"\nElseIf i = 2 Then\nP.Put \"two\"\nElse\nP.Put \"more\"\nEnd If\nNext"
        << "one|two|more";
    QTest::newRow("one-line If with Else and colons")
        << "x = 5\nIf x > 3 Then P.Put \"a\" : P.Put \"b\" Else P.Put \"c\"\nIf x < 3 Then P.Put \"d\" Else P.Put \"e\" : P.Put \"f\""
        << "a|b|e|f";
    QTest::newRow("Select Case with lists and Else")
        << "For Each v In Array(1, 4, \"x\", 9)\nSelect Case v\nCase 1, 2, 3\nP.Put \"low\"\nCase 4: P.Put \"four\"\nCase \"x\"\nP.Put \"ex\"\nCase Else\nP.Put \"else\"\nEnd Select\nNext"
        << "low|four|ex|else";
    QTest::newRow("For with Step, counter after the loop")
        << "For i = 10 To 1 Step -3 : P.Put i : Next\nP.Put i\nFor j = 1 To 0 : P.Put \"never\" : Next\nFor k = 0.5 To 1.5 Step 0.5 : P.Put k : Next"
        << "10|7|4|1|-2|0.5|1|1.5";
    QTest::newRow("For Each and Exit For")
        << "For Each s In Split(\"a b c d\")\nIf s = \"c\" Then Exit For\nP.Put s\nNext" << "a|b";
    QTest::newRow("Do loops in all four forms")
        << "i = 0 : Do While i < 2 : i = i + 1 : Loop : P.Put i\n"
           "Do Until i = 5 : i = i + 1 : Loop : P.Put i\n"
           "Do : i = i + 1 : Loop While i < 3 : P.Put i\n"
           "Do : i = i - 1 : Loop Until i <= 0 : P.Put i\n"
           "Do\ni = i + 1\nIf i = 4 Then Exit Do\nLoop\nP.Put i"
        << "2|5|6|0|4";
    QTest::newRow("While Wend") << "n = 3\nWhile n > 0\nP.Put n\nn = n - 1\nWend" << "3|2|1";
    QTest::newRow("Sub and Function, ByVal and ByRef")
        << "Sub Twice(ByRef a, ByVal b)\na = a * 2 : b = b * 2\nEnd Sub\n"
           "x = 3 : y = 4 : Twice x, y : P.Put x & \",\" & y\n"
           "Function Add(a, b) : Add = a + b : End Function\nP.Put Add(2, 3)"
        << "6,4|5";
    QTest::newRow("recursion and Exit Function")
        << "Function Fact(n)\nIf n <= 1 Then\nFact = 1\nExit Function\nEnd If\nFact = n * Fact(n - 1)\nEnd Function\nP.Put Fact(10)"
        << "3628800";
    QTest::newRow("the three call forms")
        << "Sub Bump(v) : v = v + 1 : End Sub\n"
           "a = 1 : Bump a : P.Put a\n"        // statement call: by reference
           "Call Bump(a) : P.Put a\n"          // Call with parentheses: by reference
           "Bump (a) : P.Put a\n"              // one parenthesised argument: by value
           "Bump(a) : P.Put a"
        << "2|3|3|3";
    QTest::newRow("procedures defined after use, globals declared after procedures")
        << "Show\nSub Show : P.Put Later : End Sub\nDim Later" << "Empty";
    QTest::newRow("locals stay local") << "x = 1\nSub S : Dim x : x = 5 : End Sub\nS : P.Put x" << "1";
    QTest::newRow("undeclared name inside a procedure is local")
        << "Sub S : fresh = 5 : End Sub\nSub T : P.Put IsEmpty(fresh) : End Sub\nS : T" << "True";
    QTest::newRow("Erase") << "Dim a(1) : a(0) = 3 : Erase a : P.Put IsEmpty(a(0))" << "True";
    QTest::newRow("array assignment copies") << "a = Array(1, 2) : b = a : b(0) = 9 : P.Put a(0) & b(0)" << "19";
    QTest::newRow("ReDim Preserve keeps multi-dimensional contents")
        << "ReDim d(2, 3)\nd(1, 1) = \"x\" : d(2, 3) = \"y\"\nReDim Preserve d(2, 5)\nP.Put d(1, 1) & d(2, 3) & UBound(d, 2) & IsEmpty(d(2, 5))"
        << "xy5True";
    QTest::newRow("array elements pass by reference")
        << "Sub Inc(x) : x = x + 1 : End Sub\nDim b(2) : b(1) = 10\nInc b(1) : Inc (b(1))\nP.Put b(1)" << "11";
    QTest::newRow("nested one-line If")
        << "x = 3\nIf x > 1 Then If x > 5 Then P.Put \"big\" Else P.Put \"middle\"" << "middle";
    QTest::newRow("indexing a call's result")
        << "Function F() : F = Array(\"a\", \"b\") : End Function\nP.Put F()(1) & UBound(F()) & Split(\"x y\")(1)" << "b1y";
    QTest::newRow("appending keeps the language's order")
        << "Function Change() : s = 5 : Change = \"tail\" : End Function\ns = \"head-\" : s = s & Change() : P.Put s\n"
           "t = \"\" : For i = 1 To 3 : t = t & Chr(64 + i) : Next : P.Put t\nn = 5 : n = n & \"x\" : P.Put n\nu = Null : u = u & \"v\" : P.Put u"
        << "head-tail|ABC|5x|v";
    QTest::newRow("Exit leaves only its own loop")
        << "For i = 1 To 2\nDo\nk = k + 1\nIf k Mod 2 = 0 Then Exit Do\nLoop\nFor j = 1 To 9 : If j = 2 Then Exit For\nNext\nP.Put i & j & k\nNext"
        << "122|224";
    QTest::newRow("Err.Raise of a known number takes its text")
        << "On Error Resume Next\nErr.Raise 9\nP.Put Err.Description\nP.Put Err.Source" << "Subscript out of range|Microsoft VBScript runtime error";
    QTest::newRow("date literals") << "d = #2024-02-29 13:05:00#\nP.Put CStr(d) : P.Put Month(#12/24/2023#)" << "29.02.2024 13:05:00|12";
    QTest::newRow("On Error Resume Next continues and Err tells")
        << "On Error Resume Next\nx = 1 / 0\nP.Put Err.Number\nP.Put Err.Description\nErr.Clear\nP.Put Err.Number\n"
           "Err.Raise 1234, \"Mine\", \"Own text\"\nP.Put Err.Number & \" \" & Err.Source & \" \" & Err.Description\n"
           "On Error GoTo 0\nP.Put Err.Number"
        << "11|Division by zero|0|1234 Mine Own text|0";
    QTest::newRow("error inside a procedure skips the call under Resume Next")
        << "Sub Bad : P.Put \"in\" : x = 1 / 0 : P.Put \"not reached\" : End Sub\nOn Error Resume Next\nBad\nP.Put Err.Number"
        << "in|11";
}

void ScriptLanguageTest::operators_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("precedence") << "P.Put 2 + 3 * 4 ^ 2 : P.Put -2 ^ 2 : P.Put 2 ^ -1 : P.Put 10 \\ 3 * 2 : P.Put 7 Mod 3 * 2 : P.Put 1 + 2 & 3 + 4"
                                << "50|-4|0.5|1|1|37";
    QTest::newRow("logical precedence") << "P.Put Not 1 = 2 : P.Put True Or False And False : P.Put True Xor True Or True"
                                        << "True|True|False";
    QTest::newRow("bitwise on numbers") << "P.Put 12 And 10 : P.Put 12 Or 3 : P.Put 6 Xor 3 : P.Put Not 0 : P.Put True Eqv False : P.Put False Imp False"
                                        << "8|15|5|-1|False|True";
    QTest::newRow("division and its errors") << "P.Put 7 / 2 : P.Put 7 \\ 2 : P.Put -7 \\ 2 : P.Put 7 Mod -3 : P.Put 7.6 \\ 2" << "3.5|3|-3|1|4";
    QTest::newRow("plus with strings") << "P.Put \"1\" + 2 : P.Put \"1\" + \"2\" : P.Put 1 & 2 : P.Put \"a\" + Empty" << "3|12|12|a";
    QTest::newRow("Empty and Null") << "P.Put Empty + 1 : P.Put IsNull(Null + 1) : P.Put \"a\" & Null : P.Put Empty = 0 : P.Put Empty = \"\" : P.Put IsNull(Null = 1)"
                                    << "1|True|a|True|True|True";
    QTest::newRow("integer results widen") << "P.Put TypeName(32767 + 1) : P.Put TypeName(1 + 1) : P.Put TypeName(2147483647 + 1) : P.Put TypeName(2 * 1.5) : P.Put TypeName(4 / 2)"
                                           << "Long|Integer|Double|Double|Double";
    QTest::newRow("comparisons") << "P.Put \"a\" < \"b\" : P.Put \"B\" < \"a\" : P.Put 10 > 9 : P.Put \"10\" > 9 : P.Put 3 = 3.0 : P.Put \"x\" <> \"X\""
                                 << "True|True|True|True|True|True";
    QTest::newRow("numbers in strings") << "P.Put \" 12 \" * 2 : P.Put \"1e2\" - 1 : P.Put \"&H10\" + 0 : P.Put CDbl(\"2.5\")"
                                        << "24|99|16|2.5";
    QTest::newRow("Boolean conversions") << "P.Put CBool(\"true\") : P.Put CBool(0) : P.Put CBool(\"2\") : P.Put True + 1 : P.Put CStr(True)"
                                         << "True|False|True|0|True";
    QTest::newRow("rounding half to even") << "P.Put CInt(2.5) : P.Put CInt(3.5) : P.Put CLng(-2.5) : P.Put Round(0.125, 2) : P.Put Int(-2.5) : P.Put Fix(-2.5)"
                                           << "2|4|-2|0.12|-3|-2";
    QTest::newRow("number formatting") << "P.Put CStr(0.1 + 0.2) : P.Put CStr(1 / 3) : P.Put CStr(1E+20) : P.Put CStr(-0.5)"
                                       << "0.3|0.333333333333333|1E+20|-0.5";
}

void ScriptLanguageTest::library_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text slicing") << "s = \"Hallo Welt\"\nP.Put Len(s) : P.Put Left(s, 3) : P.Put Right(s, 4) : P.Put Mid(s, 7) : P.Put Mid(s, 2, 3) : P.Put Mid(s, 20)"
                                  << "10|Hal|Welt|Welt|all|";
    QTest::newRow("searching") << "P.Put InStr(\"abcabc\", \"c\") : P.Put InStr(4, \"abcabc\", \"a\") : P.Put InStr(\"abc\", \"C\") : P.Put InStr(1, \"abc\", \"C\", 1) : P.Put InStrRev(\"abcabc\", \"b\") : P.Put InStrRev(\"abcabc\", \"b\", 4)"
                               << "3|4|0|3|5|2";
    QTest::newRow("Replace") << "P.Put Replace(\"a.b.c\", \".\", \"--\") : P.Put Replace(\"aAa\", \"a\", \"x\", 1, -1, 1) : P.Put Replace(\"abcabc\", \"b\", \"\", 3) : P.Put Replace(\"aaa\", \"a\", \"b\", 1, 2)"
                             << "a--b--c|xxx|cac|bba";
    QTest::newRow("case and trimming") << "P.Put UCase(\"äbc\") : P.Put LCase(\"ÄBC\") : P.Put \"[\" & Trim(\"  x  \") & LTrim(\" y \") & RTrim(\" z \") & \"]\""
                                       << "ÄBC|äbc|[xy  z]";
    QTest::newRow("building text") << "P.Put \"[\" & Space(3) & \"]\" : P.Put String(3, \"ab\") : P.Put String(2, 65) : P.Put StrReverse(\"abc\") : P.Put StrComp(\"a\", \"B\") : P.Put StrComp(\"a\", \"A\", 1)"
                                   << "[   ]|aaa|AA|cba|1|0";
    QTest::newRow("characters in the classic code page")
        << "P.Put Chr(65) & Chr(228) : P.Put Asc(\"A\") : P.Put Chr(128) = \"€\" : P.Put Asc(\"€\")"
        << "Aä|65|True|128";
    QTest::newRow("hex and octal") << "P.Put Hex(255) : P.Put Hex(-1) : P.Put Hex(65536) : P.Put Oct(8) : P.Put Hex(-2147483648)"
                                   << "FF|FFFF|10000|10|80000000";
    QTest::newRow("math") << "P.Put Abs(-3) : P.Put Sgn(-0.1) : P.Put Sqr(16) : P.Put Int(3.9) : P.Put Round(1.5) : P.Put Round(0.5)"
                          << "3|-1|4|3|2|0";
    QTest::newRow("type inspection") << "Dim a(1)\nP.Put IsNumeric(\"1.5\") & IsNumeric(\"x\") & IsNumeric(Empty) : P.Put IsArray(a) & IsObject(P) & IsEmpty(x) & IsNull(Null)\n"
                                        "P.Put TypeName(P) & \" \" & TypeName(a) & \" \" & TypeName(CByte(3)) & \" \" & TypeName(Nothing) & \" \" & TypeName(Now)\n"
                                        "P.Put VarType(\"s\") & \" \" & VarType(a) & \" \" & VarType(Empty) & \" \" & VarType(1)"
                                     << "TrueFalseTrue|TrueTrueTrueTrue|Probe Variant() Byte Nothing Date|8 8204 0 2";
    QTest::newRow("Split, Join, Array, Filter, bounds")
        << "a = Split(\"x,y,,z\", \",\") : P.Put UBound(a) & LBound(a) : P.Put Join(a, \"+\")\n"
           "P.Put UBound(Split(\"\")) : P.Put Join(Split(\"a b c\", \" \", 2), \"|\") : P.Put Join(Filter(Array(\"ab\", \"cd\", \"xb\"), \"b\"))\n"
           "P.Put Join(Filter(Array(\"ab\", \"cd\"), \"b\", False)) : P.Put UBound(Array())"
        << "30|x+y++z|-1|a|b c|ab xb|cd|-1";
    QTest::newRow("dates") << "d = DateAdd(\"d\", 1, CDate(\"31.12.2023\"))\nP.Put Day(d) & \".\" & Month(d) & \".\" & Year(d) : P.Put Weekday(d)\n"
                              "P.Put DateDiff(\"d\", CDate(\"01.01.2024\"), CDate(\"01.03.2024\")) : P.Put DateDiff(\"m\", CDate(\"31.01.2024\"), CDate(\"01.02.2024\"))\n"
                              "t = CDate(\"13:45:30\") : P.Put Hour(t) & \":\" & Minute(t) & \":\" & Second(t) : P.Put CStr(DateAdd(\"m\", 1, CDate(\"31.01.2024\")))\n"
                              "P.Put Year(Now) >= 2024 : P.Put Timer >= 0 : P.Put Date <= Now : P.Put Time < 1"
                           << "1.1.2024|2|60|1|13:45:30|29.02.2024|True|True|True|True";
    QTest::newRow("random numbers repeat after the same seed")
        << "Rnd -1 : Randomize 7 : a = Rnd : b = Rnd\nRnd -1 : Randomize 7 : P.Put a = Rnd : P.Put b = Rnd : P.Put a >= 0 And a < 1"
        << "True|True|True";
    QTest::newRow("constants") << "P.Put Len(vbCrLf) : P.Put vbYesNo + vbQuestion : P.Put vbTab = Chr(9) : P.Put vbString" << "2|36|True|8";
}

void ScriptLanguageTest::stateSurvivesBetweenTextsUntilReset()
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

QTEST_GUILESS_MAIN(ScriptLanguageTest)
#include "tst_scriptlanguage.moc"
