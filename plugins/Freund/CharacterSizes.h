#pragma once

#include <QSize>
#include <QStringList>

#include <optional>

namespace tilvano::freund {

// The sizes the size list offers: four fixed squares around the character's
// own ("normal") size, which depends on the character.
class CharacterSizes {
public:
    static constexpr int normalIndex = 2;

    // "sehr klein", "klein", "normal", "groß", "sehr groß".
    static QStringList entryTexts();
    // The entry a character of this width shows as: one of the fixed squares
    // when the width is exactly theirs, otherwise "normal".
    static int indexForWidth(qint16 width);
    // The size of a fixed entry; nothing for "normal" and for unknown entries.
    static std::optional<QSize> fixedSizeAt(int index);
};

} // namespace tilvano::freund
