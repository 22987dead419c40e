#include "support/RecordingAgentCommands.h"

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
        return failure(m_addFailure, QStringLiteral("The command could not be added."));
    if (names().contains(name))
        return failure(qint32(0x80004005u), QStringLiteral("A command of this name exists."));
    m_entries.append({name, caption, voice, enabled, visible});
    return {};
}

ErrorInfo RecordingAgentCommands::remove(const QString &name)
{
    record(QStringLiteral("Remove(%1)").arg(name));
    const qsizetype index = names().indexOf(name);
    if (index < 0)
        return failure(qint32(0x80004005u), QStringLiteral("No command of this name."));
    m_entries.removeAt(index);
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
