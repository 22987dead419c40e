#pragma once

#include "common/ErrorInfo.h"

#include <QString>

#include <optional>

namespace tilvano::charinspect {

// Turns the text of a box into a 16-bit number the way the classic integer conversion
// does: blanks around the number are allowed, fractions round to the nearest even number,
// anything else is a type mismatch (13) and a number outside -32768..32767 an overflow (6).
struct ShortConversion {
    std::optional<qint16> value;
    ErrorInfo error;

    static ShortConversion fromText(const QString &text);
};

} // namespace tilvano::charinspect
