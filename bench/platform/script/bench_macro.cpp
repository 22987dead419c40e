// Compiling and running a stored macro of 1,000 statement lines against a
// character that does nothing: the engine's own cost per macro run.
#include "platform/script/ScriptEngine.h"

#include <QObject>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

class SilentCharacter : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE bool PlayAni(const QString &) { return true; }
    Q_INVOKABLE bool SpeakIt(const QString &) { return true; }
    Q_INVOKABLE bool Think(const QString &) { return true; }
    Q_INVOKABLE bool SpeakWave(const QString &) { return true; }
    Q_INVOKABLE bool MoveTo(int, int) { return true; }
    Q_INVOKABLE bool StopAll() { return true; }
};

// The six forms in turn, as the runner hands them over (line breaks restored).
QString thousandLineMacro()
{
    const QString forms[] = {
        QStringLiteral("Kibo.PlayAni \"Greet\""),
        QStringLiteral("Kibo.SpeakIt \"Hallo \"\"Welt\"\", es ist <NOW>.\""),
        QStringLiteral("Kibo.Think \"Was nun?\""),
        QStringLiteral("Kibo.SpeakWave \"/home/anna/Klänge/ding.wav\""),
        QStringLiteral("Kibo.MoveTo 100, 200"),
        QStringLiteral("Kibo.StopAll"),
    };
    QString text;
    for (int i = 0; i < 1000; ++i)
        text += forms[i % 6] + QStringLiteral("\r\n");
    return text;
}

void BM_StoredMacro1000Lines(benchmark::State &state)
{
    const QString macro = thousandLineMacro();
    SilentCharacter kibo;
    tilvano::script::ScriptEngine engine;
    for (auto _ : state) {
        engine.reset();
        engine.addObject(QStringLiteral("Kibo"), &kibo);
        if (!engine.executeStatement(macro))
            state.SkipWithError("the macro failed");
    }
}
BENCHMARK(BM_StoredMacro1000Lines)->Unit(benchmark::kMillisecond);

// The three scripts that are also timed against another script host
// (run-vbs-bench), smaller, in process: the engine's cost without start-up.
void runScript(benchmark::State &state, const QString &script)
{
    tilvano::script::ScriptEngine engine;
    for (auto _ : state) {
        engine.reset();
        if (!engine.executeStatement(script))
            state.SkipWithError("the script failed");
    }
}

void BM_NumericLoop(benchmark::State &state)
{
    runScript(state, QStringLiteral("t = 0\nFor i = 1 To 100000\nt = t + i Mod 7\nNext"));
}
BENCHMARK(BM_NumericLoop)->Unit(benchmark::kMillisecond);

void BM_StringBuilding(benchmark::State &state)
{
    runScript(state, QStringLiteral("s = \"\"\nFor i = 1 To 100000\ns = s & Chr(65 + i Mod 26)\nNext"));
}
BENCHMARK(BM_StringBuilding)->Unit(benchmark::kMillisecond);

void BM_Recursion(benchmark::State &state)
{
    runScript(state, QStringLiteral("Function Fib(n)\nIf n < 2 Then\nFib = n\nElse\nFib = Fib(n - 1) + Fib(n - 2)\nEnd If\n"
                                    "End Function\nx = Fib(20)"));
}
BENCHMARK(BM_Recursion)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

#include "bench_macro.moc"
