#include "Value.h"

#include "MemoryBudget.h"
#include "ScriptError.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <limits>

namespace tilvano::script {

Value Value::fromInteger(std::int64_t i)
{
    if (i >= std::numeric_limits<std::int16_t>::min() && i <= std::numeric_limits<std::int16_t>::max())
        return integer(std::int16_t(i));
    if (i >= std::numeric_limits<std::int32_t>::min() && i <= std::numeric_limits<std::int32_t>::max())
        return longValue(std::int32_t(i));
    return number(double(i));
}

Value Value::primitive() const
{
    if (kind() != Kind::Object)
        return *this;
    QObject *o = asObject();
    if (!o)
        raiseError(errc::ObjectNotSet);
    return defaultValueOf(o);
}

double Value::toDouble() const
{
    switch (kind()) {
    case Kind::Empty: return 0;
    case Kind::Null: raiseError(errc::InvalidUseOfNull);
    case Kind::String: {
        double d = 0;
        if (!parseNumber(asString(), &d))
            raiseError(errc::TypeMismatch);
        return d;
    }
    case Kind::Object: return primitive().toDouble();
    case Kind::Array: raiseError(errc::TypeMismatch);
    default: return asDouble();
    }
}

static double roundHalfEven(double d)
{
    return std::nearbyint(d); // the default rounding mode rounds half to even
}

std::int32_t Value::toLong() const
{
    if (kind() == Kind::Long || kind() == Kind::Integer || kind() == Kind::Byte || kind() == Kind::Boolean)
        return asInt();
    double d = roundHalfEven(toDouble());
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        raiseError(errc::Overflow);
    return std::int32_t(d);
}

std::int16_t Value::toInteger() const
{
    std::int32_t l;
    if (isIntegral()) {
        l = asInt();
    } else {
        double d = roundHalfEven(toDouble());
        if (!(d >= -32768.0 && d <= 32767.0))
            raiseError(errc::Overflow);
        l = std::int32_t(d);
    }
    if (l < -32768 || l > 32767)
        raiseError(errc::Overflow);
    return std::int16_t(l);
}

bool Value::toBool() const
{
    switch (kind()) {
    case Kind::Empty: return false;
    case Kind::Null: raiseError(errc::InvalidUseOfNull);
    case Kind::Boolean: return asBool();
    case Kind::String: {
        const QString t = asString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        double d = 0;
        if (!parseNumber(t, &d))
            raiseError(errc::TypeMismatch);
        return d != 0;
    }
    case Kind::Object: return primitive().toBool();
    case Kind::Array: raiseError(errc::TypeMismatch);
    default: return asDouble() != 0;
    }
}

QString Value::toString() const
{
    switch (kind()) {
    case Kind::Empty: return QString();
    case Kind::Null: raiseError(errc::InvalidUseOfNull);
    case Kind::Boolean: return asBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Byte:
    case Kind::Integer:
    case Kind::Long: return QString::number(asInt());
    case Kind::Double: return formatNumber(asDouble());
    case Kind::Date: return formatDate(asDouble());
    case Kind::String: return asString();
    case Kind::Object: return primitive().toString();
    case Kind::Array: raiseError(errc::TypeMismatch);
    }
    return QString();
}

QString Value::toStringOrEmpty() const
{
    return isNull() ? QString() : toString();
}

QString Value::typeName() const
{
    switch (kind()) {
    case Kind::Empty: return QStringLiteral("Empty");
    case Kind::Null: return QStringLiteral("Null");
    case Kind::Boolean: return QStringLiteral("Boolean");
    case Kind::Byte: return QStringLiteral("Byte");
    case Kind::Integer: return QStringLiteral("Integer");
    case Kind::Long: return QStringLiteral("Long");
    case Kind::Double: return QStringLiteral("Double");
    case Kind::Date: return QStringLiteral("Date");
    case Kind::String: return QStringLiteral("String");
    case Kind::Object: {
        QObject *o = asObject();
        if (!o)
            return QStringLiteral("Nothing");
        QString name = QString::fromLatin1(o->metaObject()->className());
        return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
    }
    case Kind::Array: return QStringLiteral("Variant()");
    }
    return QString();
}

int Value::varType() const
{
    static const int codes[] = {0, 1, 11, 17, 2, 3, 5, 7, 8, 9, 8204};
    return codes[int(kind())];
}

namespace {

std::size_t elementCount(const std::vector<int> &upperBounds)
{
    std::int64_t count = 1;
    for (int upper : upperBounds) {
        if (upper < -1)
            raiseError(errc::SubscriptOutOfRange);
        count *= std::int64_t(upper) + 1;
        if (count > MaximumArrayElements)
            raiseError(errc::OutOfMemory);
    }
    return std::size_t(count);
}

// Moves out the arrays that only these items hold, to be freed by the caller.
void takeSoleArrays(std::vector<Value> &items, std::vector<ArrayRef> &into)
{
    for (Value &item : items)
        if (item.isArray() && item.asArray().use_count() == 1)
            into.push_back(std::move(item.arrayRef()));
}

} // namespace

ScriptArray::~ScriptArray()
{
    std::vector<ArrayRef> pending;
    takeSoleArrays(items, pending);
    while (!pending.empty()) {
        ArrayRef array = std::move(pending.back());
        pending.pop_back();
        takeSoleArrays(array->items, pending);
        // array is freed here, holding no arrays of its own any more.
    }
}

ArrayRef ScriptArray::create(const std::vector<int> &upperBounds)
{
    const std::size_t count = elementCount(upperBounds);
    chargeMemory(count * sizeof(Value));
    auto array = std::make_shared<ScriptArray>();
    array->upperBounds = upperBounds;
    array->items.resize(count);
    return array;
}

std::size_t ScriptArray::offsetOf(const Value *indexes, std::size_t count) const
{
    if (count != upperBounds.size())
        raiseError(errc::SubscriptOutOfRange);
    std::size_t offset = 0;
    std::size_t stride = 1;
    for (std::size_t d = 0; d < count; ++d) {
        const std::int32_t i = indexes[d].toLong();
        if (i < 0 || i > upperBounds[d])
            raiseError(errc::SubscriptOutOfRange);
        offset += std::size_t(i) * stride;
        stride *= std::size_t(upperBounds[d] + 1);
    }
    return offset;
}

void ScriptArray::resizePreserving(const std::vector<int> &newUpperBounds)
{
    // Only the last dimension may change when the contents are kept.
    if (newUpperBounds.size() != upperBounds.size())
        raiseError(errc::SubscriptOutOfRange);
    for (std::size_t d = 0; d + 1 < upperBounds.size(); ++d)
        if (upperBounds[d] != newUpperBounds[d])
            raiseError(errc::SubscriptOutOfRange);
    const std::size_t count = elementCount(newUpperBounds);
    if (count > items.size())
        chargeMemory((count - items.size()) * sizeof(Value));
    if (count < items.size()) {
        // Dropped elements may hold deeply nested arrays: free them the flat way.
        ScriptArray dropped;
        dropped.items.assign(std::make_move_iterator(items.begin() + std::ptrdiff_t(count)),
                             std::make_move_iterator(items.end()));
        items.resize(count);
    } else {
        items.resize(count);
    }
    upperBounds = newUpperBounds;
}

void reserveString(qsizetype length)
{
    reserveAppend(0, length);
}

void reserveAppend(qsizetype length, qsizetype added)
{
    if (length + added > MaximumStringLength)
        raiseError(errc::OutOfMemory);
    chargeMemory(std::size_t(added) * sizeof(QChar));
}

void detachArray(Value &v)
{
    ArrayRef &a = v.arrayRef();
    if (a.use_count() > 1) {
        chargeMemory(a->items.size() * sizeof(Value));
        a = std::make_shared<ScriptArray>(*a);
    }
}

bool parseNumber(const QString &text, double *result)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    if (t.size() > 2 && t[0] == QLatin1Char('&') && (t[1] == QLatin1Char('H') || t[1] == QLatin1Char('h'))) {
        bool ok = false;
        const qint64 v = t.mid(2).toLongLong(&ok, 16);
        if (!ok || v > 0xFFFFFFFFLL)
            return false;
        *result = double(v <= 0xFFFF ? qint16(v) : qint32(quint32(v)));
        return true;
    }
    // Only plain decimal notation; toDouble alone would also take "inf" and "nan".
    for (QChar c : t)
        if (!(c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('+')
              || c == QLatin1Char('e') || c == QLatin1Char('E')))
            return false;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    *result = d;
    return true;
}

