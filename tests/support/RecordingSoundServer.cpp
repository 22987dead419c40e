#include "support/RecordingSoundServer.h"

#include "platform/sound/Loudness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

namespace tilvano::test {

namespace {
constexpr int kStartMs = 20000;
constexpr int kWindowMs = 20;
constexpr double kHeardLevel = 0.02; // well above the null sink's silence, below any voice
const QString kSink = QStringLiteral("recorded");

bool acceptsConnections(const QString &socketPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    return socket.waitForConnected(200);
}

// Runs events until `done` or the deadline; the waiting is for other processes.
template<typename Condition>
bool waitFor(Condition done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}
} // namespace

RecordingSoundServer::RecordingSoundServer()
{
    QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput, &m_recorder,
                     [this] { m_samples += m_recorder.readAllStandardOutput(); });
}

RecordingSoundServer::~RecordingSoundServer() { stop(); }

QString RecordingSoundServer::address() const { return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native")); }

bool RecordingSoundServer::start(QString *error)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *folder : {"HOME", "XDG_RUNTIME_DIR", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH"}) {
        const QString path = m_dir.filePath(QString::fromLatin1(folder));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment.insert(QString::fromLatin1(folder), path);
    }
    m_server.setProcessEnvironment(environment);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral("pulseaudio"),
                   {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "--disable-shm=yes",
                    "--log-level=error", "-L",
                    QStringLiteral("module-null-sink sink_name=%1 rate=%2 channels=1").arg(kSink).arg(SampleRate), "-L",
                    QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                        .arg(m_dir.filePath(QStringLiteral("native")))});
    if (!m_server.waitForStarted()) {
        *error = QStringLiteral("pulseaudio did not start (is the package pulseaudio installed?)");
        return false;
    }
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    if (!waitFor([&] { return m_server.state() != QProcess::Running || acceptsConnections(socket); }, kStartMs)
        || m_server.state() != QProcess::Running) {
        *error = QStringLiteral("pulseaudio did not take connections");
        stop();
        return false;
    }
    return true;
}

void RecordingSoundServer::stop()
{
    for (QProcess *process : {&m_recorder, &m_server}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(10000)) {
            process->kill();
            process->waitForFinished();
        }
    }
}

QProcessEnvironment RecordingSoundServer::environment(QProcessEnvironment base) const
{
    base.insert(QStringLiteral("PULSE_SERVER"), address());
    return base;
}

bool RecordingSoundServer::startRecording(QString *error)
{
    if (m_recorder.state() != QProcess::NotRunning) {
        m_recorder.kill();
        m_recorder.waitForFinished();
    }
    m_samples.clear();
    m_recorder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_recorder.start(QStringLiteral("parec"), {QStringLiteral("--server=") + address(), QStringLiteral("--device=") + kSink + QStringLiteral(".monitor"),
                                               "--format=s16le", QStringLiteral("--rate=%1").arg(SampleRate),
                                               "--channels=1", "--latency-msec=10", "--raw"});
    if (!m_recorder.waitForStarted()) {
        *error = QStringLiteral("parec did not start (is the package pulseaudio-utils installed?)");
        return false;
    }
    // The monitor delivers silence all the time: its first bytes show the recording runs.
    if (!waitFor([this] { return !m_samples.isEmpty() || m_recorder.state() != QProcess::Running; }, kStartMs)
        || m_samples.isEmpty()) {
        *error = QStringLiteral("parec recorded nothing");
        return false;
    }
    m_samples.clear();
    return true;
}

sound::PcmAudio RecordingSoundServer::recording() const
{
    return sound::PcmAudio{SampleRate, 1, 16, m_samples.first(m_samples.size() & ~qsizetype(1))};
}

qint64 RecordingSoundServer::recordedMs() const { return m_samples.size() / 2 * 1000 / SampleRate; }

bool RecordingSoundServer::waitForSoundThenQuiet(qint64 fromMs, int quietMs, int timeoutMs)
{
    return waitFor(
        [&] {
            const std::optional<HeardSpan> heard = heardSpan(recording(), fromMs);
            return heard && recordedMs() - heard->endMs >= quietMs;
        },
        timeoutMs);
}

std::optional<HeardSpan> heardSpan(const sound::PcmAudio &audio, qint64 fromMs)
{
    std::optional<HeardSpan> span;
    for (qint64 at = fromMs; at + kWindowMs <= audio.durationMs(); at += kWindowMs) {
        if (sound::loudnessAt(audio, at + kWindowMs / 2, kWindowMs) < kHeardLevel)
            continue;
        if (!span)
            span = HeardSpan{at, at};
        span->endMs = at + kWindowMs;
    }
    return span;
}

} // namespace tilvano::test
