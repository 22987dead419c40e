#pragma once

#include "TtsEngineEnumerator.h"

#include "platform/speech/VoiceCatalogue.h"

namespace tilvano::charinspect {

// Lists the voices of a voice catalogue as engine modes.
class VoiceCatalogueEnumerator : public TtsEngineEnumerator {
public:
    explicit VoiceCatalogueEnumerator(speech::VoiceCatalogue catalogue);

    // The factory the program uses: the voices installed on this machine.
    static TtsEngineEnumeratorFactory installedVoices();

    int count() const override;
    TtsEngineDetails engine(int index) const override;

private:
    speech::VoiceCatalogue m_catalogue;
};

} // namespace tilvano::charinspect
