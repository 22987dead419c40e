#include "host/HostApplication.h"

#include "host/AgentDBusAdaptor.h"
#include "host/BusMacroQueue.h"
#include "host/BusNames.h"
#include "host/CharacterServerBus.h"
#include "host/DialogGate.h"
#include "host/SettingsPages.h"
#include "host/SettingsWindow.h"
#include "host/TrayIcon.h"

#include "AgentCtl/Agent.h"
#include "AgentCtl/MainForm.h"
#include "common/ErrorInfo.h"
#include "common/SettingsStore.h"
#include "common/mShellExecute.h"
#include "system/DialogService.h"
#include "system/InstallLayout.h"
#include "system/ServiceRegistry.h"
#include "system/SystemServices.h"

#include "platform/agent/client/WindowActivationWatcher.h"
#include "platform/agent/server/CharacterServer.h"
#include "platform/agent/server/ServerClient.h"
#include "platform/agent/AgentService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTextStream>

namespace tilvano::host {

namespace {

void warn(const QString &message)
{
    QTextStream(stderr) << "tilvano: " << message << Qt::endl;
}

void storeWhenMissing(const QString &key, const QString &value)
{
    const QString section = QStringLiteral("StoredValues");
    if (GetSetting(settingsApplication(), section, key).isEmpty())
        SaveSetting(settingsApplication(), section, key, value);
}

} // namespace

HostApplication::HostApplication() = default;

HostApplication::~HostApplication()
{
    shutdown();
    if (m_exported) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(busServiceName());
        bus.unregisterObject(busObjectPath());
    }
    m_tray.reset();
    m_pages.reset();
    m_settingsWindow.reset();
    m_agent.reset();
    // The server goes after every client: ours above, the other programs' here.
    m_characterServerBus.reset();
    if (m_characterServer) {
        ServiceRegistry::replace<AgentControlFactory>(nullptr);
        m_characterServer.reset();
    }
    if (m_dialogGate)
        ServiceRegistry::replace<DialogService>(m_dialogsBefore);
}

void HostApplication::installDialogGate()
{
    m_dialogsBefore = &SystemServices::dialogs();
    m_dialogGate = std::make_unique<DialogGate>(*m_dialogsBefore);
    ServiceRegistry::replace<DialogService>(m_dialogGate.get());
}

void HostApplication::ensureInstallPath() { storeWhenMissing(QStringLiteral("InstallPath"), InstallLayout::installPath()); }

void HostApplication::ensureMacroEditor()
{
    storeWhenMissing(QStringLiteral("MacroEditor"), InstallLayout::program(QStringLiteral("ablaufwerk")));
}

void HostApplication::start()
{
    ensureInstallPath();
    installDialogGate();
    ensureMacroEditor();
    startCharacterServer();
    // The character's own failures are told without waiting; the user's start-up macro, which
    // the pages run, keeps its boxes as they are.
    m_dialogGate->setLoadingCharacter(true);
    m_agent = std::make_unique<Agent>();
    m_agent->InitLastAgent();
    m_dialogGate->setLoadingCharacter(false);
    const int pages = loadSettingsPages();
    createTrayIcon();
    m_tray->setSettingsPagesAvailable(pages > 0);
    exportOnBus(); // last: see the class comment
}

void HostApplication::startCharacterServer()
{
    // A factory set beforehand (an embedding test) stays in charge.
    if (ServiceRegistry::isReplaced<AgentControlFactory>())
        return;
    m_characterServer = std::make_unique<agent::CharacterServer>(std::make_unique<agent::AgentService>());
    m_clientFactory = std::make_unique<AgentControlFactory>([this](QWidget *) -> std::unique_ptr<AgentControl> {
        std::unique_ptr<agent::ServerClient> client = m_characterServer->connectClient();
        // Turning to one of our windows makes the character ours again.
        auto *watcher = new agent::WindowActivationWatcher(client.get());
        connect(watcher, &agent::WindowActivationWatcher::activated, client.get(), &agent::ServerClient::activate);
        return client;
    });
    ServiceRegistry::replace<AgentControlFactory>(m_clientFactory.get());
}

