#include "plugins/Freund/CharacterSizes.h"

#include <array>

namespace tilvano::freund {

namespace {

// Side length of each entry's square, in the character's pixels; 0 = normal.
constexpr std::array<qint16, 5> sides = {50, 100, 0, 200, 400};

} // namespace

QStringList CharacterSizes::entryTexts()
{
    return {QStringLiteral("sehr klein"), QStringLiteral("klein"), QStringLiteral("normal"), QStringLiteral("groß"),
            QStringLiteral("sehr groß")};
}

int CharacterSizes::indexForWidth(qint16 width)
{
    for (int i = 0; i < int(sides.size()); ++i) {
        if (sides[i] != 0 && sides[i] == width)
            return i;
    }
    return normalIndex;
}

std::optional<QSize> CharacterSizes::fixedSizeAt(int index)
{
    if (index < 0 || index >= int(sides.size()) || sides[index] == 0)
        return std::nullopt;
    return QSize(sides[index], sides[index]);
}

} // namespace tilvano::freund
