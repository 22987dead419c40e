#pragma once

#include <QString>
#include <QStringList>

namespace tilvano::voice {

// The voice character ("Monoton", "Flüstern") and context ("Adresse",
// "E-Mail") lists: what each position shows and the value Kibo.VoiceChar or
// Kibo.VoiceContext takes for it. Position 0 is the plain choice; any other
// position is the second one.
class VoiceStyle {
public:
    static QStringList characterNames();
    static QStringList contextNames();

    static QString characterAt(int position); // "Monotone" or "Whisper"
    static QString contextAt(int position);   // "Address" or "Email"

    // The position a stored value selects: 1 for the second choice in any
    // case ("WHISPER", "email"), -1 when the value leaves the list alone.
    static int characterPosition(const QString &value);
    static int contextPosition(const QString &value);
};

} // namespace tilvano::voice
