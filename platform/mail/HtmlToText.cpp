#include "platform/mail/HtmlToText.h"

#include <QHash>

namespace tilvano::mail {

namespace {

bool isBlankChar(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == QChar(0xA0);
}

bool endsBlock(const QString &tag)
{
    static const QStringList blocks = {
        QStringLiteral("br"), QStringLiteral("p"), QStringLiteral("div"), QStringLiteral("tr"),
        QStringLiteral("li"), QStringLiteral("h1"), QStringLiteral("h2"), QStringLiteral("h3"),
        QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"), QStringLiteral("table"),
        QStringLiteral("blockquote"), QStringLiteral("hr"), QStringLiteral("ul"), QStringLiteral("ol"),
        QStringLiteral("pre"), QStringLiteral("title")};
    return blocks.contains(tag);
}

QString namedEntity(QStringView name)
{
    static const QHash<QString, QString> entities = {
        {QStringLiteral("amp"), QStringLiteral("&")},     {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},      {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},    {QStringLiteral("nbsp"), QStringLiteral(" ")},
        {QStringLiteral("auml"), QStringLiteral("\u00E4")}, {QStringLiteral("ouml"), QStringLiteral("\u00F6")},
        {QStringLiteral("uuml"), QStringLiteral("\u00FC")}, {QStringLiteral("Auml"), QStringLiteral("\u00C4")},
        {QStringLiteral("Ouml"), QStringLiteral("\u00D6")}, {QStringLiteral("Uuml"), QStringLiteral("\u00DC")},
        {QStringLiteral("szlig"), QStringLiteral("\u00DF")}, {QStringLiteral("euro"), QStringLiteral("\u20AC")},
        {QStringLiteral("copy"), QStringLiteral("\u00A9")}, {QStringLiteral("reg"), QStringLiteral("\u00AE")},
        {QStringLiteral("ndash"), QStringLiteral("\u2013")}, {QStringLiteral("mdash"), QStringLiteral("\u2014")},
        {QStringLiteral("hellip"), QStringLiteral("\u2026")}, {QStringLiteral("bdquo"), QStringLiteral("\u201E")},
        {QStringLiteral("ldquo"), QStringLiteral("\u201C")}, {QStringLiteral("rdquo"), QStringLiteral("\u201D")},
    };
    return entities.value(name.toString());
}

// The text an entity body (between '&' and ';') stands for, or a null string
// when it is not one we know; the caller then keeps the characters as they are.
QString decodeEntity(QStringView body)
{
    if (body.startsWith(u'#')) {
        bool ok = false;
        uint code = 0;
        if (body.size() > 1 && (body[1] == u'x' || body[1] == u'X'))
            code = body.mid(2).toUInt(&ok, 16);
        else
            code = body.mid(1).toUInt(&ok, 10);
        // NUL, surrogates and values beyond Unicode are not characters.
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return ok ? QStringLiteral("\uFFFD") : QString();
        const char32_t ch = code;
        return QString::fromUcs4(&ch, 1);
    }
    return namedEntity(body);
}

// Collects output text, folding blanks and limiting blank lines to one.
class TextSink {
public:
    void addChar(QChar c)
    {
        if (isBlankChar(c)) {
            m_pendingSpace = true;
            return;
        }
        if (m_pendingSpace && !m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text += u' ';
        m_pendingSpace = false;
        m_text += c;
    }
    void addText(const QString &text)
    {
        for (QChar c : text)
            addChar(c);
    }
    void breakLine()
    {
        m_pendingSpace = false;
        if (m_text.isEmpty() || m_text.endsWith(QLatin1String("\n\n")))
            return;
        m_text += u'\n';
    }
    QString result() const { return m_text.trimmed(); }

private:
    QString m_text;
    bool m_pendingSpace = false;
};

} // namespace

QString htmlToPlainText(const QString &html)
{
    TextSink out;
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = html[i];
        if (c == u'<') {
            if (html.mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            qsizetype j = i + 1;
            const bool closing = j < n && html[j] == u'/';
            if (closing)
                ++j;
            const qsizetype nameStart = j;
            while (j < n && (html[j].isLetterOrNumber()))
                ++j;
            const QString tag = html.mid(nameStart, j - nameStart).toLower();
            const qsizetype close = html.indexOf(u'>', j);
            if (close < 0)
                break; // an unfinished tag: the rest is not text
            i = close + 1;
            if (!closing && (tag == QLatin1String("script") || tag == QLatin1String("style"))) {
                const qsizetype end = html.indexOf(QLatin1String("</") + tag, i, Qt::CaseInsensitive);
                if (end < 0)
                    break;
                const qsizetype endClose = html.indexOf(u'>', end);
                i = endClose < 0 ? n : endClose + 1;
                continue;
            }
            if (endsBlock(tag))
                out.breakLine();
            continue;
        }
        if (c == u'&') {
            // Entities are short; looking further would make a text full of
            // '&' quadratic.
            const qsizetype offset = QStringView(html).mid(i + 1, 12).indexOf(u';');
            const qsizetype semicolon = offset < 0 ? -1 : i + 1 + offset;
            if (semicolon > i + 1) {
                const QString decoded = decodeEntity(QStringView(html).mid(i + 1, semicolon - i - 1));
                if (!decoded.isNull()) {
                    out.addText(decoded);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        out.addChar(c);
        ++i;
    }
    return out.result();
}

} // namespace tilvano::mail
