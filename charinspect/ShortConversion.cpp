#include "ShortConversion.h"

#include "common/RuntimeErrors.h"

#include <QLocale>

#include <cfenv>
#include <cmath>

namespace tilvano::charinspect {

namespace {
ErrorInfo failure(runtime::Number number)
{
    return runtime::error(number, QStringLiteral("charinspect"), runtime::Language::English);
}
} // namespace

ShortConversion ShortConversion::fromText(const QString &text)
{
    ShortConversion result;
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number)) {
        result.error = failure(runtime::TypeMismatch);
        return result;
    }
    // Round half to even, whatever rounding mode the process happens to be in.
    const int previousMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(number);
    std::fesetround(previousMode);
    if (rounded < -32768.0 || rounded > 32767.0) {
        result.error = failure(runtime::Overflow);
        return result;
    }
    result.value = qint16(rounded);
    return result;
}

} // namespace tilvano::charinspect
