#include "ErrObject.h"

namespace tilvano::script {

void ErrObject::Clear()
{
    m_number = 0;
    m_description.clear();
    m_source.clear();
}

void ErrObject::Raise(int number, const QVariant &source, const QVariant &description, const QVariant &, const QVariant &)
{
    ScriptException e{number, errorText(number), runtimeErrorSource()};
    if (source.isValid() && !source.isNull())
        e.source = source.toString();
    if (description.isValid() && !description.isNull())
        e.description = description.toString();
    if (number == 0)
        e = ScriptException{errc::InvalidCall, errorText(errc::InvalidCall), runtimeErrorSource()};
    m_raised = e;
}

void ErrObject::record(const ScriptException &e)
{
    m_number = e.number;
    m_description = e.description;
    m_source = e.source;
}

std::optional<ScriptException> ErrObject::takeRaised()
{
    std::optional<ScriptException> raised;
    raised.swap(m_raised);
    return raised;
}

} // namespace tilvano::script
