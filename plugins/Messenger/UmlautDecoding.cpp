#include "plugins/Messenger/UmlautDecoding.h"

namespace tilvano::messengerpage {

namespace {

constexpr char16_t leadByte = 0x00C3;
constexpr char16_t firstContinuation = 0x0080;
constexpr char16_t lastContinuation = 0x00BF;
// C3 xx encodes the character xx + 0x40 (U+00C0 to U+00FF).
constexpr char16_t pairOffset = 0x0040;

bool isContinuation(QChar c)
{
    return c.unicode() >= firstContinuation && c.unicode() <= lastContinuation;
}

} // namespace

QString DecodeUmlauts(const QString &text)
{
    if (!text.contains(QChar(leadByte)))
        return text;
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() == leadByte && i + 1 < text.size() && isContinuation(text[i + 1])) {
            decoded.append(QChar(char16_t(text[i + 1].unicode() + pairOffset)));
            ++i;
        } else {
            decoded.append(text[i]);
        }
    }
    return decoded;
}

} // namespace tilvano::messengerpage
