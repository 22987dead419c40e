#include "host/SettingsPages.h"

#include "plugins/PagePlugin.h"
#include "plugins/PluginPage.h"
#include "system/DiagnosticOptions.h"
#include "system/InstallLayout.h"

#include <QDir>
#include <QPluginLoader>

#include <exception>

namespace tilvano::host {

namespace {

QString describe(const ErrorInfo &error)
{
    return QStringLiteral("Fehler %1: %2").arg(error.number).arg(error.description);
}

// Pages trap their own failures; anything that still escapes one is kept as
// that page's problem so the other pages go on.
template<typename Step>
QString guarded(Step step)
{
    try {
        step();
    } catch (const std::exception &failure) {
        return QString::fromLocal8Bit(failure.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
    return {};
}

} // namespace

SettingsPages::SettingsPages() = default;

SettingsPages::~SettingsPages()
{
    close();
}

QString SettingsPages::pagesFolder()
{
    const QString override = DiagnosticOptions::current().pagesDir;
    return override.isEmpty() ? InstallLayout::pluginDir() : override;
}

int SettingsPages::load(const QString &folder, QWidget *parent)
{
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.tpx")}, QDir::Files, QDir::Name);
    int created = 0;
    for (const QString &name : files) {
        SettingsPage entry;
        entry.file = dir.filePath(name);
        auto loader = std::make_unique<QPluginLoader>(entry.file);
        auto *plugin = qobject_cast<PagePlugin *>(loader->instance());
        if (!plugin) {
            entry.problem = loader->errorString();
            if (entry.problem.isEmpty() || loader->isLoaded())
                entry.problem = QStringLiteral("Die Datei enthält keine Einstellungsseite.");
            m_pages.append(entry);
            continue;
        }
        entry.classIdentifier = plugin->classIdentifier();
        entry.libraryDescription = plugin->libraryDescription();
        entry.problem = guarded([&] { entry.page = plugin->createMain(parent); });
        if (!entry.page && entry.problem.isEmpty())
            entry.problem = QStringLiteral("Die Seite %1 ließ sich nicht anlegen.").arg(entry.classIdentifier);
        if (entry.page)
            ++created;
        m_pages.append(entry);
        m_loaders.push_back(std::move(loader));
    }
    return created;
}

void SettingsPages::start(Agent *kibo)
{
    for (SettingsPage &entry : m_pages) {
        if (!entry.page)
            continue;
        entry.problem = guarded([&] { entry.page->Init(kibo); });
        if (entry.problem.isEmpty() && entry.page->LastError().isError())
            entry.problem = describe(entry.page->LastError());
    }
    for (SettingsPage &entry : m_pages) {
        if (!entry.page)
            continue;
        bool started = true;
        const QString problem = guarded([&] { started = entry.page->PluginStart(); });
        if (!problem.isEmpty())
            entry.problem = problem;
        else if (!started && entry.problem.isEmpty())
            entry.problem = QStringLiteral("Die Seite meldet einen Fehler beim Start.");
    }
}

void SettingsPages::close()
{
    if (m_closed)
        return;
    m_closed = true;
    for (SettingsPage &entry : m_pages) {
        if (!entry.page)
            continue;
        guarded([&] { entry.page->closePage(); });
        delete entry.page.data();
    }
    // The libraries stay loaded: unloading code that Qt's meta-object
    // system may still point at (queued events, cached types) is not safe.
    m_loaders.clear();
}

int SettingsPages::workingPageCount() const
{
    int working = 0;
    for (const SettingsPage &entry : m_pages)
        working += entry.page ? 1 : 0;
    return working;
}

} // namespace tilvano::host
