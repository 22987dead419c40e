#include "AddressSpans.h"

#include <QRegularExpression>

namespace tilvano::speech {

QList<TextSpan> addressSpans(QStringView text)
{
    static const QRegularExpression address(
        QStringLiteral(R"((?:(?:https?|ftp)://|www\.)[^\s<>"']+|[\w.%+-]+@[\w-]+(?:\.[\w-]+)+)"),
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::CaseInsensitiveOption);
    static const QString sentenceEnd = QStringLiteral(".,;:!?)]}");
    QList<TextSpan> spans;
    for (auto it = address.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        qsizetype length = match.capturedLength();
        while (length > 0 && sentenceEnd.contains(text[match.capturedStart() + length - 1]))
            --length;
        if (length > 0)
            spans.append({match.capturedStart(), length});
    }
    return spans;
}

} // namespace tilvano::speech
