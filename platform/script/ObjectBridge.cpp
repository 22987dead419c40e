#include "ObjectBridge.h"

#include "MemoryBudget.h"
#include "Module.h"

#include <QDateTime>
#include <QMetaMethod>
#include <QMetaProperty>

#include <limits>

namespace tilvano::script {

const MemberTable &ObjectBridge::membersOf(Interpreter &in, const QMetaObject *metaObject)
{
    auto &cache = in.module().memberTables;
    if (auto found = cache.constFind(metaObject); found != cache.cend())
        return **found;
    auto table = std::make_shared<MemberTable>();
    const int firstMethod = QObject::staticMetaObject.methodCount();
    for (int i = firstMethod; i < metaObject->methodCount(); ++i) {
        const QMetaMethod m = metaObject->method(i);
        if (m.methodType() != QMetaMethod::Method && m.methodType() != QMetaMethod::Slot)
            continue;
        if (m.access() == QMetaMethod::Private)
            continue;
        table->methods[QString::fromLatin1(m.name()).toLower()].append(i);
    }
    const int firstProperty = QObject::staticMetaObject.propertyCount();
    for (int i = firstProperty; i < metaObject->propertyCount(); ++i)
        table->properties.insert(QString::fromLatin1(metaObject->property(i).name()).toLower(), i);
    cache.insert(metaObject, table);
    return *table;
}

Value ObjectBridge::get(Interpreter &in, QObject *object, const QString &lowerName, bool hasArguments, ArgumentList &arguments)
{
    const QMetaObject *mo = object->metaObject();
    const MemberTable &members = membersOf(in, mo);
    const int propertyIndex = members.properties.value(lowerName, -1);
    if (propertyIndex >= 0 && arguments.isEmpty()) {
        const QMetaProperty property = mo->property(propertyIndex);
        if (!property.isReadable())
            raiseError(errc::MemberNotSupported);
        const QVariant v = property.read(object);
        in.afterForeignCall();
        return fromVariant(v);
    }
    const auto methods = members.methods.constFind(lowerName);
    if (methods == members.methods.cend())
        raiseError(propertyIndex >= 0 ? errc::WrongArgumentCount : errc::MemberNotSupported);
    Q_UNUSED(hasArguments);
    // An overload for exactly these arguments first, then one that gathers them.
    for (int index : *methods) {
        const QMetaMethod m = mo->method(index);
        if (m.parameterCount() == arguments.size() && !takesParamArray(m))
            return invoke(in, object, m, arguments);
    }
    for (int index : *methods) {
        const QMetaMethod m = mo->method(index);
        if (takesParamArray(m) && arguments.size() >= m.parameterCount() - 1)
            return invoke(in, object, m, arguments);
    }
    raiseError(errc::WrongArgumentCount);
}

void ObjectBridge::set(Interpreter &in, QObject *object, const QString &lowerName, const Value &value)
{
    const QMetaObject *mo = object->metaObject();
    const MemberTable &members = membersOf(in, mo);
    const int propertyIndex = members.properties.value(lowerName, -1);
    if (propertyIndex < 0)
        raiseError(errc::MemberNotSupported);
    const QMetaProperty property = mo->property(propertyIndex);
    if (!property.isWritable())
        raiseError(errc::WrongArgumentCount);
    const QVariant v = toVariant(value, property.metaType());
    if (!property.write(object, v))
        raiseError(errc::TypeMismatch);
    in.afterForeignCall();
}

static QMetaType parameterType(const QMetaMethod &m, int i)
{
    QMetaType t = m.parameterMetaType(i);
    if (!t.isValid()) {
        QByteArray name = m.parameterTypeName(i);
        if (name.endsWith('&'))
            name.chop(1);
        t = QMetaType::fromName(name);
    }
    return t;
}

bool ObjectBridge::takesParamArray(const QMetaMethod &method)
{
    const int count = method.parameterCount();
    return count > 0 && qstrcmp(method.tag(), "TILVANO_PARAM_ARRAY") == 0
        && method.parameterMetaType(count - 1).id() == QMetaType::QVariantList;
}

Value ObjectBridge::invoke(Interpreter &in, QObject *object, const QMetaMethod &method, ArgumentList &arguments)
{
    const int count = method.parameterCount();
    QVarLengthArray<QVariant, 8> storage(count + 1);
    QVarLengthArray<void *, 8> argv(count + 1);
    std::fill(argv.begin(), argv.end(), nullptr);
    const bool gathers = takesParamArray(method);
    const int fixed = gathers ? count - 1 : count;
    if (gathers) {
        QVariantList rest;
        for (qsizetype i = fixed; i < arguments.size(); ++i)
            rest.append(naturalVariant(arguments[i].value));
        storage[count] = rest;
        argv[std::size_t(count)] = storage[count].data();
    }
    for (int i = 0; i < fixed; ++i) {
        const QMetaType type = parameterType(method, i);
        if (!type.isValid())
            raiseError(458, QStringLiteral("Variable uses an Automation type not supported in VBScript"));
        storage[i + 1] = toVariant(arguments[i].value, type);
        QVariant &slot = storage[i + 1];
        argv[std::size_t(i) + 1] = type.id() == QMetaType::QVariant ? static_cast<void *>(&slot) : slot.data();
    }
    const QMetaType returnType = method.returnMetaType();
    QVariant &result = storage[0];
    if (returnType.isValid() && returnType.id() != QMetaType::Void) {
        if (returnType.id() == QMetaType::QVariant) {
            argv[0] = &result;
        } else {
            result = QVariant(returnType);
            argv[0] = result.data();
        }
    }
    QMetaObject::metacall(object, QMetaObject::InvokeMetaMethod, method.methodIndex(), argv.data());
    // Written back before anything else: the caller's variables outlive a reset.
    for (int i = 0; i < fixed; ++i) {
        if (arguments[i].reference && method.parameterTypeName(i).endsWith('&'))
            *arguments[i].reference = fromVariant(storage[i + 1]);
    }
    in.afterForeignCall();
    return fromVariant(result);
}

QVariant ObjectBridge::naturalVariant(const Value &value, int depth)
{
    constexpr int MaximumNesting = 64;
    switch (value.kind()) {
    case Kind::Empty:
    case Kind::Null: return QVariant();
    case Kind::Boolean: return value.asBool();
    case Kind::Byte:
    case Kind::Integer:
    case Kind::Long: return value.asInt();
    case Kind::Double: return value.asDouble();
    case Kind::Date: return dateTimeFromSerial(value.asDouble());
    case Kind::String: return value.asString();
    case Kind::Object: return QVariant::fromValue(value.asObject());
    case Kind::Array: {
        if (depth >= MaximumNesting)
            raiseError(errc::OutOfStack);
        QVariantList list;
        for (const Value &item : value.asArray()->items)
            list.append(naturalVariant(item, depth + 1));
        return list;
    }
    }
    return QVariant();
}

QVariant ObjectBridge::toVariant(const Value &value, QMetaType type)
{
    switch (type.id()) {
    case QMetaType::QVariant: return naturalVariant(value);
    case QMetaType::QString: return value.toString();
    case QMetaType::Int: return int(value.toLong());
    case QMetaType::Short: return QVariant::fromValue(short(value.toInteger()));
    case QMetaType::Bool: return value.toBool();
    case QMetaType::Double: return value.toDouble();
    case QMetaType::Float: return QVariant::fromValue(float(value.toDouble()));
    case QMetaType::LongLong: {
        const double d = value.toDouble();
        if (!(d >= -9.2e18 && d <= 9.2e18))
            raiseError(errc::Overflow);
        return QVariant::fromValue(qlonglong(d));
    }
    case QMetaType::UInt: {
        const double d = value.toDouble();
        if (!(d >= 0 && d <= 4294967295.0))
            raiseError(errc::Overflow);
        return QVariant::fromValue(uint(d));
    }
    case QMetaType::QDateTime: return dateTimeFromSerial(value.toDouble());
    default: break;
    }
    if (type.flags() & QMetaType::PointerToQObject) {
        if (!value.isObject())
            raiseError(errc::TypeMismatch);
        QObject *o = value.asObject();
        if (o && type.metaObject() && !o->metaObject()->inherits(type.metaObject()))
            raiseError(errc::TypeMismatch);
        return QVariant(type, &o);
    }
    QVariant natural = naturalVariant(value.isObject() ? value.primitive() : value);
    if (!natural.isValid())
        return QVariant(type);
    if (!natural.convert(type))
        raiseError(errc::TypeMismatch);
    return natural;
}

Value ObjectBridge::fromVariant(const QVariant &v)
{
    if (!v.isValid())
        return Value();
    const QMetaType type = v.metaType();
    switch (type.id()) {
    case QMetaType::Bool: return Value::boolean(v.toBool());
    case QMetaType::UChar: return Value::byte(std::uint8_t(v.toUInt()));
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char: return Value::integer(std::int16_t(v.toInt()));
    case QMetaType::Int:
    case QMetaType::UShort: return Value::longValue(v.toInt());
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const double d = v.toDouble();
        if (d >= std::numeric_limits<std::int32_t>::min() && d <= std::numeric_limits<std::int32_t>::max())
            return Value::longValue(std::int32_t(d));
        return Value::number(d);
    }
    case QMetaType::Float:
    case QMetaType::Double: return Value::number(v.toDouble());
    case QMetaType::QString:
        chargeMemory(std::size_t(v.toString().size()) * sizeof(QChar));
        return Value::string(v.toString());
    case QMetaType::QChar: return Value::string(QString(v.toChar()));
    case QMetaType::QByteArray: return Value::string(QString::fromUtf8(v.toByteArray()));
    case QMetaType::QDateTime: return Value::date(dateSerialFromDateTime(v.toDateTime()));
    case QMetaType::QDate: return Value::date(dateSerialFromDateTime(v.toDate().startOfDay()));
    case QMetaType::Nullptr: return Value::null();
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        const QVariantList list = v.toList();
        ArrayRef array = ScriptArray::create({int(list.size()) - 1});
        for (qsizetype i = 0; i < list.size(); ++i)
            array->items[std::size_t(i)] = fromVariant(list[i]);
        return Value::array(std::move(array));
    }
    default: break;
    }
    if (type.flags() & QMetaType::PointerToQObject)
        return Value::object(*static_cast<QObject *const *>(v.constData()));
    if (v.canConvert<QString>())
        return Value::string(v.toString());
    return Value();
}

Value defaultValueOf(QObject *object)
{
    const QMetaObject *mo = object->metaObject();
    const int info = mo->indexOfClassInfo("DefaultProperty");
    if (info >= 0) {
        const int index = mo->indexOfProperty(mo->classInfo(info).value());
        if (index >= 0)
            return ObjectBridge::fromVariant(mo->property(index).read(object));
    }
    raiseError(errc::MemberNotSupported);
}

} // namespace tilvano::script
