#include "support/RecordingAgentControl.h"

namespace tilvano::test {

RecordingAgentControl::RecordingAgentControl(QObject *parent) : AgentControl(parent) {}

RecordingAgentControl::~RecordingAgentControl() = default;

ErrorInfo RecordingAgentControl::load(const QString &characterId, const QString &file)
{
    m_calls.append(QStringLiteral("Characters.Load(%1, %2)").arg(characterId, file));
    const qint32 code = m_loadFailures.value(file, 0);
    const bool taken = m_characters.count(characterId) != 0;
    if (code == 0 && taken)
        return ErrorInfo{AgentErrorAlreadyLoaded, QStringLiteral("Agent.Control"),
                         QStringLiteral("The character is already loaded."), 0};
    if (code == 0 || code == AgentErrorAlreadyLoaded) {
        if (!taken)
            m_characters[characterId] = std::make_unique<RecordingAgentCharacter>(characterId, m_profile, &m_calls, this);
        if (code == 0)
            return {};
    }
    const QString description = code == AgentErrorFileNotFound ? QStringLiteral("The system cannot find the file specified.")
                                                                : QStringLiteral("The character could not be loaded.");
    return ErrorInfo{code, QStringLiteral("Agent.Control"), description, 0};
}

ErrorInfo RecordingAgentControl::unload(const QString &characterId)
{
    m_calls.append(QStringLiteral("Characters.Unload(%1)").arg(characterId));
    m_characters.erase(characterId);
    return {};
}

RecordingAgentCharacter *RecordingAgentControl::character(const QString &characterId)
{
    const auto found = m_characters.find(characterId);
    return found == m_characters.end() ? nullptr : found->second.get();
}

void RecordingAgentControl::setPropertySheetVisible(bool visible)
{
    m_calls.append(QStringLiteral("PropertySheet.Visible=") + (visible ? QStringLiteral("True") : QStringLiteral("False")));
    m_propertySheetVisible = visible;
}

void RecordingAgentControl::runQueuedRequests()
{
    // A client answering an event may unload a character: look each one up afresh.
    QStringList ids;
    for (const auto &entry : m_characters)
        ids.append(entry.first);
    for (const QString &id : std::as_const(ids)) {
        if (RecordingAgentCharacter *loaded = character(id))
            loaded->runQueuedRequests();
    }
}

void RecordingAgentControl::failLoad(const QString &file, qint32 code) { m_loadFailures[file] = code; }

void RecordingAgentControl::chooseCommand(const QString &name, qint32 confidence, const QString &alt1Name,
                                          qint32 alt1Confidence)
{
    emit commandChosen(AgentUserInput{QStringLiteral("somebody"), name, confidence, alt1Name, alt1Confidence});
}

QStringList RecordingAgentControl::callsStartingWith(const QString &prefix) const
{
    QStringList result;
    for (const QString &call : m_calls)
        if (call.startsWith(prefix))
            result.append(call);
    return result;
}

} // namespace tilvano::test
