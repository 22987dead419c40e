#include "Builtins.h"

#include "ErrObject.h"
#include "Interpreter.h"
#include "Operators.h"
#include "platform/system/DialogService.h"

#include <QDateTime>
#include <QHash>
#include <QTime>

#include <climits>
#include <cmath>
#include <limits>

namespace tilvano::script {

namespace {

using Args = Value *;

// The classic code page for Chr/Asc: 0x80-0x9F differ from Latin-1.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString text(const Value &v) { return v.primitive().toString(); }

int count(const Value &v)
{
    const std::int32_t n = v.toLong();
    if (n < 0)
        raiseError(errc::InvalidCall);
    return n;
}

Qt::CaseSensitivity compareMode(Args a, int n, int index)
{
    return (n > index && a[index].toLong() == 1) ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

Value makeStringArray(const QStringList &items)
{
    ArrayRef array = ScriptArray::create({int(items.size()) - 1});
    for (qsizetype i = 0; i < items.size(); ++i)
        array->items[std::size_t(i)] = Value::string(items[i]);
    return Value::array(std::move(array));
}

const ScriptArray &arrayArgument(const Value &v)
{
    if (!v.isArray())
        raiseError(errc::TypeMismatch);
    return *v.asArray();
}

double dateSerial(const Value &v0)
{
    const Value v = v0.primitive();
    if (v.isNull())
        raiseError(errc::InvalidUseOfNull);
    if (v.isString()) {
        double d = 0;
        if (parseNumber(v.asString(), &d))
            return d;
        static const char *const formats[] = {"dd.MM.yyyy HH:mm:ss", "d.M.yyyy H:mm:ss", "d.M.yyyy", "yyyy-MM-dd HH:mm:ss",
                                              "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd", "M/d/yyyy H:mm:ss", "M/d/yyyy"};
        const QString t = v.asString().trimmed();
        for (const char *f : formats) {
            const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
            if (dt.isValid())
                return dateSerialFromDateTime(dt);
        }
        for (const char *f : {"H:mm:ss", "H:mm"}) {
            const QTime time = QTime::fromString(t, QString::fromLatin1(f));
            if (time.isValid())
                return time.msecsSinceStartOfDay() / 86400000.0;
        }
        raiseError(errc::TypeMismatch);
    }
    if (!v.isNumericKind() && !v.isEmpty())
        raiseError(errc::TypeMismatch);
    return v.isEmpty() ? 0.0 : v.asDouble();
}

QDateTime dateArgument(const Value &v) { return dateTimeFromSerial(dateSerial(v)); }

Value fromDateTime(const QDateTime &dt) { return Value::date(dateSerialFromDateTime(dt)); }

// ---- strings ----

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

// ---- conversions and numbers ----

Value fnCStr(Interpreter &, Args a, int) { return Value::string(a[0].toString()); }
Value fnCInt(Interpreter &, Args a, int) { return Value::integer(a[0].toInteger()); }
Value fnCLng(Interpreter &, Args a, int) { return Value::longValue(a[0].toLong()); }
Value fnCDbl(Interpreter &, Args a, int) { return Value::number(a[0].toDouble()); }
Value fnCBool(Interpreter &, Args a, int) { return Value::boolean(a[0].toBool()); }
Value fnCDate(Interpreter &, Args a, int) { return Value::date(dateSerial(a[0])); }

Value fnCByte(Interpreter &, Args a, int)
{
    const std::int32_t v = a[0].toLong();
    if (v < 0 || v > 255)
        raiseError(errc::Overflow);
    return Value::byte(std::uint8_t(v));
}

Value roundTowards(const Value &v0, double (*f)(double))
{
    const Value v = v0.primitive();
    if (v.isNull() || v.isIntegral())
        return v.kind() == Kind::Boolean ? Value::integer(std::int16_t(v.asInt())) : v;
    if (v.isEmpty())
        return Value::integer(0);
    if (v.kind() == Kind::Date)
        return Value::date(f(v.asDouble()));
    return Value::number(f(v.toDouble()));
}

Value fnInt(Interpreter &, Args a, int) { return roundTowards(a[0], [](double d) { return std::floor(d); }); }
Value fnFix(Interpreter &, Args a, int) { return roundTowards(a[0], [](double d) { return std::trunc(d); }); }

Value fnAbs(Interpreter &, Args a, int)
{
    const Value v = a[0].primitive();
    if (v.isNull())
        return v;
    if (v.isEmpty())
        return Value::integer(0);
    if (v.isIntegral())
        return Value::fromInteger(std::abs(std::int64_t(v.asInt())));
    return Value::number(std::fabs(v.toDouble()));
}

Value fnSgn(Interpreter &, Args a, int)
{
    if (a[0].isNull())
        return Value::null();
    const double d = a[0].toDouble();
    return Value::integer(std::int16_t(d > 0 ? 1 : (d < 0 ? -1 : 0)));
}

Value fnSqr(Interpreter &, Args a, int)
{
    const double d = a[0].toDouble();
    if (d < 0)
        raiseError(errc::InvalidCall);
    return Value::number(std::sqrt(d));
}

Value fnRound(Interpreter &, Args a, int n)
{
    if (a[0].isNull())
        return Value::null();
    const int places = n > 1 ? a[1].toLong() : 0;
    if (places < 0)
        raiseError(errc::InvalidCall);
    const Value v = a[0].primitive();
    if (v.isIntegral())
        return v;
    const double factor = std::pow(10.0, std::min(places, 15));
    const double r = std::nearbyint(v.toDouble() * factor) / factor;
    return Value::number(r);
}

Value radix(const Value &v0, int base)
{
    const Value v = v0.primitive();
    if (v.isNull())
        return Value::null();
    const std::int32_t n = v.toLong();
    const bool sixteenBits = (v.kind() == Kind::Integer || v.kind() == Kind::Byte || v.kind() == Kind::Boolean || v.isEmpty());
    const quint32 bits = sixteenBits ? quint32(quint16(n)) : quint32(n);
    return Value::string(QString::number(bits, base).toUpper());
}

Value fnHex(Interpreter &, Args a, int) { return radix(a[0], 16); }
Value fnOct(Interpreter &, Args a, int) { return radix(a[0], 8); }

// ---- inspection ----

Value fnIsNumeric(Interpreter &, Args a, int)
{
    const Value &v = a[0];
    switch (v.kind()) {
    case Kind::Empty:
    case Kind::Boolean:
    case Kind::Byte:
    case Kind::Integer:
    case Kind::Long:
    case Kind::Double: return Value::boolean(true);
    case Kind::String: {
        double d;
        return Value::boolean(parseNumber(v.asString(), &d));
    }
    default: return Value::boolean(false);
    }
}

Value fnIsEmpty(Interpreter &, Args a, int) { return Value::boolean(a[0].isEmpty()); }
Value fnIsNull(Interpreter &, Args a, int) { return Value::boolean(a[0].isNull()); }
Value fnIsArray(Interpreter &, Args a, int) { return Value::boolean(a[0].isArray()); }
Value fnIsObject(Interpreter &, Args a, int) { return Value::boolean(a[0].isObject()); }
Value fnTypeName(Interpreter &, Args a, int) { return Value::string(a[0].typeName()); }
Value fnVarType(Interpreter &, Args a, int) { return Value::integer(std::int16_t(a[0].varType())); }

Value fnIsDate(Interpreter &, Args a, int)
{
    if (a[0].kind() == Kind::Date)
        return Value::boolean(true);
    if (!a[0].isString())
        return Value::boolean(false);
    try {
        double d;
        if (parseNumber(a[0].asString(), &d))
            return Value::boolean(false);
        dateSerial(a[0]);
        return Value::boolean(true);
    } catch (const ScriptException &) {
        return Value::boolean(false);
    }
}

// ---- arrays ----

Value bound(Args a, int n, bool upper)
{
    const ScriptArray &array = arrayArgument(a[0]);
    const int dimension = n > 1 ? a[1].toLong() : 1;
    if (dimension < 1 || std::size_t(dimension) > array.upperBounds.size())
        raiseError(errc::SubscriptOutOfRange);
    return Value::longValue(upper ? array.upperBounds[std::size_t(dimension - 1)] : 0);
}

Value fnUBound(Interpreter &, Args a, int n) { return bound(a, n, true); }
Value fnLBound(Interpreter &, Args a, int n) { return bound(a, n, false); }

Value fnArray(Interpreter &, Args a, int n)
{
    ArrayRef array = ScriptArray::create({n - 1});
    for (int i = 0; i < n; ++i)
        array->items[std::size_t(i)] = a[i];
    return Value::array(std::move(array));
}

Value fnSplit(Interpreter &, Args a, int n)
{
    if (a[0].isNull())
        raiseError(errc::InvalidUseOfNull);
    const QString s = text(a[0]);
    const QString delimiter = n > 1 ? text(a[1]) : QStringLiteral(" ");
    const int limit = n > 2 ? a[2].toLong() : -1;
    if (limit < -1)
        raiseError(errc::InvalidCall);
    if (s.isEmpty() || limit == 0)
        return makeStringArray({});
    if (delimiter.isEmpty())
        return makeStringArray({s});
    const Qt::CaseSensitivity cs = compareMode(a, n, 3);
    QStringList parts;
    qsizetype pos = 0;
    for (;;) {
        if (limit > 0 && parts.size() == limit - 1)
            break;
        const qsizetype at = s.indexOf(delimiter, pos, cs);
        if (at < 0)
            break;
        parts.append(s.mid(pos, at - pos));
        pos = at + delimiter.size();
        if (parts.size() > MaximumArrayElements)
            raiseError(errc::OutOfMemory);
    }
    parts.append(s.mid(pos));
    return makeStringArray(parts);
}

Value fnJoin(Interpreter &, Args a, int n)
{
    const ScriptArray &array = arrayArgument(a[0]);
    if (array.upperBounds.size() > 1)
        raiseError(errc::SubscriptOutOfRange);
    const QString delimiter = n > 1 ? text(a[1]) : QStringLiteral(" ");
    QString out;
    for (std::size_t i = 0; i < array.items.size(); ++i) {
        if (i)
            out += delimiter;
        out += array.items[i].primitive().toStringOrEmpty();
        if (out.size() > MaximumStringLength)
            raiseError(errc::OutOfMemory);
    }
    return Value::string(out);
}

Value fnFilter(Interpreter &, Args a, int n)
{
    const ScriptArray &array = arrayArgument(a[0]);
    const QString match = text(a[1]);
    const bool include = n > 2 ? a[2].toBool() : true;
    const Qt::CaseSensitivity cs = compareMode(a, n, 3);
    QStringList kept;
    for (const Value &item : array.items) {
        const QString s = item.primitive().toStringOrEmpty();
        if (s.contains(match, cs) == include)
            kept.append(s);
    }
    return makeStringArray(kept);
}

// ---- dates and times ----

Value fnNow(Interpreter &, Args, int) { return fromDateTime(QDateTime::currentDateTime()); }
Value fnDate(Interpreter &, Args, int) { return fromDateTime(QDateTime(QDate::currentDate(), QTime(0, 0))); }

Value fnTime(Interpreter &, Args, int)
{
    return Value::date(QTime::currentTime().msecsSinceStartOfDay() / 86400000.0);
}

Value fnTimer(Interpreter &, Args, int)
{
    return Value::number(QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
}

Value nullOr(const Value &v, int (*part)(const QDateTime &))
{
    if (v.isNull())
        return Value::null();
    return Value::integer(std::int16_t(part(dateArgument(v))));
}

Value fnDay(Interpreter &, Args a, int) { return nullOr(a[0], [](const QDateTime &d) { return d.date().day(); }); }
Value fnMonth(Interpreter &, Args a, int) { return nullOr(a[0], [](const QDateTime &d) { return d.date().month(); }); }
Value fnYear(Interpreter &, Args a, int) { return nullOr(a[0], [](const QDateTime &d) { return d.date().year(); }); }
Value fnHour(Interpreter &, Args a, int) { return nullOr(a[0], [](const QDateTime &d) { return d.time().hour(); }); }
Value fnMinute(Interpreter &, Args a, int) { return nullOr(a[0], [](const QDateTime &d) { return d.time().minute(); }); }
Value fnSecond(Interpreter &, Args a, int) { return nullOr(a[0], [](const QDateTime &d) { return d.time().second(); }); }

Value fnWeekday(Interpreter &, Args a, int n)
{
    if (a[0].isNull())
        return Value::null();
    int firstDay = n > 1 ? a[1].toLong() : 1; // 1 = Sunday
    if (firstDay == 0)
        firstDay = 2; // the system's first day: Monday here
    if (firstDay < 1 || firstDay > 7)
        raiseError(errc::InvalidCall);
    const int sundayBased = dateArgument(a[0]).date().dayOfWeek() % 7 + 1; // Sunday = 1
    return Value::integer(std::int16_t((sundayBased - firstDay + 7) % 7 + 1));
}

enum class Interval { Year, Quarter, Month, Day, Week, Hour, Minute, Second };

Interval intervalOf(const Value &v)
{
    const QString s = text(v).toLower();
    if (s == QLatin1String("yyyy")) return Interval::Year;
    if (s == QLatin1String("q")) return Interval::Quarter;
    if (s == QLatin1String("m")) return Interval::Month;
    if (s == QLatin1String("d") || s == QLatin1String("y") || s == QLatin1String("w")) return Interval::Day;
    if (s == QLatin1String("ww")) return Interval::Week;
    if (s == QLatin1String("h")) return Interval::Hour;
    if (s == QLatin1String("n")) return Interval::Minute;
    if (s == QLatin1String("s")) return Interval::Second;
    raiseError(errc::InvalidCall);
}

Value fnDateAdd(Interpreter &, Args a, int)
{
    const Interval interval = intervalOf(a[0]);
    const double amount = a[1].toDouble();
    if (std::fabs(amount) > 1e8)
        raiseError(errc::InvalidCall);
    const int whole = int(std::trunc(amount));
    const QDateTime dt = dateArgument(a[2]);
    const double serial = dateSerial(a[2]);
    switch (interval) {
    case Interval::Year: return fromDateTime(dt.addYears(whole));
    case Interval::Quarter: return fromDateTime(dt.addMonths(whole * 3));
    case Interval::Month: return fromDateTime(dt.addMonths(whole));
    case Interval::Day: return Value::date(serial + whole);
    case Interval::Week: return Value::date(serial + 7.0 * whole);
    case Interval::Hour: return fromDateTime(dt.addSecs(qint64(whole) * 3600));
    case Interval::Minute: return fromDateTime(dt.addSecs(qint64(whole) * 60));
    case Interval::Second: return fromDateTime(dt.addSecs(whole));
    }
    return Value();
}

Value fnDateDiff(Interpreter &, Args a, int)
{
    const Interval interval = intervalOf(a[0]);
    const QDateTime from = dateArgument(a[1]), to = dateArgument(a[2]);
    const qint64 seconds = from.secsTo(to);
    const auto floorDiv = [](qint64 x, qint64 d) { return x / d - ((x % d != 0) && ((x < 0) != (d < 0))); };
    switch (interval) {
    case Interval::Year: return Value::longValue(to.date().year() - from.date().year());
    case Interval::Quarter:
        return Value::longValue((to.date().year() * 4 + (to.date().month() - 1) / 3) - (from.date().year() * 4 + (from.date().month() - 1) / 3));
    case Interval::Month: return Value::longValue((to.date().year() * 12 + to.date().month()) - (from.date().year() * 12 + from.date().month()));
    case Interval::Day: return Value::longValue(std::int32_t(from.date().daysTo(to.date())));
    case Interval::Week: return Value::longValue(std::int32_t(from.date().daysTo(to.date()) / 7));
    case Interval::Hour: return Value::fromInteger(floorDiv(to.toSecsSinceEpoch() / 3600 * 3600 - from.toSecsSinceEpoch() / 3600 * 3600, 3600));
    case Interval::Minute: return Value::fromInteger(floorDiv(to.toSecsSinceEpoch() / 60 * 60 - from.toSecsSinceEpoch() / 60 * 60, 60));
    case Interval::Second: return Value::fromInteger(seconds);
    }
    return Value();
}

// ---- random numbers ----

Value fnRnd(Interpreter &in, Args a, int n) { return Value::number(in.nextRandom(n > 0 ? a[0].toDouble() : 1.0)); }

Value fnRandomize(Interpreter &in, Args a, int n)
{
    in.randomize(n > 0 ? a[0].toDouble() : QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    return Value();
}

// ---- dialogs ----

DialogService &dialogs(Interpreter &in)
{
    if (!in.dialogs())
        raiseError(errc::PermissionDenied); // no place to show a box: a host without a user
    return *in.dialogs();
}

Value fnMsgBox(Interpreter &in, Args a, int n)
{
    DialogService &d = dialogs(in);
    const QString prompt = a[0].primitive().toStringOrEmpty();
    const int style = n > 1 ? a[1].toLong() : 0;
    const QString title = n > 2 ? a[2].primitive().toStringOrEmpty() : QStringLiteral("VBScript");
    const int result = d.messageBox(prompt, title, style);
    in.afterForeignCall();
    return Value::integer(std::int16_t(result));
}

Value fnInputBox(Interpreter &in, Args a, int n)
{
    DialogService &d = dialogs(in);
    const QString prompt = a[0].primitive().toStringOrEmpty();
    const QString title = n > 1 ? a[1].primitive().toStringOrEmpty() : QStringLiteral("VBScript");
    const QString preset = n > 2 ? a[2].primitive().toStringOrEmpty() : QString();
    const QString answer = d.inputBox(prompt, title, preset);
    in.afterForeignCall();
    return Value::string(answer.isNull() ? QString() : answer);
}

// ---- the language's doors to the outside, kept shut ----

Value fnCannotCreate(Interpreter &, Args, int) { raiseError(errc::CannotCreateObject); }
Value fnNotPermitted(Interpreter &, Args, int) { raiseError(errc::PermissionDenied); }

Value fnErr(Interpreter &in, Args, int) { return Value::object(in.module().err.get()); }

constexpr int Many = INT_MAX;

const Builtin builtins[] = {
    {"len", 1, 1, fnLen}, {"left", 2, 2, fnLeft}, {"right", 2, 2, fnRight}, {"mid", 2, 3, fnMid},
    {"instr", 2, 4, fnInStr}, {"instrrev", 2, 4, fnInStrRev}, {"replace", 3, 6, fnReplace},
    {"ucase", 1, 1, fnUCase}, {"lcase", 1, 1, fnLCase}, {"trim", 1, 1, fnTrim}, {"ltrim", 1, 1, fnLTrim},
    {"rtrim", 1, 1, fnRTrim}, {"space", 1, 1, fnSpace}, {"string", 2, 2, fnString},
    {"strreverse", 1, 1, fnStrReverse}, {"strcomp", 2, 3, fnStrComp}, {"cstr", 1, 1, fnCStr},
    {"cint", 1, 1, fnCInt}, {"clng", 1, 1, fnCLng}, {"cdbl", 1, 1, fnCDbl}, {"csng", 1, 1, fnCDbl},
    {"cbool", 1, 1, fnCBool}, {"cbyte", 1, 1, fnCByte}, {"cdate", 1, 1, fnCDate}, {"int", 1, 1, fnInt},
    {"fix", 1, 1, fnFix}, {"abs", 1, 1, fnAbs}, {"sgn", 1, 1, fnSgn}, {"sqr", 1, 1, fnSqr},
    {"round", 1, 2, fnRound}, {"chr", 1, 1, fnChr}, {"asc", 1, 1, fnAsc}, {"hex", 1, 1, fnHex},
    {"oct", 1, 1, fnOct}, {"isnumeric", 1, 1, fnIsNumeric}, {"isempty", 1, 1, fnIsEmpty},
    {"isnull", 1, 1, fnIsNull}, {"isarray", 1, 1, fnIsArray}, {"isobject", 1, 1, fnIsObject},
    {"isdate", 1, 1, fnIsDate}, {"ubound", 1, 2, fnUBound}, {"lbound", 1, 2, fnLBound},
    {"split", 1, 4, fnSplit}, {"join", 1, 2, fnJoin}, {"array", 0, Many, fnArray},
    {"filter", 2, 4, fnFilter}, {"typename", 1, 1, fnTypeName}, {"vartype", 1, 1, fnVarType},
    {"now", 0, 0, fnNow}, {"date", 0, 0, fnDate}, {"time", 0, 0, fnTime}, {"timer", 0, 0, fnTimer},
    {"day", 1, 1, fnDay}, {"month", 1, 1, fnMonth}, {"year", 1, 1, fnYear}, {"hour", 1, 1, fnHour},
    {"minute", 1, 1, fnMinute}, {"second", 1, 1, fnSecond}, {"weekday", 1, 2, fnWeekday},
    {"dateadd", 3, 3, fnDateAdd}, {"datediff", 3, 5, fnDateDiff}, {"rnd", 0, 1, fnRnd},
    {"randomize", 0, 1, fnRandomize}, {"msgbox", 1, 5, fnMsgBox}, {"inputbox", 1, 7, fnInputBox},
    {"createobject", 0, Many, fnCannotCreate}, {"getobject", 0, Many, fnCannotCreate},
    {"execute", 0, Many, fnNotPermitted}, {"executeglobal", 0, Many, fnNotPermitted},
    {"eval", 0, Many, fnNotPermitted}, {"getref", 0, Many, fnNotPermitted}, {"err", 0, 0, fnErr},
};

} // namespace

const Builtin *findBuiltin(const QString &lowerName)
{
    static const QHash<QString, const Builtin *> index = [] {
        QHash<QString, const Builtin *> h;
        for (const Builtin &b : builtins)
            h.insert(QString::fromLatin1(b.name), &b);
        return h;
    }();
    return index.value(lowerName, nullptr);
}

bool findBuiltinConstant(const QString &lowerName, Value *value)
{
    static const QHash<QString, Value> constants = [] {
        QHash<QString, Value> c;
        const auto str = [&](const char *name, const QString &s) { c.insert(QString::fromLatin1(name), Value::string(s)); };
        const auto num = [&](const char *name, int v) { c.insert(QString::fromLatin1(name), Value::fromInteger(v)); };
        str("vbcrlf", QStringLiteral("\r\n"));
        str("vbnewline", QStringLiteral("\r\n"));
        str("vbcr", QStringLiteral("\r"));
        str("vblf", QStringLiteral("\n"));
        str("vbtab", QStringLiteral("\t"));
        str("vbnullstring", QString());
        str("vbnullchar", QString(QChar(0)));
        str("vbformfeed", QStringLiteral("\f"));
        str("vbverticaltab", QStringLiteral("\v"));
        c.insert(QStringLiteral("vbtrue"), Value::integer(-1));
        c.insert(QStringLiteral("vbfalse"), Value::integer(0));
        num("vbusedefault", -2);
        num("vbbinarycompare", 0); num("vbtextcompare", 1);
        num("vbokonly", 0); num("vbokcancel", 1); num("vbabortretryignore", 2); num("vbyesnocancel", 3);
        num("vbyesno", 4); num("vbretrycancel", 5); num("vbcritical", 16); num("vbquestion", 32);
        num("vbexclamation", 48); num("vbinformation", 64); num("vbdefaultbutton1", 0);
        num("vbdefaultbutton2", 256); num("vbdefaultbutton3", 512); num("vbok", 1); num("vbcancel", 2);
        num("vbabort", 3); num("vbretry", 4); num("vbignore", 5); num("vbyes", 6); num("vbno", 7);
        num("vbempty", 0); num("vbnull", 1); num("vbinteger", 2); num("vblong", 3); num("vbsingle", 4);
        num("vbdouble", 5); num("vbcurrency", 6); num("vbdate", 7); num("vbstring", 8); num("vbobject", 9);
        num("vberror", 10); num("vbboolean", 11); num("vbvariant", 12); num("vbbyte", 17); num("vbarray", 8192);
        num("vbsunday", 1); num("vbmonday", 2); num("vbtuesday", 3); num("vbwednesday", 4);
        num("vbthursday", 5); num("vbfriday", 6); num("vbsaturday", 7); num("vbobjecterror", int(0x80040000));
        return c;
    }();
    const auto found = constants.constFind(lowerName);
    if (found == constants.cend())
        return false;
    *value = *found;
    return true;
}

} // namespace tilvano::script
