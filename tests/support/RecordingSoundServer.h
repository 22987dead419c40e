#pragma once

#include "platform/sound/WaveAudio.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <optional>

namespace tilvano::test {

// A sound server of the test's own: PulseAudio with a null sink as its only output, in a
// private runtime folder, so tests running side by side never share one. Whatever programs
// pointed at it (environment()) play, it records from the sink's monitor with parec.
// A missing pulseaudio or parec fails start() with a message, never silently.
class RecordingSoundServer
{
public:
    static constexpr int SampleRate = 22050; // mono, 16-bit: what the speech engine makes

    RecordingSoundServer();
    ~RecordingSoundServer();
    RecordingSoundServer(const RecordingSoundServer &) = delete;
    RecordingSoundServer &operator=(const RecordingSoundServer &) = delete;

    bool start(QString *error);
    void stop();
    // `base` with the variables that lead a program's sound here.
    QProcessEnvironment environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;
    QString address() const;

    // Records from now on; what was recorded before is dropped. Returns once sound flows.
    bool startRecording(QString *error);
    // What was heard since startRecording(), and how long that is (it grows as time passes).
    sound::PcmAudio recording() const;
    qint64 recordedMs() const;
    // Waits (processing events) until something could be heard after `fromMs` of the
    // recording and then `quietMs` of silence followed; false after `timeoutMs`.
    bool waitForSoundThenQuiet(qint64 fromMs, int quietMs, int timeoutMs);

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_recorder;
    QByteArray m_samples;
};

// Where in a recording something can be heard.
struct HeardSpan {
    qint64 startMs = 0;
    qint64 endMs = 0;
    qint64 lengthMs() const { return endMs - startMs; }
};
// From the first to the last 20 ms window (from `fromMs` on) louder than a whisper; none
// for silence.
std::optional<HeardSpan> heardSpan(const sound::PcmAudio &audio, qint64 fromMs = 0);

} // namespace tilvano::test
