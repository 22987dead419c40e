#include "plugins/Freund/CharacterFileSize.h"

#include "platform/acs/AcsReader.h"

#include <limits>

namespace tilvano::freund {

std::optional<QSize> characterFileSize(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const std::optional<acs::AcsReader> reader = acs::AcsReader::open(path);
    if (!reader)
        return std::nullopt;
    const int width = reader->info().width;
    const int height = reader->info().height;
    constexpr int largest = std::numeric_limits<qint16>::max();
    if (width <= 0 || height <= 0 || width > largest || height > largest)
        return std::nullopt;
    return QSize(width, height);
}

} // namespace tilvano::freund
