// A program's Speak over the session bus until the character server has queued it: the call
// returns once the request is in the queue, so the time of the whole call bounds the way in.
// The host is started here and the calls come from a client in this process. Run it under
// a session bus:  dbus-run-session -- bench-bin/bench_bus_speak

#include "platform/agent/client/CharacterBusClient.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <memory>

namespace {

// The host with a fresh home of its own, and one client of its character server.
struct Companion {
    QTemporaryDir home;
    QProcess host;
    std::unique_ptr<tilvano::agent::CharacterBusClient> client;
    tilvano::AgentCharacter *character = nullptr;

    Companion()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *sub : {"config", "data", "runtime"})
            QDir(home.path()).mkpath(QLatin1String(sub));
        QFile::setPermissions(home.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("TMPDIR"), home.path());
        environment.insert(QStringLiteral("TILVANO_AUDIO"), QStringLiteral("silent"));
        if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        host.setProcessEnvironment(environment);
        host.start(QStringLiteral(TILVANO_PROGRAM), {});
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QDeadlineTimer deadline(30000);
        while (bus.isConnected() && !bus.interface()->isServiceRegistered(QStringLiteral("org.lorvat.Tilvano"))
               && !deadline.hasExpired())
            QThread::msleep(20);
        client = tilvano::agent::CharacterBusClient::create(bus);
        if (client && !client->load(QStringLiteral("bench"), QStringLiteral("Merlin.acs")).isError())
            character = client->character(QStringLiteral("bench"));
    }
    ~Companion()
    {
        client.reset();
        host.terminate();
        if (!host.waitForFinished(10000))
            host.kill();
        host.waitForFinished();
    }
};

void SpeakOverTheBus(benchmark::State &state)
{
    static Companion companion;
    if (!companion.character) {
        state.SkipWithError("no character server (run under dbus-run-session)");
        return;
    }
    QList<double> microseconds;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const tilvano::ErrorInfo queued = companion.character->speak(QStringLiteral("Hallo"), QString());
        microseconds << double(clock.nsecsElapsed()) / 1000.0;
        benchmark::DoNotOptimize(queued);
        // A queue that only grows would measure the queue, not the way in.
        if (microseconds.size() % 100 == 0) {
            state.PauseTiming();
            companion.character->stopAll();
            state.ResumeTiming();
        }
    }
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds.isEmpty() ? 0 : microseconds[microseconds.size() / 2];
    state.counters["p90_us"] = microseconds.isEmpty() ? 0 : microseconds[microseconds.size() * 9 / 10];
}
BENCHMARK(SpeakOverTheBus)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace
