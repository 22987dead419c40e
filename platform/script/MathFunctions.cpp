// The numeric functions of the language's library, random numbers included.

#include "BuiltinSupport.h"
#include "Interpreter.h"

#include <QTime>

#include <cmath>

namespace tilvano::script {

namespace {

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

Value fnRnd(Interpreter &in, Args a, int n) { return Value::number(in.nextRandom(n > 0 ? a[0].toDouble() : 1.0)); }

Value fnRandomize(Interpreter &in, Args a, int n)
{
    in.randomize(n > 0 ? a[0].toDouble() : QTime::currentTime().msecsSinceStartOfDay() / 1000.0);
    return Value();
}

} // namespace

std::span<const Builtin> mathFunctions()
{
    static const Builtin functions[] = {
        {"int", 1, 1, fnInt}, {"fix", 1, 1, fnFix}, {"abs", 1, 1, fnAbs}, {"sgn", 1, 1, fnSgn},
        {"sqr", 1, 1, fnSqr}, {"round", 1, 2, fnRound}, {"rnd", 0, 1, fnRnd}, {"randomize", 0, 1, fnRandomize},
    };
    return functions;
}

} // namespace tilvano::script
