#include "AgentTrace.h"

#include "system/DiagnosticOptions.h"

#include <QFile>

namespace tilvano::agent {

AgentTrace::AgentTrace() : m_path(DiagnosticOptions::current().agentTraceFile) {}

void AgentTrace::record(const QString &name, const QString &characterId, const QStringList &arguments) const
{
    if (m_path.isEmpty())
        return;
    QStringList fields{name, characterId};
    for (const QString &argument : arguments) {
        // Tabs and line breaks inside a spoken text would break the one-line-per-record shape.
        QString flat = argument;
        flat.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        fields.append(flat);
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return; // diagnostics must never disturb the service
    file.write(fields.join(QLatin1Char('\t')).toUtf8() + '\n');
}

} // namespace tilvano::agent
