// The functions that make, measure and take apart arrays.

#include "BuiltinSupport.h"

namespace tilvano::script {

namespace {

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

} // namespace

std::span<const Builtin> arrayFunctions()
{
    static const Builtin functions[] = {
        {"ubound", 1, 2, fnUBound}, {"lbound", 1, 2, fnLBound}, {"array", 0, ManyArguments, fnArray},
        {"split", 1, 4, fnSplit}, {"join", 1, 2, fnJoin}, {"filter", 2, 4, fnFilter},
    };
    return functions;
}

} // namespace tilvano::script
