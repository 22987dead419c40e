#pragma once

#include "common/ErrorInfo.h"
#include "platform/acs/AcsModel.h"

#include <QString>

#include <optional>

namespace tilvano::speech {
class SpeechSynthesizer;
}

namespace tilvano::agent {

struct SentenceVoice;

// The voice of one character: the language it talks in and the voice mode it speaks with,
// as its file declares them and as they are changed later. A file that declares a voice
// always speaks: without a mode id, or with one no voice here knows (the id of another
// system's engine), it speaks with the catalogue's voice for its language. The mode id
// reported is always the one that speaks, so handing it back is always accepted.
class CharacterVoice
{
public:
    CharacterVoice(const std::optional<acs::VoiceInfo> &declared, speech::SpeechSynthesizer &synthesizer);

    qint32 languageId() const { return m_languageId; }
    // Fails (and changes nothing) when no voice speaks the language.
    ErrorInfo setLanguageId(qint32 languageId);

    // The mode that speaks; empty for a character without a voice.
    QString modeId() const;
    // Empty: the character's own voice again. An id no voice has fails, unless it is the one
    // the file declares or the one reported now.
    ErrorInfo setModeId(const QString &modeId);

    // The file's own pace (words per minute) and pitch (Hz), or the usual ones.
    qint32 speed() const;
    qint32 pitch() const;

    SentenceVoice forSentence(bool speechOutput) const;

private:
    bool hasVoice() const { return m_declared.has_value() || !m_chosenModeId.isEmpty(); }
    bool isDeclaredModeId(const QString &modeId) const;

    std::optional<acs::VoiceInfo> m_declared;
    speech::SpeechSynthesizer &m_synthesizer;
    qint32 m_languageId = 0;
    QString m_chosenModeId; // set through setModeId; empty: the character's own
};

} // namespace tilvano::agent
