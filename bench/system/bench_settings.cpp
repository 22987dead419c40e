// Settings store: one read (outside any event loop, and a few to a turn of
// the event loop, as the companion reads), one durable save, and a workload of
// 10,000 durable saves followed by 10,000 reads, against QSettings with an INI
// file synced after every save.

#include "common/SettingsStore.h"
#include "system/ServiceRegistry.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>

using namespace tilvano;

namespace {

constexpr int kWorkload = 10000;

QTemporaryDir &home()
{
    static QTemporaryDir dir;
    static const bool configured = [] {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        ServiceRegistry::reset();
        return true;
    }();
    (void)configured;
    return dir;
}

const QString kApp = QStringLiteral("Lorvat");
const QString kSection = QStringLiteral("Bench");

void BM_SettingRead(benchmark::State &state)
{
    home();
    for (int i = 0; i < 1000; ++i)
        SaveSetting(kApp, kSection, QStringLiteral("Key%1").arg(i), QStringLiteral("Value %1").arg(i));
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetSetting(kApp, kSection, QStringLiteral("key%1").arg(i % 1000), QString()));
        ++i;
    }
}
BENCHMARK(BM_SettingRead)->Repetitions(5)->ReportAggregatesOnly(true);

// The store asks whether another program has written once per turn of the
// event loop; the argument is the number of reads in one turn.
void BM_SettingReadInEventLoop(benchmark::State &state)
{
    home();
    for (int i = 0; i < 1000; ++i)
        SaveSetting(kApp, kSection, QStringLiteral("Key%1").arg(i), QStringLiteral("Value %1").arg(i));
    const int readsPerTurn = int(state.range(0));
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        int i = 0;
        for (auto _ : state) {
            // Only the reads are timed, not the loop's own work between turns.
            const auto start = std::chrono::steady_clock::now();
            for (int r = 0; r < readsPerTurn; ++r, ++i)
                benchmark::DoNotOptimize(GetSetting(kApp, kSection, QStringLiteral("key%1").arg(i % 1000), QString()));
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            QCoreApplication::processEvents(); // the turn ends
        }
        loop.quit();
    });
    loop.exec();
    state.SetItemsProcessed(state.iterations() * readsPerTurn);
}
BENCHMARK(BM_SettingReadInEventLoop)->Arg(1)->Arg(8)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SettingDurableSave(benchmark::State &state)
{
    home();
    int i = 0;
    for (auto _ : state) {
        SaveSetting(kApp, kSection, QStringLiteral("Save%1").arg(i % 5000), QStringLiteral("Value %1").arg(i));
        ++i;
    }
}
BENCHMARK(BM_SettingDurableSave)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Workload_Store(benchmark::State &state)
{
    home();
    for (auto _ : state) {
        for (int i = 0; i < kWorkload; ++i)
            SaveSetting(kApp, QStringLiteral("Workload"), QStringLiteral("K%1").arg(i), QStringLiteral("V%1").arg(i));
        for (int i = 0; i < kWorkload; ++i)
            benchmark::DoNotOptimize(GetSetting(kApp, QStringLiteral("Workload"), QStringLiteral("k%1").arg(i), QString()));
    }
}
BENCHMARK(BM_Workload_Store)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Workload_QSettingsIni(benchmark::State &state)
{
    const QString path = home().path() + QStringLiteral("/qsettings.ini");
    for (auto _ : state) {
        QFile::remove(path);
        QSettings settings(path, QSettings::IniFormat);
        for (int i = 0; i < kWorkload; ++i) {
            settings.setValue(QStringLiteral("Workload/K%1").arg(i), QStringLiteral("V%1").arg(i));
            settings.sync();
        }
        for (int i = 0; i < kWorkload; ++i)
            benchmark::DoNotOptimize(settings.value(QStringLiteral("Workload/K%1").arg(i)));
    }
}
BENCHMARK(BM_Workload_QSettingsIni)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
