// Conversions between the value kinds, and the functions that inspect a value.

#include "BuiltinSupport.h"

namespace tilvano::script {

namespace {

Value fnCStr(Interpreter &, Args a, int) { return Value::string(a[0].toString()); }
Value fnCInt(Interpreter &, Args a, int) { return Value::integer(a[0].toInteger()); }
Value fnCLng(Interpreter &, Args a, int) { return Value::longValue(a[0].toLong()); }
Value fnCDbl(Interpreter &, Args a, int) { return Value::number(a[0].toDouble()); }
Value fnCBool(Interpreter &, Args a, int) { return Value::boolean(a[0].toBool()); }
Value fnCDate(Interpreter &, Args a, int) { return dateResult(dateSerial(a[0])); }

Value fnCByte(Interpreter &, Args a, int)
{
    const std::int32_t v = a[0].toLong();
    if (v < 0 || v > 255)
        raiseError(errc::Overflow);
    return Value::byte(std::uint8_t(v));
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

} // namespace

std::span<const Builtin> conversionFunctions()
{
    static const Builtin functions[] = {
        {"cstr", 1, 1, fnCStr}, {"cint", 1, 1, fnCInt}, {"clng", 1, 1, fnCLng}, {"cdbl", 1, 1, fnCDbl},
        {"csng", 1, 1, fnCDbl}, {"cbool", 1, 1, fnCBool}, {"cbyte", 1, 1, fnCByte}, {"cdate", 1, 1, fnCDate},
        {"hex", 1, 1, fnHex}, {"oct", 1, 1, fnOct}, {"isnumeric", 1, 1, fnIsNumeric}, {"isempty", 1, 1, fnIsEmpty},
        {"isnull", 1, 1, fnIsNull}, {"isarray", 1, 1, fnIsArray}, {"isobject", 1, 1, fnIsObject},
        {"isdate", 1, 1, fnIsDate}, {"typename", 1, 1, fnTypeName}, {"vartype", 1, 1, fnVarType},
    };
    return functions;
}

} // namespace tilvano::script
