#pragma once

#include "platform/sound/WaveAudio.h"
#include "platform/speech/MouthShape.h"
#include "platform/speech/SpeechSettings.h"
#include "platform/speech/VoiceCatalogue.h"

#include <QList>
#include <QString>

#include <atomic>
#include <mutex>
#include <optional>

namespace tilvano::speech {

struct SpeechRequest {
    QString text;        // may start with (and contain) speech tags
    QString modeId;      // a voice mode id; empty to choose by language
    int languageId = 0;  // Windows LCID used when no mode id names a voice
    SpeechSettings defaults; // the character's own speed, pitch, ... before any tag
    qint64 maximumDurationMs = 15 * 60 * 1000; // longer speech is cut off here
};

struct WordEvent {
    qsizetype position = 0; // in SpokenText::text
    qsizetype length = 0;
    qint64 timeMs = 0;
};

struct MouthEvent {
    qint64 timeMs = 0;
    MouthShape shape = MouthShape::Closed;
};

struct SpokenText {
    sound::PcmAudio audio;  // 16-bit mono
    QString text;           // the text without its tags, as shown in a balloon
    QList<WordEvent> words; // in speaking order
    QList<MouthEvent> mouth;
    QString voiceModeId;    // the mode that spoke
    bool truncated = false; // cut off at the maximum duration
    bool cancelled = false;
    QString error;          // set when nothing could be spoken
};

// espeak-ng, driven directly. The library keeps global state and is not reentrant, so this is
// one process-wide object that lets one synthesis run at a time; callers on any thread wait
// their turn.
class EspeakEngine
{
public:
    static EspeakEngine &instance();

    bool isAvailable();
    QString productName();
    QList<EspeakVoiceInfo> installedVoices();
    const VoiceCatalogue &catalogue();

    // Turns text into audio with word and mouth events. Setting *cancel stops early.
    SpokenText synthesize(const SpeechRequest &request, const std::atomic<bool> *cancel = nullptr);

    EspeakEngine(const EspeakEngine &) = delete;
    EspeakEngine &operator=(const EspeakEngine &) = delete;

private:
    EspeakEngine() = default;
    ~EspeakEngine();
    bool ensureInitialized(); // with m_mutex held
    QList<EspeakVoiceInfo> listVoicesLocked();

    std::mutex m_mutex;
    bool m_initializeTried = false;
    int m_sampleRate = 0;
    QString m_error;
    std::optional<VoiceCatalogue> m_catalogue;
};

} // namespace tilvano::speech
