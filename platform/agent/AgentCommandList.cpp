#include "AgentCommandList.h"

#include "AgentCodes.h"

namespace tilvano::agent {

namespace {
ErrorInfo failure(qint32 number, const QString &description)
{
    return ErrorInfo{number, QStringLiteral("AgentCommands"), description, 0};
}
} // namespace

qsizetype AgentCommandList::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

ErrorInfo AgentCommandList::add(const QString &name, const QString &caption, const QString &voice, bool enabled,
                                bool visible)
{
    if (name.isEmpty())
        return failure(AgentErrorInvalidArgument, QStringLiteral("Ein Befehl braucht einen Namen."));
    if (indexOf(name) >= 0)
        return failure(AgentErrorCommandExists, QStringLiteral("Den Befehl \"%1\" gibt es schon.").arg(name));
    m_entries.append(AgentCommandEntry{name, caption, voice, enabled, visible});
    return {};
}

ErrorInfo AgentCommandList::remove(const QString &name)
{
    const qsizetype index = indexOf(name);
    if (index < 0)
        return failure(AgentErrorUnknownCommand, QStringLiteral("Einen Befehl \"%1\" gibt es nicht.").arg(name));
    m_entries.removeAt(index);
    return {};
}

void AgentCommandList::removeAll() { m_entries.clear(); }

std::optional<AgentCommandEntry> AgentCommandList::entry(const QString &name) const
{
    const qsizetype index = indexOf(name);
    if (index < 0)
        return std::nullopt;
    return m_entries.at(index);
}

} // namespace tilvano::agent
