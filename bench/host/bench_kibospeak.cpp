// `kibo speak "Hallo"` against a running companion, until the first of the sentence's sound
// reaches the sound server. The session bus, the sound server (PulseAudio with a null sink,
// whose monitor is recorded) and the fresh home are the benchmark's own; the time is read
// off the recording's own clock, so it is the sound's arrival, not our noticing it.

#include "support/PrivateSessionBus.h"
#include "support/RecordingSoundServer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tilvano::test;

namespace {

constexpr int kTimeoutMs = 30000;

// The companion, started once for all runs.
class Companion
{
public:
    bool start(QString *error)
    {
        if (m_bus.address().isEmpty()) {
            *error = QStringLiteral("dbus-daemon did not start");
            return false;
        }
        if (!m_sound.start(error))
            return false;
        m_environment = m_sound.environment();
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        for (const char *folder : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const QString path = m_home.filePath(QString::fromLatin1(folder));
            QDir().mkpath(path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            m_environment.insert(QString::fromLatin1(folder), path);
        }
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.remove(QStringLiteral("TILVANO_AUDIO"));
        m_host.setProcessEnvironment(m_environment);
        m_host.start(QStringLiteral(TILVANO_PROGRAM), {});
        const QDeadlineTimer deadline(kTimeoutMs);
        while (!onBus()) {
            if (deadline.hasExpired() || m_host.state() == QProcess::NotRunning) {
                *error = QStringLiteral("tilvano did not come onto the bus");
                return false;
            }
            QThread::msleep(20);
        }
        return m_sound.startRecording(error);
    }

    ~Companion()
    {
        m_host.terminate();
        if (!m_host.waitForFinished(kTimeoutMs))
            m_host.kill();
    }

    // One `kibo speak`: milliseconds from its start to the first sound, or -1.
    double speakOnce()
    {
        const qint64 from = m_sound.recordedMs();
        QProcess kibo;
        kibo.setProcessEnvironment(m_environment);
        kibo.start(QStringLiteral(TILVANO_KIBO), {QStringLiteral("speak"), QStringLiteral("Hallo")});
        // The sentence is over before the next one starts, so each finds the companion idle.
        const bool heard = m_sound.waitForSoundThenQuiet(from, 300, kTimeoutMs);
        kibo.waitForFinished(kTimeoutMs);
        const std::optional<HeardSpan> span = heardSpan(m_sound.recording(), from);
        return heard && span ? double(span->startMs - from) : -1;
    }

private:
    bool onBus() const
    {
        QDBusConnection connection = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("bench"));
        return connection.isConnected()
               && connection.interface()->isServiceRegistered(QStringLiteral("org.lorvat.Tilvano")).value();
    }

    PrivateSessionBus m_bus;
    RecordingSoundServer m_sound;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_host;
};

void BM_KiboSpeakUntilFirstSound(benchmark::State &state)
{
    static std::unique_ptr<Companion> companion;
    static QString failure;
    if (!companion && failure.isEmpty()) {
        companion = std::make_unique<Companion>();
        // Its processes end with the application, not after it.
        qAddPostRoutine([] { companion.reset(); });
        if (!companion->start(&failure))
            companion.reset();
    }
    if (!companion) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    for (auto _ : state) {
        const double ms = companion->speakOnce();
        if (ms < 0) {
            state.SkipWithError("the sentence was not heard");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
    }
}
BENCHMARK(BM_KiboSpeakUntilFirstSound)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace
