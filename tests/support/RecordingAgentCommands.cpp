#include "support/RecordingAgentCommands.h"

#include "platform/agent/AgentCodes.h"

#include <algorithm>

namespace tilvano::test {

namespace {
QString flag(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

ErrorInfo failure(qint32 code, const QString &description)
{
    return ErrorInfo{code, QStringLiteral("Agent.Control"), description, 0};
}
} // namespace

RecordingAgentCommands::RecordingAgentCommands(const QString &characterId, QStringList *log, QObject *parent)
    : AgentCommands(parent), m_characterId(characterId), m_log(log)
{
}

void RecordingAgentCommands::record(const QString &call)
{
    m_log->append(m_characterId + QStringLiteral(".Commands.") + call);
}

void RecordingAgentCommands::setCaption(const QString &caption)
{
    record(QStringLiteral("Caption=") + caption);
    m_caption = caption;
}

ErrorInfo RecordingAgentCommands::add(const QString &name, const QString &caption, const QString &voice,
                                      bool enabled, bool visible)
{
    record(QStringLiteral("Add(%1, %2, %3, %4, %5)").arg(name, caption, voice, flag(enabled), flag(visible)));
    if (m_addFailure != 0)
        return failure(m_addFailure, QStringLiteral("Der Befehl konnte nicht hinzugefügt werden."));
    if (name.isEmpty())
        return failure(agent::AgentErrorInvalidArgument, QStringLiteral("Ein Befehl braucht einen Namen."));
    if (names().contains(name, Qt::CaseInsensitive))
        return failure(agent::AgentErrorCommandExists, QStringLiteral("Den Befehl \"%1\" gibt es schon.").arg(name));
    m_entries.append({name, caption, voice, enabled, visible});
    return {};
}

ErrorInfo RecordingAgentCommands::remove(const QString &name)
{
    record(QStringLiteral("Remove(%1)").arg(name));
    const auto found = std::find_if(m_entries.cbegin(), m_entries.cend(), [&name](const Entry &entry) {
        return entry.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (found == m_entries.cend())
        return failure(agent::AgentErrorUnknownCommand, QStringLiteral("Einen Befehl \"%1\" gibt es nicht.").arg(name));
    m_entries.erase(found);
    return {};
}

void RecordingAgentCommands::removeAll()
{
    record(QStringLiteral("RemoveAll"));
    m_entries.clear();
}

void RecordingAgentCommands::setDefaultCommand(const QString &name)
{
    record(QStringLiteral("DefaultCommand=") + name);
    m_defaultCommand = name;
}

QStringList RecordingAgentCommands::names() const
{
    QStringList result;
    for (const Entry &entry : m_entries)
        result.append(entry.name);
    return result;
}

} // namespace tilvano::test
