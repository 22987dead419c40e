#include "VoiceCatalogue.h"

#include "SpeechEngine.h"
#include "LanguageIds.h"

#include <algorithm>

namespace tilvano::speech {

namespace {

// Names the mode ids derived from espeak-ng voice identifiers (a name-based UUID, version 5).
const QUuid kVoiceNamespace(QStringLiteral("{6f1c3a52-4d0e-5b7a-9c2e-7a4b1d9e0c31}"));

constexpr quint32 kFeatures = VoiceMode::AnyWord | VoiceMode::Volume | VoiceMode::Speed | VoiceMode::Pitch
    | VoiceMode::Tagged | VoiceMode::IpaUnicode | VoiceMode::Visual | VoiceMode::WordPosition;
constexpr quint32 kInterfaces = VoiceMode::Attributes | VoiceMode::Central;

VoiceMode modeFor(const EspeakVoiceInfo &voice, const QString &productName)
{
    VoiceMode mode;
    mode.modeName = QString(voice.name).replace(u'_', u' ');
    mode.modeId = QUuid::createUuidV5(kVoiceNamespace, QStringLiteral("espeak-ng:") + voice.identifier);
    mode.productName = productName;
    mode.speaker = mode.modeName;
    mode.style = QStringLiteral("Normal");
    mode.gender = voice.gender == 2 ? VoiceMode::Female : voice.gender == 1 ? VoiceMode::Male : VoiceMode::Neutral;
    mode.age = voice.age > 0 ? voice.age : VoiceMode::AdultAge;
    mode.languageId = LanguageIds::languageIdFor(voice.language);
    mode.dialect = voice.language;
    mode.features = kFeatures;
    mode.interfaces = kInterfaces;
    mode.espeakVoice = voice.identifier;
    return mode;
}

QUuid parseModeId(const QString &text)
{
    const QString trimmed = text.trimmed();
    return QUuid::fromString(trimmed.startsWith(u'{') ? trimmed : u'{' + trimmed + u'}');
}

} // namespace

QUuid VoiceCatalogue::stefanModeId()
{
    return QUuid(QStringLiteral("{3A1FB761-A92B-11D1-B17B-0020AFED142E}"));
}

QUuid VoiceCatalogue::annaModeId()
{
    return QUuid(QStringLiteral("{3A1FB760-A92B-11D1-B17B-0020AFED142E}"));
}

VoiceCatalogue VoiceCatalogue::installed()
{
    return SpeechEngine::current().catalogue();
}

VoiceCatalogue::VoiceCatalogue(const QList<EspeakVoiceInfo> &voices, const QString &productName)
{
    QList<VoiceMode> others;
    std::optional<EspeakVoiceInfo> german;
    for (const EspeakVoiceInfo &voice : voices) {
        // MBROLA voices need a separate synthesizer and its databases; they fail to speak without.
        if (voice.identifier.isEmpty() || voice.identifier.startsWith(QLatin1String("mb/")))
            continue;
        if (!german && voice.language.compare(QLatin1String("de"), Qt::CaseInsensitive) == 0)
            german = voice;
        others.append(modeFor(voice, productName));
    }
    std::sort(others.begin(), others.end(),
              [](const VoiceMode &a, const VoiceMode &b) { return a.modeName < b.modeName; });

    if (german) {
        VoiceMode stefan = modeFor(*german, productName);
        stefan.modeName = stefan.speaker = QStringLiteral("Stefan");
        stefan.modeId = stefanModeId();
        stefan.gender = VoiceMode::Male;
        stefan.languageId = LanguageIds::German;
        m_modes.append(stefan);

        VoiceMode anna = stefan;
        anna.modeName = anna.speaker = QStringLiteral("Anna");
        anna.modeId = annaModeId();
        anna.gender = VoiceMode::Female;
        anna.espeakVariant = QStringLiteral("f3");
        m_modes.append(anna);
    }
    m_modes.append(others);
}

std::optional<VoiceMode> VoiceCatalogue::modeById(const QString &modeId) const
{
    const QUuid id = parseModeId(modeId);
    if (id.isNull())
        return std::nullopt;
    for (const VoiceMode &mode : m_modes) {
        if (mode.modeId == id)
            return mode;
    }
    return std::nullopt;
}

std::optional<VoiceMode> VoiceCatalogue::modeForLanguage(int languageId) const
{
    for (const QString &language : LanguageIds::espeakLanguagesFor(languageId)) {
        for (const VoiceMode &mode : m_modes) {
            if (mode.dialect.compare(language, Qt::CaseInsensitive) == 0)
                return mode;
        }
    }
    return std::nullopt;
}

std::optional<QUuid> VoiceCatalogue::choiceWithoutListing(const QString &modeId, int languageId)
{
    const QUuid id = parseModeId(modeId);
    if (id == stefanModeId() || id == annaModeId())
        return id;
    // The ids of all other voices here are derived from their names (version 5); any other id
    // is another system's, which no voice here has.
    if (!id.isNull() && id.version() == QUuid::Sha1)
        return std::nullopt;
    if ((languageId & 0x3FF) == (LanguageIds::German & 0x3FF))
        return stefanModeId();
    return std::nullopt;
}

VoiceMode VoiceCatalogue::choose(const QString &modeId, int languageId) const
{
    if (auto mode = modeById(modeId))
        return *mode;
    if (auto mode = modeForLanguage(languageId))
        return *mode;
    if (auto mode = modeById(stefanModeId().toString()))
        return *mode;
    if (!m_modes.isEmpty())
        return m_modes.first();
    // Nothing listed: let espeak-ng pick its German voice by language name.
    VoiceMode fallback;
    fallback.modeName = QStringLiteral("Stefan");
    fallback.modeId = stefanModeId();
    fallback.gender = VoiceMode::Male;
    fallback.languageId = LanguageIds::German;
    fallback.espeakVoice = QStringLiteral("de");
    return fallback;
}

} // namespace tilvano::speech
