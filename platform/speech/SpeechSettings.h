#pragma once

#include <QString>

#include <optional>

namespace tilvano::speech {

// How one stretch of text is to be spoken, as speech tags state it. Unset values mean
// "the voice's default".
struct SpeechSettings {
    std::optional<int> wordsPerMinute; // \Spd=n\ ...
    std::optional<int> pitchHz;        // \Pit=n\ ...
    std::optional<int> volume;         // \Vol=n\ 0 (silent) .. 65535 (full)
    QString voiceCharacter;            // \Chr="Normal|Monotone|Whisper"\ ...
    QString context;                   // \Ctx="Address|Email|Unknown|..."\ ...

    // Takes every value that `later` sets; what it leaves unset stays as it was.
    void overrideWith(const SpeechSettings &later);

    bool isMonotone() const;
    bool isWhisper() const;
    // The contexts "Address" and "Email": addresses in the text are read out
    // as addresses, sign by sign, the way a screen reader does.
    bool readsAddresses() const;

    friend bool operator==(const SpeechSettings &, const SpeechSettings &) = default;
};

} // namespace tilvano::speech
