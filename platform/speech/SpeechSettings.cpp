#include "SpeechSettings.h"

namespace tilvano::speech {

void SpeechSettings::overrideWith(const SpeechSettings &later)
{
    if (later.wordsPerMinute)
        wordsPerMinute = later.wordsPerMinute;
    if (later.pitchHz)
        pitchHz = later.pitchHz;
    if (later.volume)
        volume = later.volume;
    if (!later.voiceCharacter.isEmpty())
        voiceCharacter = later.voiceCharacter;
    if (!later.context.isEmpty())
        context = later.context;
}

bool SpeechSettings::isMonotone() const
{
    return voiceCharacter.compare(QLatin1String("Monotone"), Qt::CaseInsensitive) == 0;
}

bool SpeechSettings::isWhisper() const
{
    return voiceCharacter.compare(QLatin1String("Whisper"), Qt::CaseInsensitive) == 0;
}

bool SpeechSettings::readsAddresses() const
{
    return context.compare(QLatin1String("Address"), Qt::CaseInsensitive) == 0
        || context.compare(QLatin1String("Email"), Qt::CaseInsensitive) == 0;
}

} // namespace tilvano::speech
