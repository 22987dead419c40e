#include "system/DiagnosticOptions.h"

#include "system/ServiceRegistry.h"

#include <memory>

namespace tilvano {

namespace {

class FixedDiagnosticOptions final : public DiagnosticOptions {
public:
    explicit FixedDiagnosticOptions(Values values) : m_values(std::move(values)) {}
    Values values() const override { return m_values; }

private:
    Values m_values;
};

} // namespace

DiagnosticOptions::Values DiagnosticOptions::current()
{
    return ServiceRegistry::get<DiagnosticOptions>([] { return std::make_unique<FixedDiagnosticOptions>(Values{}); })
        .values();
}

void DiagnosticOptions::install(const Values &values)
{
    ServiceRegistry::installDefault<DiagnosticOptions>([values] { return std::make_unique<FixedDiagnosticOptions>(values); });
}

DiagnosticOptions::Values DiagnosticOptions::fromEnvironment(const QProcessEnvironment &environment)
{
    Values values;
    values.silentAudio = environment.value(QStringLiteral("TILVANO_AUDIO")) == QLatin1String("silent");
    values.agentTraceFile = environment.value(QStringLiteral("TILVANO_AGENT_TRACE"));
    values.xmppTrace = environment.contains(QStringLiteral("TILVANO_XMPP_TRACE"));
    values.pagesDir = environment.value(QStringLiteral("TILVANO_PAGES_DIR"));
    return values;
}

} // namespace tilvano
