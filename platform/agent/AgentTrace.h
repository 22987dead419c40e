#pragma once

#include <QString>
#include <QStringList>

namespace tilvano::agent {

// A diagnostic record of what the service was asked and what it reported: one line per
// request and per event, tab-separated (name, character id, arguments). Written only when
// The agentTraceFile diagnostic option names a file; lines are appended, so several runs can share one file.
class AgentTrace
{
public:
    // Takes the file from the diagnostic options.
    AgentTrace();
    explicit AgentTrace(const QString &path) : m_path(path) {}

    bool isEnabled() const { return !m_path.isEmpty(); }
    void record(const QString &name, const QString &characterId, const QStringList &arguments = {}) const;

private:
    QString m_path;
};

} // namespace tilvano::agent
