#pragma once

#include <QString>
#include <QUuid>

namespace tilvano::speech {

// One selectable voice, described the way text-to-speech engine modes are listed to
// programs: identifier, names, speaker, gender, age, language and capabilities.
struct VoiceMode {
    enum Gender { Neutral = 0, Female = 1, Male = 2 };
    enum Feature : quint32 {
        AnyWord = 0x1,
        Volume = 0x2,
        Speed = 0x4,
        Pitch = 0x8,
        Tagged = 0x10,
        IpaUnicode = 0x20,
        Visual = 0x40,
        WordPosition = 0x80,
    };
    enum Interface : quint32 {
        Attributes = 0x2,
        Central = 0x4,
    };
    static constexpr int AdultAge = 30;

    QString modeName;
    QUuid modeId;
    QString productName;
    QString speaker;
    QString style;
    int gender = Neutral;
    int age = AdultAge;
    int languageId = 0; // Windows LCID, 1031 for German
    QString dialect;
    quint32 features = 0;
    quint32 interfaces = 0;

    QString espeakVoice;   // what espeak-ng selects the voice by (identifier)
    QString espeakVariant; // variant applied on top ("f3"), or empty

    // "{3A1FB761-A92B-11D1-B17B-0020AFED142E}": upper case with braces, as characters store it.
    QString modeIdText() const;
    bool isFemale() const { return gender == Female; }
};

} // namespace tilvano::speech
