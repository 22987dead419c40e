#pragma once

#include <QRect>
#include <QString>

namespace tilvano::ablaufwerk {

// What the editor keeps between runs in the per-user settings: where its
// window stood, whether the character speaks its messages, and where the
// editor program lives (so that other programs can start it).
class EditorSettings {
public:
    // The stored window placement in twips. Each value that is missing or not
    // a number keeps the corresponding value of `design`.
    static QRect placement(const QRect &design);
    // The stored switch for the helping character; `current` when it is
    // missing or not a boolean. A fresh user gets the helping character.
    static bool helpingCharacter(bool current = true);
    // Written when the editor closes.
    static void saveAtClose(const QRect &windowTwips, bool helpingCharacter, const QString &programPath);
};

} // namespace tilvano::ablaufwerk
