#include "AudioPlayer.h"

#include "Loudness.h"
#include "PulseStream.h"

#include "system/DiagnosticOptions.h"

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <climits>
#include <limits>

namespace tilvano::sound {

namespace {

constexpr int kPositionIntervalMs = 40;
constexpr int kChunkMs = 50;               // how soon a stop reaches the device
constexpr qint64 kRetryServerAfterMs = 30000;
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;

// Once the server was unreachable, later sounds go straight to the silent clock for a while
// instead of paying for a failing connection attempt each time.
std::atomic<qint64> g_serverMissingSince{-1};

qint64 monotonicMs()
{
    return QDeadlineTimer::current().deadline();
}

bool serverRecentlyMissing()
{
    const qint64 since = g_serverMissingSince.load();
    return since >= 0 && monotonicMs() - since < kRetryServerAfterMs;
}

} // namespace

struct AudioPlayer::Playback {
    PcmAudio audio;
    std::atomic<bool> cancelled{false};
};

AudioPlayer::AudioPlayer(QObject *parent)
    : AudioPlayer(DiagnosticOptions::current().silentAudio ? Output::Silent : Output::Automatic, parent)
{
}

AudioPlayer::AudioPlayer(Output output, QObject *parent)
    : QObject(parent)
    , m_output(output)
{
    m_endTimer.setSingleShot(true);
    m_endTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_endTimer, &QTimer::timeout, this, &AudioPlayer::finishCurrent);
    m_positionTimer.setInterval(kPositionIntervalMs);
    connect(&m_positionTimer, &QTimer::timeout, this, [this] {
        if (m_currentId)
            emit positionChanged(m_currentId, elapsedMs());
    });
}

AudioPlayer::~AudioPlayer()
{
    if (m_playback)
        m_playback->cancelled = true;
    // Workers post back to this object; they must be gone before it is.
    for (QThread *worker : std::as_const(m_workers)) {
        worker->wait();
        delete worker;
    }
}

int AudioPlayer::nextId()
{
    m_lastId = m_lastId == std::numeric_limits<int>::max() ? 1 : m_lastId + 1;
    return m_lastId;
}

int AudioPlayer::play(const PcmAudio &audio)
{
    stop();
    const int id = nextId();
    m_currentId = id;
    m_audio = audio;
    m_clock.start();
    m_positionTimer.start();
    emit started(id);
    if (m_currentId != id) // a slot stopped it already
        return id;
    if (m_output == Output::Silent || !audio.isValid() || audio.isEmpty() || serverRecentlyMissing())
        startSilentClock(id);
    else
        startDevice(id);
    return id;
}

int AudioPlayer::playFile(const QString &path)
{
    QString error;
    if (std::optional<PcmAudio> audio = readWaveFile(path, kMaxFileBytes, &error))
        return play(*audio);

    stop();
    const int id = nextId();
    QMetaObject::invokeMethod(this, [this, id, error] {
        emit failed(id, error);
        emit finished(id);
    }, Qt::QueuedConnection);
    return id;
}

void AudioPlayer::stop()
{
    if (m_currentId)
        finishCurrent();
}

qint64 AudioPlayer::elapsedMs() const
{
    if (!m_currentId)
        return 0;
    return std::min(m_clock.elapsed(), m_audio.durationMs());
}

double AudioPlayer::currentLoudness() const
{
    return m_currentId ? loudnessAt(m_audio, elapsedMs()) : 0.0;
}

void AudioPlayer::startSilentClock(int id)
{
    if (id != m_currentId)
        return;
    m_silent = true;
    m_endTimer.start(int(std::clamp<qint64>(m_audio.durationMs() - m_clock.elapsed(), 0, INT_MAX)));
}

void AudioPlayer::startDevice(int id)
{
    m_silent = false;
    auto playback = std::make_shared<Playback>();
    playback->audio = m_audio;
    m_playback = playback;
    QThread *worker = QThread::create([this, id, playback] {
        PulseStream stream;
        if (!stream.open(playback->audio, QStringLiteral("Tilvano sound %1").arg(id))) {
            g_serverMissingSince = monotonicMs();
            QMetaObject::invokeMethod(this, [this, id, message = stream.errorString()] {
                deviceUnavailable(id, message);
            }, Qt::QueuedConnection);
            return;
        }
        g_serverMissingSince = -1;
        const QByteArray &samples = playback->audio.samples;
        const qsizetype chunk = std::max<qsizetype>(
            playback->audio.bytesPerFrame(),
            qsizetype(playback->audio.sampleRate) * kChunkMs / 1000 * playback->audio.bytesPerFrame());
        bool ok = true;
        for (qsizetype at = 0; ok && at < samples.size() && !playback->cancelled; at += chunk)
            ok = stream.write(samples.constData() + at, std::min(chunk, samples.size() - at));
        if (playback->cancelled)
            stream.flush();
        else if (ok)
            stream.drain();
        QMetaObject::invokeMethod(this, [this, id] { deviceDone(id); }, Qt::QueuedConnection);
    });
    m_workers.append(worker);
    connect(worker, &QThread::finished, this, [this, worker] {
        m_workers.removeOne(worker);
        worker->deleteLater();
    });
    worker->start();
}

void AudioPlayer::deviceUnavailable(int id, const QString &message)
{
    Q_UNUSED(message); // no sound card is an ordinary condition, not an error of the sound
    if (id == m_currentId) {
        m_playback.reset();
        startSilentClock(id);
    }
}

void AudioPlayer::deviceDone(int id)
{
    if (id == m_currentId)
        finishCurrent();
}

void AudioPlayer::finishCurrent()
{
    const int id = m_currentId;
    if (!id)
        return;
    if (m_playback) {
        m_playback->cancelled = true;
        m_playback.reset();
    }
    m_endTimer.stop();
    m_positionTimer.stop();
    m_currentId = 0;
    emit finished(id);
}

} // namespace tilvano::sound
