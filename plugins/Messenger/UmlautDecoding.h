#pragma once

#include <QString>

namespace tilvano::messengerpage {

// Mends text whose UTF-8 was read one byte per character somewhere on its way
// ("SchÃ¶n" for "Schön"): each capital "Ã" (the lead byte C3) followed by a
// character from U+0080 to U+00BF (a continuation byte) becomes the one
// character that pair encodes, U+00C0 to U+00FF. Everything else is left as
// it is, so genuine text such as "São Paulo" or "Ãx" comes through unchanged.
QString DecodeUmlauts(const QString &text);

} // namespace tilvano::messengerpage
