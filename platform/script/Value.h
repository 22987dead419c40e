#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace tilvano::script {

class ScriptArray;
using ArrayRef = std::shared_ptr<ScriptArray>;

// The order matches the alternatives of Value's variant.
enum class Kind : std::uint8_t { Empty, Null, Boolean, Byte, Integer, Long, Double, Date, String, Object, Array };

// One script value: a small tagged type in the way of the classic Variant.
// Arrays are shared until written (see ScriptArray::detach), so copying a value
// is cheap and arrays still behave as values.
class Value {
public:
    Value() = default;

    static Value null() { Value v; v.m_data = NullTag{}; return v; }
    static Value boolean(bool b) { Value v; v.m_data = b; return v; }
    static Value byte(std::uint8_t b) { Value v; v.m_data = b; return v; }
    static Value integer(std::int16_t i) { Value v; v.m_data = i; return v; }
    static Value longValue(std::int32_t i) { Value v; v.m_data = i; return v; }
    static Value number(double d) { Value v; v.m_data = d; return v; }
    static Value date(double serial) { Value v; v.m_data = DateTag{serial}; return v; }
    static Value string(QString s) { Value v; v.m_data = std::move(s); return v; }
    static Value object(QObject *o) { Value v; v.m_data = ObjectTag{o}; return v; }
    static Value nothing() { return object(nullptr); }
    static Value array(ArrayRef a) { Value v; v.m_data = std::move(a); return v; }
    // The narrowest integer kind that holds i, else a Double (how the language
    // widens integer results that overflow).
    static Value fromInteger(std::int64_t i);

    Kind kind() const { return Kind(m_data.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    bool isObject() const { return kind() == Kind::Object; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isString() const { return kind() == Kind::String; }
    bool isIntegral() const { Kind k = kind(); return k == Kind::Boolean || k == Kind::Byte || k == Kind::Integer || k == Kind::Long; }
    bool isNumericKind() const { Kind k = kind(); return isIntegral() || k == Kind::Double || k == Kind::Date; }

    // Raw access, valid only for the matching kind.
    bool asBool() const { return std::get<bool>(m_data); }
    std::int32_t asInt() const  // Boolean, Byte, Integer, Long
    {
        switch (kind()) {
        case Kind::Long: return *std::get_if<std::int32_t>(&m_data);
        case Kind::Integer: return *std::get_if<std::int16_t>(&m_data);
        case Kind::Byte: return *std::get_if<std::uint8_t>(&m_data);
        case Kind::Boolean: return *std::get_if<bool>(&m_data) ? -1 : 0;
        default: return 0;
        }
    }
    double asDouble() const     // any numeric kind
    {
        if (const double *d = std::get_if<double>(&m_data))
            return *d;
        if (const DateTag *t = std::get_if<DateTag>(&m_data))
            return t->serial;
        return asInt();
    }
    const QString &asString() const { return std::get<QString>(m_data); }
    QString &stringRef() { return std::get<QString>(m_data); }
    QObject *asObject() const { return std::get<ObjectTag>(m_data).object.data(); }
    const ArrayRef &asArray() const { return std::get<ArrayRef>(m_data); }
    ArrayRef &arrayRef() { return std::get<ArrayRef>(m_data); }

    // Conversions as the language does them; they raise Type mismatch, Overflow
    // or Invalid use of Null where the language does.
    double toDouble() const;
    std::int32_t toLong() const;           // rounds half to even
    std::int16_t toInteger() const;
    bool toBool() const;
    QString toString() const;              // Null raises 94
    QString toStringOrEmpty() const;       // Null reads as "" (for &)
    // Objects stand for their default property's value.
    Value primitive() const;

    QString typeName() const;
    int varType() const;

private:
    struct EmptyTag {};
    struct NullTag {};
    struct DateTag { double serial; };
    struct ObjectTag { QPointer<QObject> object; };
    std::variant<EmptyTag, NullTag, bool, std::uint8_t, std::int16_t, std::int32_t, double, DateTag,
                 QString, ObjectTag, ArrayRef> m_data;
};

// Arrays: zero-based in every dimension, as in the language. Elements lie
// with the first index changing fastest (a(0,0), a(1,0), a(0,1), ...), the
// order For Each visits them in; ReDim Preserve, which may change only the
// last dimension, then merely adds or drops elements at the end.
class ScriptArray {
public:
    std::vector<int> upperBounds; // -1 for an empty dimension
    std::vector<Value> items;
    bool fixedSize = false;       // declared with Dim a(n): ReDim refuses it

    ScriptArray() = default;
    ScriptArray(const ScriptArray &) = default;
    ScriptArray &operator=(const ScriptArray &) = default;
    // Frees nested arrays one level at a time, so that an array nested a
    // million deep ("x = Array(x)" in a loop) needs no more stack than a flat one.
    ~ScriptArray();

    static ArrayRef create(const std::vector<int> &upperBounds); // raises 7 for absurd sizes
    // Position of an element; raises 9 for a wrong index or number of indexes.
    std::size_t offsetOf(const Value *indexes, std::size_t count) const;
    // Resizes, keeping the elements whose indexes survive (ReDim Preserve).
    void resizePreserving(const std::vector<int> &newUpperBounds);
};

// Makes the array in v the only user of its storage before a write.
void detachArray(Value &v);

// Numbers inside strings, as the language reads them ("  12.5 ", "&HFF", "1e3").
bool parseNumber(const QString &text, double *result);
QString formatNumber(double d);

// Dates are day counts from 30 Dec 1899 with the time of day as fraction.
double dateSerialFromDateTime(const class QDateTime &dt);
class QDateTime dateTimeFromSerial(double serial);
QString formatDate(double serial);

// The largest string or array the engine builds; beyond it the language's
// "Out of memory" is raised instead of exhausting the machine.
constexpr qsizetype MaximumStringLength = 16 * 1024 * 1024;
constexpr qsizetype MaximumArrayElements = 4 * 1024 * 1024;

// Before building a string of `length` characters: raises "Out of memory"
// past the longest string, and charges the running script's memory budget.
void reserveString(qsizetype length);
// The same before appending `added` characters to a string of `length`: only
// what is added is charged.
void reserveAppend(qsizetype length, qsizetype added);

// Implemented by the object bridge: the value of an object's default property.
Value defaultValueOf(QObject *object);

} // namespace tilvano::script
