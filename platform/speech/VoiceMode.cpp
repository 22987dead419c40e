#include "VoiceMode.h"

namespace tilvano::speech {

QString VoiceMode::modeIdText() const
{
    return modeId.toString(QUuid::WithBraces).toUpper();
}

} // namespace tilvano::speech