int HostApplication::loadSettingsPages()
{
    m_settingsWindow = std::make_unique<SettingsWindow>();
    m_pages = std::make_unique<SettingsPages>();
    m_pages->load(SettingsPages::pagesFolder(), m_settingsWindow->pageParent());
    m_pages->start(m_agent.get());
    m_settingsWindow->showPages(*m_pages);
    return m_pages->workingPageCount();
}

void HostApplication::showSettingsWindow()
{
    if (m_settingsWindow)
        m_settingsWindow->present();
}

void HostApplication::shutdown()
{
    if (m_shutDown || !m_agent)
        return;
    m_shutDown = true;
    runGoodbyeMacro();
    if (m_settingsWindow)
        m_settingsWindow->hide();
    if (m_pages)
        m_pages->close();
}

void HostApplication::runGoodbyeMacro()
{
    const QString name = GetSetting(settingsApplication(), QStringLiteral("Misc"), QStringLiteral("MacroGoodBye"));
    if (!name.isEmpty())
        m_agent->RunMacroByName(name);
}

void HostApplication::createTrayIcon()
{
    m_tray = std::make_unique<TrayIcon>();
    connect(m_tray.get(), &TrayIcon::readTextRequested, this, &HostApplication::showReadTextWindow);
    connect(m_tray.get(), &TrayIcon::editorRequested, this, &HostApplication::startMacroEditor);
    connect(m_tray.get(), &TrayIcon::quitRequested, this, &HostApplication::quit, Qt::QueuedConnection);
    connect(m_tray.get(), &TrayIcon::settingsRequested, this, &HostApplication::showSettingsWindow);
    m_tray->show();
}

void HostApplication::exportOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        warn(QStringLiteral("Keine Verbindung zum Sitzungsbus; kibo kann Tilvano nicht erreichen."));
        return;
    }
    m_busFace = new AgentDBusAdaptor(m_agent.get(), m_dialogGate.get());
    m_busFace->relayEvents();
    if (!bus.registerObject(busObjectPath(), m_busFace, AgentDBusAdaptor::exportFlags())) {
        warn(QStringLiteral("Das Objekt %1 ließ sich nicht am Sitzungsbus anmelden.").arg(busObjectPath()));
        return;
    }
    m_exported = true;
    // Other programs' characters are ours: they must find the server once they find the name.
    if (m_characterServer) {
        m_characterServerBus = std::make_unique<CharacterServerBus>(*m_characterServer, bus);
        if (!m_characterServerBus->exportObject())
            warn(QStringLiteral("Der Figurendienst ließ sich nicht am Sitzungsbus anmelden."));
    }
    if (!bus.registerService(busServiceName()))
        warn(QStringLiteral("Der Name %1 ist am Sitzungsbus schon vergeben: %2")
                 .arg(busServiceName(), bus.lastError().message()));
}

void HostApplication::quit()
{
    m_ending = true;
    QCoreApplication::exit(0);
}

void HostApplication::endSession()
{
    if (m_dialogGate)
        m_dialogGate->closeForGood();
    if (m_busFace)
        m_busFace->macroQueue().close();
    quit();
}

void HostApplication::bringToFront()
{
    if (!m_agent)
        return;
    if (!m_agent->visible())
        m_agent->Show();
    if (MainForm *window = m_agent->readTextWindow(); window && window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
}

void HostApplication::showReadTextWindow()
{
    MainForm *window = m_agent ? m_agent->readTextWindow() : nullptr;
    if (!window)
        return; // no character service: the user was told when it failed
    window->setAgent(m_agent.get());
    window->show();
    window->raise();
    window->activateWindow();
}

void HostApplication::startMacroEditor()
{
    ErrorInfo error;
    const QString program = InstallLayout::program(QStringLiteral("ablaufwerk"));
    if (ShellOpen(program, SW_SHOWNORMAL, QString(), QString(), QStringLiteral("open"), error,
                  QStringLiteral("Tilvano")))
        return;
    SystemServices::dialogs().messageBox(
        QStringLiteral("Das Ablaufwerk konnte nicht gestartet werden:\r\n%1").arg(error.description),
        QStringLiteral("Tilvano"), DialogService::OkOnly | DialogService::Critical);
}

} // namespace tilvano::host
