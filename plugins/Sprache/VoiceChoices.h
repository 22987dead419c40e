#pragma once

#include <QString>
#include <QStringList>

namespace tilvano::voice {

// The voices the page offers, by list position: none (the character's own
// voice), then the two German voices.
class VoiceChoices {
public:
    static constexpr int NoVoice = 0;
    static constexpr int Stefan = 1;
    static constexpr int Anna = 2;

    static QStringList names();
    // The mode id Kibo.TTSModeID takes for a position: braced and in capitals,
    // as settings written before have it; empty for "(keine Auswahl)" and for
    // a position that is not in the list.
    static QString modeIdAt(int position);
    // Stefan or Anna for their mode ids (with or without braces, in any case),
    // -1 for anything else.
    static int positionOf(const QString &modeId);
};

} // namespace tilvano::voice
