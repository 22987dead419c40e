#pragma once

#include <QList>
#include <QStringView>

namespace tilvano::speech {

// Where a text holds web addresses ("https://…", "www.…") and e-mail addresses,
// as stretches to be read out sign by sign. Punctuation that ends the sentence
// around an address is not part of it.
struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const TextSpan &, const TextSpan &) = default;
};

QList<TextSpan> addressSpans(QStringView text);

} // namespace tilvano::speech
