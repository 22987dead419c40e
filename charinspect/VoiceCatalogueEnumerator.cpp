#include "VoiceCatalogueEnumerator.h"

#include <QUuid>

namespace tilvano::charinspect {

VoiceCatalogueEnumerator::VoiceCatalogueEnumerator(speech::VoiceCatalogue catalogue)
    : m_catalogue(std::move(catalogue))
{
}

TtsEngineEnumeratorFactory VoiceCatalogueEnumerator::installedVoices()
{
    return [] { return std::make_unique<VoiceCatalogueEnumerator>(speech::VoiceCatalogue::installed()); };
}

int VoiceCatalogueEnumerator::count() const { return int(m_catalogue.modes().size()); }

TtsEngineDetails VoiceCatalogueEnumerator::engine(int index) const
{
    if (index < 1 || index > count())
        return {};
    const speech::VoiceMode &mode = m_catalogue.modes().at(index - 1);
    TtsEngineDetails details;
    details.modeName = mode.modeName;
    details.modeId = mode.modeId.toString(QUuid::WithoutBraces).toUpper();
    details.productName = mode.productName;
    details.speaker = mode.speaker;
    details.style = mode.style;
    details.gender = mode.gender;
    details.age = mode.age;
    details.languageId = mode.languageId;
    details.dialect = mode.dialect;
    details.features = mode.features;
    details.interfaces = mode.interfaces;
    return details;
}

} // namespace tilvano::charinspect
