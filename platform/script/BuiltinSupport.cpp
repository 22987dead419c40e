#include "BuiltinSupport.h"

namespace tilvano::script {

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

} // namespace tilvano::script
