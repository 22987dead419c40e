// The main() of benchmarks that need a Qt application object (event loop,
// file watchers, sockets) around Google Benchmark's runner. Built twice: with
// TILVANO_BENCH_WIDGETS for benchmarks of widgets (settings pages), which get
// a QApplication on the offscreen platform unless one is chosen.

#ifdef TILVANO_BENCH_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
#ifdef TILVANO_BENCH_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
