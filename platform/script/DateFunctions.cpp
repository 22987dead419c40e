// The date and time functions of the language's library. Dates are serials:
// days since 30 Dec 1899, the time of day as the fraction.

#include "BuiltinSupport.h"

#include <QTime>

#include <cmath>

namespace tilvano::script {

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

} // namespace

std::span<const Builtin> dateFunctions()
{
    static const Builtin functions[] = {
        {"now", 0, 0, fnNow}, {"date", 0, 0, fnDate}, {"time", 0, 0, fnTime}, {"timer", 0, 0, fnTimer},
        {"day", 1, 1, fnDay}, {"month", 1, 1, fnMonth}, {"year", 1, 1, fnYear}, {"hour", 1, 1, fnHour},
        {"minute", 1, 1, fnMinute}, {"second", 1, 1, fnSecond}, {"weekday", 1, 2, fnWeekday},
        {"dateadd", 3, 3, fnDateAdd}, {"datediff", 3, 5, fnDateDiff},
    };
    return functions;
}

} // namespace tilvano::script
