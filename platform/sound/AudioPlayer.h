#pragma once

#include "platform/sound/WaveAudio.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

namespace tilvano::sound {

// Plays one PCM sound at a time on the sound server. Without a server (or when told to be
// silent) it plays nothing but keeps the sound's proper duration, so callers see the same
// timing and the same signals either way; headless machines and tests rely on that.
class AudioPlayer : public QObject
{
    Q_OBJECT

public:
    enum class Output {
        Automatic, // the sound server when reachable, else silent; the silentAudio diagnostic option forces silence
        Silent,
    };

    explicit AudioPlayer(QObject *parent = nullptr);
    explicit AudioPlayer(Output output, QObject *parent = nullptr);
    ~AudioPlayer() override;

    // Starts the sound, ending any sound still playing first (which gets its finished()).
    // Emits started() before returning; finished() follows from the event loop.
    int play(const PcmAudio &audio);
    // Decodes and plays a WAV file. A file that cannot be read or decoded still gets an id,
    // and failed() and finished() for it follow from the event loop.
    int playFile(const QString &path);
    void stop();

    bool isPlaying() const { return m_currentId != 0; }
    int currentId() const { return m_currentId; }
    qint64 elapsedMs() const;
    // The loudness of the current sound at the current position, 0..1.
    double currentLoudness() const;
    // True when the current (or last) sound went to no device.
    bool isSilent() const { return m_silent; }

signals:
    void started(int id);
    void positionChanged(int id, qint64 elapsedMs);
    void failed(int id, const QString &message);
    void finished(int id); // exactly once for every id, also after stop() or failed()

private:
    struct Playback;

    int nextId();
    void startDevice(int id);
    void deviceUnavailable(int id, const QString &message);
    void deviceDone(int id);
    void startSilentClock(int id);
    void finishCurrent();

    Output m_output;
    int m_lastId = 0;
    int m_currentId = 0;
    bool m_silent = false;
    PcmAudio m_audio;
    QElapsedTimer m_clock;
    QTimer m_endTimer;
    QTimer m_positionTimer;
    std::shared_ptr<Playback> m_playback; // the device side of the current sound
    QList<QThread *> m_workers;
};

} // namespace tilvano::sound
