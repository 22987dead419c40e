#include "AgentSettingsStore.h"

#include "system/Registry.h"

namespace tilvano::agent {

namespace {
const QString SpeechOutputValue = QStringLiteral("SpeechOutput");
const QString SoundEffectsValue = QStringLiteral("SoundEffects");
const QString BalloonFontValue = QStringLiteral("BalloonFont");
} // namespace

AgentSettings AgentSettingsStore::load()
{
    AgentSettings settings;
    auto flag = [this](const QString &name, bool fallback) {
        const std::optional<RegistryValue> value = m_registry.value(KeyPath, name);
        if (!value)
            return fallback;
        return value->type == RegistryValue::DWord ? value->number != 0 : value->text.trimmed() != QLatin1String("0");
    };
    settings.speechOutput = flag(SpeechOutputValue, settings.speechOutput);
    settings.soundEffects = flag(SoundEffectsValue, settings.soundEffects);
    if (const std::optional<RegistryValue> font = m_registry.value(KeyPath, BalloonFontValue);
        font && !font->text.isEmpty()) {
        QFont chosen;
        if (chosen.fromString(font->text))
            settings.balloonFont = chosen;
    }
    return settings;
}

bool AgentSettingsStore::save(const AgentSettings &settings)
{
    bool saved = m_registry.setValue(KeyPath, SpeechOutputValue, RegistryValue::fromDWord(settings.speechOutput ? 1 : 0));
    saved = m_registry.setValue(KeyPath, SoundEffectsValue, RegistryValue::fromDWord(settings.soundEffects ? 1 : 0)) && saved;
    const QString font = settings.balloonFont ? settings.balloonFont->toString() : QString();
    saved = m_registry.setValue(KeyPath, BalloonFontValue, RegistryValue::fromString(font)) && saved;
    return saved;
}

} // namespace tilvano::agent
