#pragma once

#include "platform/speech/VoiceMode.h"

#include <QList>
#include <QString>

#include <optional>

namespace tilvano::speech {

// An installed espeak-ng voice as the library reports it.
struct EspeakVoiceInfo {
    QString name;       // "German"
    QString identifier; // "gmw/de"
    QString language;   // "de"
    int gender = 0;     // espeak-ng's: 0 unknown, 1 male, 2 female
    int age = 0;        // 0 unknown
};

// The voices a character can speak with. The two German voices "Stefan" (male) and "Anna"
// (female) keep the mode ids characters and settings already refer to; every other installed
// espeak-ng language voice gets a mode id derived from its identifier, stable across runs.
class VoiceCatalogue
{
public:
    static QUuid stefanModeId();
    static QUuid annaModeId();

    // The catalogue of the engine the process speaks with (espeak-ng's voices on this machine).
    static VoiceCatalogue installed();

    VoiceCatalogue(const QList<EspeakVoiceInfo> &voices, const QString &productName);

    const QList<VoiceMode> &modes() const { return m_modes; }
    // Looks a mode up by its id, with or without braces, in any case.
    std::optional<VoiceMode> modeById(const QString &modeId) const;
    // The first mode speaking the language of a Windows language identifier.
    std::optional<VoiceMode> modeForLanguage(int languageId) const;
    // What to speak with: the mode id when it names a mode, else the language, else Stefan.
    VoiceMode choose(const QString &modeId, int languageId) const;
    // What choose() gives, where that is certain without listing the voices (which loads
    // espeak-ng, too slow for a program's start): Stefan or Anna by their ids, and Stefan for
    // German when the id names no voice of this machine. Holds as long as espeak-ng has its
    // German voice, which its data always brings.
    static std::optional<QUuid> choiceWithoutListing(const QString &modeId, int languageId);

private:
    QList<VoiceMode> m_modes;
};

} // namespace tilvano::speech
