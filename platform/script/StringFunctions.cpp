// The string functions of the language's library.

#include "BuiltinSupport.h"

namespace tilvano::script {

namespace {

// The classic code page for Chr/Asc: 0x80-0x9F differ from Latin-1.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

Value fnLen(Interpreter &, Args a, int)
{
    if (a[0].isNull())
        return Value::null();
    return Value::longValue(std::int32_t(text(a[0]).size()));
}

Value fnLeft(Interpreter &, Args a, int)
{
    const int n = count(a[1]);
    if (a[0].isNull())
        return Value::null();
    return Value::string(text(a[0]).left(n));
}

Value fnRight(Interpreter &, Args a, int)
{
    const int n = count(a[1]);
    if (a[0].isNull())
        return Value::null();
    return Value::string(text(a[0]).right(n));
}

Value fnMid(Interpreter &, Args a, int n)
{
    const std::int32_t start = a[1].toLong();
    if (start < 1)
        raiseError(errc::InvalidCall);
    const int length = n > 2 ? count(a[2]) : -1;
    if (a[0].isNull())
        return Value::null();
    const QString s = text(a[0]);
    if (start > s.size())
        return Value::string(QString());
    return Value::string(s.mid(start - 1, length));
}

Value fnInStr(Interpreter &, Args a, int n)
{
    int start = 1;
    int first = 0;
    if (n >= 3) {
        start = a[0].toLong();
        if (start < 1)
            raiseError(errc::InvalidCall);
        first = 1;
    }
    if (a[first].isNull() || a[first + 1].isNull())
        return Value::null();
    const QString haystack = text(a[first]), needle = text(a[first + 1]);
    if (start > haystack.size())
        return Value::longValue(0);
    if (needle.isEmpty())
        return Value::longValue(start);
    return Value::longValue(std::int32_t(haystack.indexOf(needle, start - 1, compareMode(a, n, 3)) + 1));
}

Value fnInStrRev(Interpreter &, Args a, int n)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const QString haystack = text(a[0]), needle = text(a[1]);
    int start = n > 2 ? a[2].toLong() : -1;
    if (start == 0 || start < -1)
        raiseError(errc::InvalidCall);
    if (start == -1)
        start = int(haystack.size());
    if (start > haystack.size())
        return Value::longValue(0);
    if (needle.isEmpty())
        return Value::longValue(start);
    const qsizetype from = start - needle.size();
    if (from < 0)
        return Value::longValue(0);
    return Value::longValue(std::int32_t(haystack.lastIndexOf(needle, from, compareMode(a, n, 3)) + 1));
}

Value fnReplace(Interpreter &, Args a, int n)
{
    if (a[0].isNull() || a[1].isNull() || a[2].isNull())
        return Value::null();
    const QString source = text(a[0]), find = text(a[1]), replacement = text(a[2]);
    const int start = n > 3 ? a[3].toLong() : 1;
    int limit = n > 4 ? a[4].toLong() : -1;
    if (start < 1 || limit < -1)
        raiseError(errc::InvalidCall);
    const Qt::CaseSensitivity cs = compareMode(a, n, 5);
    // The result starts at "start", as the language defines it.
    QString s = source.mid(start - 1);
    if (find.isEmpty() || limit == 0)
        return Value::string(s);
    // Refuse an oversized result before building any of it.
    const qsizetype matches = std::min<qsizetype>(s.count(find, cs), limit < 0 ? std::numeric_limits<qsizetype>::max() : limit);
    if (s.size() + matches * (replacement.size() - find.size()) > MaximumStringLength)
        raiseError(errc::OutOfMemory);
    QString out;
    qsizetype pos = 0;
    for (;;) {
        if (limit == 0)
            break;
        const qsizetype at = s.indexOf(find, pos, cs);
        if (at < 0)
            break;
        out += QStringView(s).mid(pos, at - pos);
        out += replacement;
        if (out.size() > MaximumStringLength)
            raiseError(errc::OutOfMemory);
        pos = at + find.size();
        if (limit > 0)
            --limit;
    }
    out += QStringView(s).mid(pos);
    return Value::string(std::move(out));
}

Value fnUCase(Interpreter &, Args a, int) { return a[0].isNull() ? Value::null() : Value::string(text(a[0]).toUpper()); }
Value fnLCase(Interpreter &, Args a, int) { return a[0].isNull() ? Value::null() : Value::string(text(a[0]).toLower()); }

QString trimSpaces(const QString &s, bool left, bool right)
{
    qsizetype b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == QLatin1Char(' '))
            ++b;
    if (right)
        while (e > b && s[e - 1] == QLatin1Char(' '))
            --e;
    return s.mid(b, e - b);
}

