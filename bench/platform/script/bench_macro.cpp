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

void BM_NumericLoop(benchmark::State &state)
{
    tilvano::script::ScriptEngine engine;
    const QString script = QStringLiteral("t = 0\nFor i = 1 To 100000\nt = t + i Mod 7\nNext");
    for (auto _ : state)
        engine.executeStatement(script);
}
BENCHMARK(BM_NumericLoop)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

#include "bench_macro.moc"
