#include "Operators.h"

#include "ScriptError.h"

#include <cmath>
#include <limits>
#include <optional>

namespace tilvano::script {

namespace {

// Integer kinds ranked for widening: Boolean and Integer share a rank.
int integerRank(Kind k)
{
    switch (k) {
    case Kind::Byte: return 0;
    case Kind::Boolean:
    case Kind::Integer:
    case Kind::Empty: return 1;
    case Kind::Long: return 2;
    default: return 3;
    }
}

Value integerResult(std::int64_t r, int rank)
{
    if (rank == 0 && r >= 0 && r <= 255)
        return Value::byte(std::uint8_t(r));
    if (rank <= 1 && r >= -32768 && r <= 32767)
        return Value::integer(std::int16_t(r));
    if (r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())
        return Value::longValue(std::int32_t(r));
    return Value::number(double(r));
}

// Brings an operand to a number for arithmetic; strings must hold one.
Value numeric(const Value &v)
{
    switch (v.kind()) {
    case Kind::Empty: return Value::integer(0);
    case Kind::String: return Value::number(v.toDouble());
    case Kind::Object: return numeric(v.primitive());
    case Kind::Array: raiseError(errc::TypeMismatch);
    default: return v;
    }
}

Value checkedDouble(double d)
{
    if (!std::isfinite(d))
        raiseError(errc::Overflow);
    return Value::number(d);
}

Value arithmetic(BinaryOp op, const Value &l0, const Value &r0)
{
    const Value l = numeric(l0), r = numeric(r0);
    const bool integral = l.isIntegral() && r.isIntegral();
    const int rank = std::max(integerRank(l.kind()), integerRank(r.kind()));
    const bool isDate = (l.kind() == Kind::Date || r.kind() == Kind::Date) && (op == BinaryOp::Add || op == BinaryOp::Subtract);
    switch (op) {
    case BinaryOp::Add:
        if (integral)
            return integerResult(std::int64_t(l.asInt()) + r.asInt(), rank);
        if (isDate && !(l.kind() == Kind::Date && r.kind() == Kind::Date))
            return Value::date(l.asDouble() + r.asDouble());
        return checkedDouble(l.asDouble() + r.asDouble());
    case BinaryOp::Subtract:
        if (integral)
            return integerResult(std::int64_t(l.asInt()) - r.asInt(), rank);
        if (isDate && l.kind() == Kind::Date && r.kind() != Kind::Date)
            return Value::date(l.asDouble() - r.asDouble());
        return checkedDouble(l.asDouble() - r.asDouble());
    case BinaryOp::Multiply:
        if (integral)
            return integerResult(std::int64_t(l.asInt()) * r.asInt(), rank);
        return checkedDouble(l.asDouble() * r.asDouble());
    case BinaryOp::Divide: {
        const double divisor = r.asDouble();
        if (divisor == 0)
            raiseError(errc::DivisionByZero);
        return checkedDouble(l.asDouble() / divisor);
    }
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo: {
        const std::int64_t a = l.isIntegral() ? l.asInt() : l.toLong();
        const std::int64_t b = r.isIntegral() ? r.asInt() : r.toLong();
        if (b == 0)
            raiseError(errc::DivisionByZero);
        const int intRank = std::min(std::max(integerRank(l.kind()), integerRank(r.kind())), 2);
        return integerResult(op == BinaryOp::IntDivide ? a / b : a % b, intRank);
    }
    case BinaryOp::Power: {
        const double base = l.asDouble(), exponent = r.asDouble();
        if (base < 0 && exponent != std::floor(exponent))
            raiseError(errc::InvalidCall);
        return checkedDouble(std::pow(base, exponent));
    }
    default: break;
    }
    raiseError(errc::TypeMismatch);
}

// A logical operand as the bits it stands for: Booleans are all ones or all
// zeros, and the strings "True" and "False" count as those.
std::int32_t logicalBits(const Value &v)
{
    if (v.kind() == Kind::String) {
        const QString t = v.asString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return -1;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return 0;
    }
    return v.toLong();
}

// Null is the unknown value of three-valued logic: the result is Null unless
// the other operand settles it alone. False And Null is False, True Or Null is
// True, False Imp Null and Null Imp True are True; Not, Xor and Eqv always
// give Null. On numbers the same holds bit by bit (0 And Null is 0).
Value logicalWithNull(BinaryOp op, const Value &l, const Value &r)
{
    const bool leftIsNull = l.isNull();
    const Value &known = leftIsNull ? r : l;
    if (known.isNull())
        return Value::null();
    const std::int32_t bits = logicalBits(known);
    std::optional<std::int32_t> settled;
    switch (op) {
    case BinaryOp::And:
        if (bits == 0)
            settled = 0;
        break;
    case BinaryOp::Or:
        if (bits == -1)
            settled = -1;
        break;
    case BinaryOp::Imp:
        // ~l | r: all ones when l is all zeros, or when r is all ones.
        if ((!leftIsNull && bits == 0) || (leftIsNull && bits == -1))
            settled = -1;
        break;
    default: break;
    }
    if (!settled)
        return Value::null();
    if (known.kind() == Kind::Boolean || known.isString())
        return Value::boolean(*settled != 0);
    return integerResult(*settled, std::min(integerRank(known.kind()), 2));
}

Value logical(BinaryOp op, const Value &l0, const Value &r0)
{
    const Value l = l0.primitive(), r = r0.primitive();
    if (l.isNull() || r.isNull())
        return logicalWithNull(op, l, r);
    const bool booleans = (l.kind() == Kind::Boolean || l.isEmpty()) && (r.kind() == Kind::Boolean || r.isEmpty())
        && !(l.isEmpty() && r.isEmpty());
    const std::int32_t a = logicalBits(l), b = logicalBits(r);
    std::int32_t bits = 0;
    switch (op) {
    case BinaryOp::And: bits = a & b; break;
    case BinaryOp::Or: bits = a | b; break;
    case BinaryOp::Xor: bits = a ^ b; break;
    case BinaryOp::Eqv: bits = ~(a ^ b); break;
    case BinaryOp::Imp: bits = ~a | b; break;
    default: break;
    }
    if (booleans)
        return Value::boolean(bits != 0);
    const int rank = std::max(integerRank(l.kind()), integerRank(r.kind()));
    return integerResult(bits, std::min(rank, 2));
}

} // namespace

int compareValues(const Value &l0, const Value &r0, bool textCompare)
{
    const Value l = l0.primitive(), r = r0.primitive();
    if (l.isArray() || r.isArray())
        raiseError(errc::TypeMismatch);
    const bool lString = l.isString(), rString = r.isString();
    if (lString && rString) {
        const int c = QString::compare(l.asString(), r.asString(), textCompare ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (lString || rString) {
        const Value &other = lString ? r : l;
        if (other.isEmpty()) {
            const QString &s = lString ? l.asString() : r.asString();
            const int c = s.isEmpty() ? 0 : 1;
            return lString ? c : -c;
        }
        // A number always sorts before a string.
        return lString ? 1 : -1;
    }
    if (l.isIntegral() && r.isIntegral()) {
        const int a = l.asInt(), b = r.asInt();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    const double a = l.isEmpty() ? 0.0 : l.asDouble(), b = r.isEmpty() ? 0.0 : r.asDouble();
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool valuesEqual(const Value &left, const Value &right)
{
    if (left.isNull() || right.isNull())
        return false;
    return compareValues(left, right) == 0;
}

static Value concatenate(const Value &l, const Value &r)
{
    if (l.isNull() && r.isNull())
        return Value::null();
    QString a = l.primitive().toStringOrEmpty();
    const QString b = r.primitive().toStringOrEmpty();
    reserveString(a.size() + b.size());
    a += b;
    return Value::string(std::move(a));
}

Value applyBinary(BinaryOp op, const Value &l, const Value &r)
{
    // Fast path: two integers of the usual kinds.
    if ((l.kind() == Kind::Integer || l.kind() == Kind::Long) && (r.kind() == Kind::Integer || r.kind() == Kind::Long)) {
        const std::int64_t a = l.asInt(), b = r.asInt();
        const int rank = (l.kind() == Kind::Long || r.kind() == Kind::Long) ? 2 : 1;
        switch (op) {
        case BinaryOp::Add: return integerResult(a + b, rank);
        case BinaryOp::Subtract: return integerResult(a - b, rank);
        case BinaryOp::Multiply: return integerResult(a * b, rank);
        case BinaryOp::Modulo:
            if (b != 0)
                return integerResult(a % b, rank);
            break;
        case BinaryOp::IntDivide:
            if (b != 0)
                return integerResult(a / b, rank);
            break;
        case BinaryOp::Equal: return Value::boolean(a == b);
        case BinaryOp::NotEqual: return Value::boolean(a != b);
        case BinaryOp::Less: return Value::boolean(a < b);
        case BinaryOp::Greater: return Value::boolean(a > b);
        case BinaryOp::LessEqual: return Value::boolean(a <= b);
        case BinaryOp::GreaterEqual: return Value::boolean(a >= b);
        default: break;
        }
    }
    switch (op) {
    case BinaryOp::Concat:
        return concatenate(l, r);
    case BinaryOp::Add:
        if (l.isNull() || r.isNull())
            return Value::null();
        {
            const Value lp = l.primitive(), rp = r.primitive();
            if (lp.isString() && (rp.isString() || rp.isEmpty()))
                return concatenate(lp, rp);
            if (rp.isString() && lp.isEmpty())
                return concatenate(lp, rp);
            return arithmetic(op, lp, rp);
        }
    case BinaryOp::Subtract:
    case BinaryOp::Multiply:
    case BinaryOp::Divide:
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo:
    case BinaryOp::Power:
        if (l.isNull() || r.isNull())
            return Value::null();
        return arithmetic(op, l, r);
    case BinaryOp::Equal:
    case BinaryOp::NotEqual:
    case BinaryOp::Less:
    case BinaryOp::Greater:
    case BinaryOp::LessEqual:
    case BinaryOp::GreaterEqual: {
        if (l.isNull() || r.isNull())
            return Value::null();
        const int c = compareValues(l, r);
        switch (op) {
        case BinaryOp::Equal: return Value::boolean(c == 0);
        case BinaryOp::NotEqual: return Value::boolean(c != 0);
        case BinaryOp::Less: return Value::boolean(c < 0);
        case BinaryOp::Greater: return Value::boolean(c > 0);
        case BinaryOp::LessEqual: return Value::boolean(c <= 0);
        default: return Value::boolean(c >= 0);
        }
    }
    case BinaryOp::Is:
        if (!l.isObject() || !r.isObject())
            raiseError(errc::ObjectRequired);
        return Value::boolean(l.asObject() == r.asObject());
    case BinaryOp::And:
    case BinaryOp::Or:
    case BinaryOp::Xor:
    case BinaryOp::Eqv:
    case BinaryOp::Imp:
        return logical(op, l, r);
    }
    raiseError(errc::TypeMismatch);
}

Value negate(const Value &operand)
{
    const Value v = operand.primitive();
    switch (v.kind()) {
    case Kind::Null: return v;
    case Kind::Empty: return Value::integer(0);
    case Kind::Boolean:
    case Kind::Byte:
    case Kind::Integer: return integerResult(-std::int64_t(v.asInt()), 1);
    case Kind::Long: return integerResult(-std::int64_t(v.asInt()), 2);
    case Kind::Date: return Value::date(-v.asDouble());
    default: return Value::number(-v.toDouble());
    }
}

Value logicalNot(const Value &operand)
{
    const Value v = operand.primitive();
    switch (v.kind()) {
    case Kind::Null: return v;
    case Kind::Boolean: return Value::boolean(!v.asBool());
    case Kind::Empty: return Value::integer(-1);
    case Kind::Byte: return Value::byte(std::uint8_t(~v.asInt()));
    case Kind::Integer: return Value::integer(std::int16_t(~v.asInt()));
    case Kind::String: {
        const QString t = v.asString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return Value::boolean(false);
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return Value::boolean(true);
        return integerResult(~std::int64_t(v.toLong()), 2);
    }
    default: return integerResult(~std::int64_t(v.toLong()), 2);
    }
}

} // namespace tilvano::script