Value fnTrim(Interpreter &, Args a, int) { return a[0].isNull() ? Value::null() : Value::string(trimSpaces(text(a[0]), true, true)); }
Value fnLTrim(Interpreter &, Args a, int) { return a[0].isNull() ? Value::null() : Value::string(trimSpaces(text(a[0]), true, false)); }
Value fnRTrim(Interpreter &, Args a, int) { return a[0].isNull() ? Value::null() : Value::string(trimSpaces(text(a[0]), false, true)); }

Value fnSpace(Interpreter &, Args a, int)
{
    const int n = count(a[0]);
    if (n > MaximumStringLength)
        raiseError(errc::OutOfMemory);
    return Value::string(QString(n, QLatin1Char(' ')));
}

QChar charFromCode(std::int32_t code)
{
    if (code < 0 || code > 255)
        raiseError(errc::InvalidCall);
    if (code >= 0x80 && code < 0xA0)
        return QChar(Windows1252High[code - 0x80]);
    return QChar(char16_t(code));
}

Value fnString(Interpreter &, Args a, int)
{
    const int n = count(a[0]);
    if (a[1].isNull())
        return Value::null();
    if (n > MaximumStringLength)
        raiseError(errc::OutOfMemory);
    QChar c;
    const Value v = a[1].primitive();
    if (v.isString()) {
        if (v.asString().isEmpty())
            raiseError(errc::InvalidCall);
        c = v.asString()[0];
    } else {
        c = charFromCode(v.toLong() & 0xFF);
    }
    return Value::string(QString(n, c));
}

Value fnStrReverse(Interpreter &, Args a, int)
{
    if (a[0].isNull())
        raiseError(errc::InvalidUseOfNull);
    QString s = text(a[0]);
    std::reverse(s.begin(), s.end());
    return Value::string(s);
}

Value fnStrComp(Interpreter &, Args a, int n)
{
    if (a[0].isNull() || a[1].isNull())
        return Value::null();
    const int c = QString::compare(text(a[0]), text(a[1]), compareMode(a, n, 2));
    return Value::integer(std::int16_t(c < 0 ? -1 : (c > 0 ? 1 : 0)));
}

Value fnChr(Interpreter &, Args a, int) { return Value::string(QString(charFromCode(a[0].toLong()))); }

Value fnAsc(Interpreter &, Args a, int)
{
    if (a[0].isNull())
        raiseError(errc::InvalidUseOfNull);
    const QString s = text(a[0]);
    if (s.isEmpty())
        raiseError(errc::InvalidCall);
    const char16_t c = s[0].unicode();
    for (int i = 0; i < 32; ++i)
        if (Windows1252High[i] == c)
            return Value::integer(std::int16_t(0x80 + i));
    return c < 256 ? Value::integer(std::int16_t(c)) : Value::longValue(c);
}

} // namespace

std::span<const Builtin> stringFunctions()
{
    static const Builtin functions[] = {
        {"len", 1, 1, fnLen}, {"left", 2, 2, fnLeft}, {"right", 2, 2, fnRight}, {"mid", 2, 3, fnMid},
        {"instr", 2, 4, fnInStr}, {"instrrev", 2, 4, fnInStrRev}, {"replace", 3, 6, fnReplace},
        {"ucase", 1, 1, fnUCase}, {"lcase", 1, 1, fnLCase}, {"trim", 1, 1, fnTrim}, {"ltrim", 1, 1, fnLTrim},
        {"rtrim", 1, 1, fnRTrim}, {"space", 1, 1, fnSpace}, {"string", 2, 2, fnString},
        {"strreverse", 1, 1, fnStrReverse}, {"strcomp", 2, 3, fnStrComp}, {"chr", 1, 1, fnChr}, {"asc", 1, 1, fnAsc},
    };
    return functions;
}

} // namespace tilvano::script
