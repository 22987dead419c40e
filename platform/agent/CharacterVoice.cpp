#include "CharacterVoice.h"

#include "AgentCodes.h"
#include "SentencePlayer.h"

#include "platform/speech/SpeechSynthesizer.h"

#include <QUuid>

namespace tilvano::agent {

namespace {
constexpr int DefaultWordsPerMinute = 150;
constexpr int DefaultPitchHz = 100;
constexpr qint32 DefaultLanguageId = 0x0407; // German: the language the characters talk to users in

ErrorInfo failure(const QString &description)
{
    return ErrorInfo{AgentErrorNoVoice, QStringLiteral("AgentCharacter"), description, 0};
}

QUuid uuidOf(const QString &text)
{
    const QString trimmed = text.trimmed();
    return QUuid::fromString(trimmed.startsWith(QLatin1Char('{')) ? trimmed : QLatin1Char('{') + trimmed + QLatin1Char('}'));
}
} // namespace

CharacterVoice::CharacterVoice(const std::optional<acs::VoiceInfo> &declared, speech::SpeechSynthesizer &synthesizer)
    : m_declared(declared)
    , m_synthesizer(synthesizer)
    , m_languageId(declared && declared->hasExtraData ? declared->languageId : DefaultLanguageId)
{
}

ErrorInfo CharacterVoice::setLanguageId(qint32 languageId)
{
    // German always has its voice; other languages need the installed voices listed.
    if (!speech::VoiceCatalogue::choiceWithoutListing(QString(), languageId)
        && !m_synthesizer.catalogue().modeForLanguage(languageId))
        return failure(QStringLiteral("Keine Stimme spricht die Sprache %1.").arg(languageId));
    m_languageId = languageId;
    return {};
}

QString CharacterVoice::modeId() const
{
    if (!hasVoice())
        return {};
    if (!m_chosenModeId.isEmpty())
        return m_chosenModeId;
    const QString declared = m_declared->modeId.isNull() ? QString() : m_declared->modeId.toString();
    if (const std::optional<QUuid> known = speech::VoiceCatalogue::choiceWithoutListing(declared, m_languageId))
        return known->toString(QUuid::WithBraces).toUpper();
    return m_synthesizer.catalogue().choose(declared, m_languageId).modeIdText();
}

bool CharacterVoice::isDeclaredModeId(const QString &modeId) const
{
    return m_declared && !m_declared->modeId.isNull() && uuidOf(modeId) == m_declared->modeId;
}

ErrorInfo CharacterVoice::setModeId(const QString &modeId)
{
    if (modeId.isEmpty() || isDeclaredModeId(modeId)) {
        m_chosenModeId.clear();
        return {};
    }
    // Stefan and Anna are there without asking: restoring them at a start loads no engine.
    if (const std::optional<QUuid> standard = speech::VoiceCatalogue::choiceWithoutListing(modeId, 0)) {
        m_chosenModeId = standard->toString(QUuid::WithBraces).toUpper();
        return {};
    }
    if (const std::optional<speech::VoiceMode> mode = m_synthesizer.catalogue().modeById(modeId)) {
        m_chosenModeId = mode->modeIdText();
        return {};
    }
    // What was reported speaks, even where no catalogue lists it (espeak-ng is missing).
    if (!uuidOf(modeId).isNull() && uuidOf(modeId) == uuidOf(this->modeId()))
        return {};
    return failure(QStringLiteral("Es gibt keine Stimme \"%1\".").arg(modeId));
}

qint32 CharacterVoice::speed() const
{
    if (!m_declared || m_declared->speed == 0xFFFFFFFFu || m_declared->speed == 0 || m_declared->speed > 1000)
        return DefaultWordsPerMinute;
    return qint32(m_declared->speed);
}

qint32 CharacterVoice::pitch() const
{
    if (!m_declared || m_declared->pitch == 0xFFFF || m_declared->pitch == 0)
        return DefaultPitchHz;
    return m_declared->pitch;
}

SentenceVoice CharacterVoice::forSentence(bool speechOutput) const
{
    const bool audible = speechOutput && hasVoice();
    return SentenceVoice{audible, audible ? modeId() : QString(), m_languageId, speed(), pitch()};
}

} // namespace tilvano::agent
