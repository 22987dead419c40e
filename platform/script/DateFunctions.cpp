// The date and time functions of the language's library. Dates are serials:
// days since 30 Dec 1899, the time of day as the fraction.

#include "BuiltinSupport.h"

#include <QTime>

#include <cmath>

namespace tilvano::script {

Value dateResult(double serial)
{
    dateTimeFromSerial(serial); // raises the overflow
    return Value::date(serial);
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

namespace {

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
    case Interval::Day: return dateResult(serial + whole);
    case Interval::Week: return dateResult(serial + 7.0 * whole);
    case Interval::Hour: return fromDateTime(dt.addSecs(qint64(whole) * 3600));
    case Interval::Minute: return fromDateTime(dt.addSecs(qint64(whole) * 60));
    case Interval::Second: return fromDateTime(dt.addSecs(whole));
    }
    return Value();
}

// Whole seconds of wall-clock time since the start of the date count; time
// zones and daylight saving play no part in the language's dates.
qint64 wallSeconds(const QDateTime &dt)
{
    static const qint64 firstDay = QDate(1899, 12, 30).toJulianDay();
    return (dt.date().toJulianDay() - firstDay) * 86400 + dt.time().msecsSinceStartOfDay() / 1000;
}

qint64 floorDivide(qint64 x, qint64 d)
{
    return x / d - ((x % d != 0) && ((x < 0) != (d < 0)));
}

// DateDiff counts the boundaries of the interval passed between the dates.
Value fnDateDiff(Interpreter &, Args a, int)
{
    const Interval interval = intervalOf(a[0]);
    const QDateTime from = dateArgument(a[1]), to = dateArgument(a[2]);
    const qint64 fromSeconds = wallSeconds(from), toSeconds = wallSeconds(to);
    const QDate f = from.date(), t = to.date();
    switch (interval) {
    case Interval::Year: return Value::longValue(t.year() - f.year());
    case Interval::Quarter: return Value::longValue((t.year() * 4 + (t.month() - 1) / 3) - (f.year() * 4 + (f.month() - 1) / 3));
    case Interval::Month: return Value::longValue((t.year() * 12 + t.month()) - (f.year() * 12 + f.month()));
    case Interval::Day: return Value::longValue(std::int32_t(f.daysTo(t)));
    case Interval::Week: return Value::longValue(std::int32_t(f.daysTo(t) / 7));
    case Interval::Hour: return Value::fromInteger(floorDivide(toSeconds, 3600) - floorDivide(fromSeconds, 3600));
    case Interval::Minute: return Value::fromInteger(floorDivide(toSeconds, 60) - floorDivide(fromSeconds, 60));
    case Interval::Second: return Value::fromInteger(toSeconds - fromSeconds);
    }
    return Value();
}

// DateSerial(year, month, day): months and days outside their range roll
// over into the next or previous ones; years of two digits mean 1930-2029.
Value fnDateSerial(Interpreter &, Args a, int)
{
    int year = a[0].toInteger();
    const std::int32_t month = a[1].toInteger(), day = a[2].toInteger();
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    const QDate date = QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        raiseError(errc::InvalidCall);
    return fromDateTime(QDateTime(date, QTime(0, 0)));
}

// TimeSerial(hour, minute, second): a time of day, or more than a day.
Value fnTimeSerial(Interpreter &, Args a, int)
{
    const double seconds = double(a[0].toInteger()) * 3600 + double(a[1].toInteger()) * 60 + a[2].toInteger();
    return dateResult(seconds / 86400.0);
}

Value fnDateValue(Interpreter &, Args a, int) { return dateResult(std::floor(dateSerial(a[0]))); }

Value fnTimeValue(Interpreter &, Args a, int)
{
    const double serial = dateSerial(a[0]);
    return Value::date(serial - std::floor(serial));
}

} // namespace

std::span<const Builtin> dateFunctions()
{
    static const Builtin functions[] = {
        {"now", 0, 0, fnNow}, {"date", 0, 0, fnDate}, {"time", 0, 0, fnTime}, {"timer", 0, 0, fnTimer},
        {"day", 1, 1, fnDay}, {"month", 1, 1, fnMonth}, {"year", 1, 1, fnYear}, {"hour", 1, 1, fnHour},
        {"minute", 1, 1, fnMinute}, {"second", 1, 1, fnSecond}, {"weekday", 1, 2, fnWeekday},
        {"dateadd", 3, 3, fnDateAdd}, {"datediff", 3, 5, fnDateDiff}, {"dateserial", 3, 3, fnDateSerial},
        {"timeserial", 3, 3, fnTimeSerial}, {"datevalue", 1, 1, fnDateValue}, {"timevalue", 1, 1, fnTimeValue},
    };
    return functions;
}

} // namespace tilvano::script
