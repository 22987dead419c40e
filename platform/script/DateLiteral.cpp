#include "DateLiteral.h"

#include "Value.h"

#include <QDateTime>

namespace tilvano::script {

namespace {

// A cursor over the literal's text, split into numbers, words and separators.
class DateScanner {
public:
    explicit DateScanner(QStringView text) : m_text(text.trimmed()) {}

    bool atEnd() { skipBlanks(); return m_pos >= m_text.size(); }
    bool nextIsDigit() { skipBlanks(); return m_pos < m_text.size() && m_text[m_pos].isDigit(); }
    bool nextIsLetter() { skipBlanks(); return m_pos < m_text.size() && m_text[m_pos].isLetter(); }

    // A number and how many digits it was written with.
    std::optional<std::pair<int, int>> number()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        int value = 0;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit() && m_pos - start < 5)
            value = value * 10 + m_text[m_pos++].digitValue();
        if (m_pos == start || (m_pos < m_text.size() && m_text[m_pos].isDigit()))
            return std::nullopt;
        return std::make_pair(value, int(m_pos - start));
    }

    QStringView word()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isLetter())
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    // The separator at the cursor, if it is one of these (taken).
    QChar separator(const char *allowed)
    {
        skipBlanks();
        if (m_pos < m_text.size())
            for (const char *c = allowed; *c; ++c)
                if (m_text[m_pos] == QLatin1Char(*c))
                    return m_text[m_pos++];
        return QChar();
    }

    // Whether a time of day follows: a number and then ":" or AM/PM.
    bool timeFollows()
    {
        const qsizetype saved = m_pos;
        const bool isTime = number() && (separator(":") == QLatin1Char(':') || isHalfOfDay(word()));
        m_pos = saved;
        return isTime;
    }

    static bool isHalfOfDay(QStringView w)
    {
        return w.compare(QLatin1String("am"), Qt::CaseInsensitive) == 0
            || w.compare(QLatin1String("pm"), Qt::CaseInsensitive) == 0;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == QLatin1Char(' ') || m_text[m_pos] == QLatin1Char('\t')))
            ++m_pos;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

int monthFromName(QStringView name)
{
    static const char *const months[] = {"january", "february", "march", "april", "may", "june", "july",
                                         "august", "september", "october", "november", "december"};
    if (name.size() < 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        const QLatin1String full(months[i]);
        if (name.compare(full, Qt::CaseInsensitive) == 0 || name.compare(full.first(3), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

std::optional<int> fullYear(std::pair<int, int> written)
{
    const auto [value, digits] = written;
    if (digits <= 2)
        return value < 30 ? 2000 + value : 1900 + value;
    if (value < 100 || value > 9999)
        return std::nullopt;
    return value;
}

// The year after a day and a month name, unless a time of day follows
// instead; false when what is written there is no year.
bool readOptionalYear(DateScanner &scan, std::optional<int> &year)
{
    if (!scan.nextIsDigit() || scan.timeFollows())
        return true;
    const auto written = scan.number();
    year = written ? fullYear(*written) : std::nullopt;
    return year.has_value();
}

std::optional<QDate> datePart(DateScanner &scan)
{
    int day = 0, month = 0;
    std::optional<int> year;
    if (scan.nextIsLetter()) {
        // December 24, 2023
        month = monthFromName(scan.word());
        const auto d = scan.number();
        if (!month || !d)
            return std::nullopt;
        day = d->first;
        scan.separator(",");
        if (!readOptionalYear(scan, year))
            return std::nullopt;
    } else {
        const auto first = scan.number();
        if (!first)
            return std::nullopt;
        if (scan.nextIsLetter()) {
            // 24 Dec 2023
            day = first->first;
            month = monthFromName(scan.word());
            if (!month || !readOptionalYear(scan, year))
                return std::nullopt;
        } else {
            const QChar sep = scan.separator("/-.");
            const auto second = sep.isNull() ? std::nullopt : scan.number();
            if (!second)
                return std::nullopt;
            std::optional<std::pair<int, int>> third;
            if (scan.separator(sep == QLatin1Char('.') ? "." : "/-") != QChar()) {
                third = scan.number();
                if (!third)
                    return std::nullopt;
            }
            if (first->second >= 3) { // year first
                if (!third)
                    return std::nullopt;
                year = fullYear(*first);
                month = second->first;
                day = third->first;
            } else if (sep == QLatin1Char('.')) {
                day = first->first;
                month = second->first;
                year = third ? fullYear(*third) : QDate::currentDate().year();
            } else {
                month = first->first;
                day = second->first;
                year = third ? fullYear(*third) : QDate::currentDate().year();
                if (month > 12 && day <= 12)
                    std::swap(month, day);
            }
            if (!year)
                return std::nullopt;
        }
    }
    if (!year)
        year = QDate::currentDate().year();
    const QDate date(*year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QTime> timePart(DateScanner &scan)
{
    const auto hour = scan.number();
    if (!hour)
        return std::nullopt;
    int h = hour->first, m = 0, s = 0;
    if (scan.separator(":") != QChar()) {
        const auto minute = scan.number();
        if (!minute)
            return std::nullopt;
        m = minute->first;
        if (scan.separator(":") != QChar()) {
            const auto second = scan.number();
            if (!second)
                return std::nullopt;
            s = second->first;
        }
    }
    if (scan.nextIsLetter()) {
        const QStringView half = scan.word();
        const bool pm = half.compare(QLatin1String("pm"), Qt::CaseInsensitive) == 0;
        if (!pm && half.compare(QLatin1String("am"), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        if (h < 1 || h > 12)
            return std::nullopt;
        h = (h % 12) + (pm ? 12 : 0);
    }
    const QTime time(h, m, s);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

} // namespace

std::optional<double> parseDateLiteral(QStringView text)
{
    DateScanner scan(text);
    if (scan.atEnd())
        return std::nullopt;
    std::optional<QDate> date;
    if (!scan.timeFollows()) {
        date = datePart(scan);
        if (!date)
            return std::nullopt;
    }
    QTime time(0, 0);
    if (!scan.atEnd()) {
        const std::optional<QTime> t = timePart(scan);
        if (!t || !scan.atEnd())
            return std::nullopt;
        time = *t;
    }
    return dateSerialFromDateTime(QDateTime(date.value_or(QDate(1899, 12, 30)), time));
}

} // namespace tilvano::script
