#include "support/IsolatedHome.h"

#include <QDir>
#include <QtGlobal>

#include <memory>

#include "system/DiagnosticOptions.h"
#include "system/ServiceRegistry.h"

namespace tilvano::test {

namespace {
const char *const kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR",
                                  "XDG_CACHE_HOME"};

// Tests set the diagnostic switches in their environment (CTest's, or in the
// middle of a test), so their options follow it at every use.
class EnvironmentDiagnosticOptions final : public DiagnosticOptions {
public:
    Values values() const override { return fromEnvironment(QProcessEnvironment::systemEnvironment()); }
};
} // namespace

IsolatedHome::IsolatedHome()
{
    QDir root(m_dir.path());
    for (const char *sub : {"home", "config", "data", "runtime", "cache"})
        root.mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", root.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toUtf8());
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toUtf8());
    ServiceRegistry::reset();
    ServiceRegistry::installDefault<DiagnosticOptions>([] { return std::make_unique<EnvironmentDiagnosticOptions>(); });
}

IsolatedHome::~IsolatedHome()
{
    ServiceRegistry::reset();
    for (const char *name : kVariables)
        qunsetenv(name);
}

QString IsolatedHome::configHome() const { return m_dir.filePath(QStringLiteral("config")); }
QString IsolatedHome::dataHome() const { return m_dir.filePath(QStringLiteral("data")); }
QString IsolatedHome::runtimeDir() const { return m_dir.filePath(QStringLiteral("runtime")); }

QString fixturesDir()
{
    const QByteArray fromEnv = qgetenv("TILVANO_FIXTURES");
    if (!fromEnv.isEmpty())
        return QString::fromUtf8(fromEnv);
    return QStringLiteral(TILVANO_SOURCE_DIR_FALLBACK "/tests/fixtures");
}

} // namespace tilvano::test