QString formatNumber(double d)
{
    if (d == std::floor(d) && std::fabs(d) < 1e15)
        return QString::number(qint64(d));
    QString s = QString::number(d, 'g', 15);
    s.replace(QLatin1Char('e'), QLatin1Char('E'));
    return s;
}

static const QDateTime &epoch()
{
    static const QDateTime e(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return e;
}

double dateSerialFromDateTime(const QDateTime &dt)
{
    // The wall-clock time counts, not the instant, as in the classic Date type.
    const QDateTime asUtc(dt.date(), dt.time(), Qt::UTC);
    return double(epoch().msecsTo(asUtc)) / 86400000.0;
}

QDateTime dateTimeFromSerial(double serial)
{
    if (!std::isfinite(serial) || serial < -657434.0 || serial > 2958465.99999)
        raiseError(errc::Overflow);
    const qint64 msecs = qint64(std::llround(serial * 86400000.0));
    const QDateTime utc = epoch().addMSecs(msecs);
    return QDateTime(utc.date(), utc.time());
}

QString formatDate(double serial)
{
    // Dates read the German way, as everything this program shows its users.
    const QDateTime dt = dateTimeFromSerial(serial);
    // The day the serials count from stands for "no date": only the time shows.
    const bool hasDate = std::floor(serial) != 0;
    const bool hasTime = serial != std::floor(serial);
    QString text;
    if (hasDate)
        text = dt.date().toString(QStringLiteral("dd.MM.yyyy"));
    if (hasTime || !hasDate) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    return text;
}

} // namespace tilvano::script
