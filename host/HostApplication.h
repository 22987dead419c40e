#pragma once

#include <QObject>

#include <memory>

namespace tilvano {
class Agent;
class AgentControlFactory;
class DialogService;
}
namespace tilvano::agent {
class CharacterServer;
}

namespace tilvano::host {

class AgentDBusAdaptor;
class CharacterServerBus;
class DialogGate;
class SettingsPages;
class SettingsWindow;
class TrayIcon;

// The running host: owns the session's character server and its own
// character (Kibo), its tray icon and its place on the session bus, where
// other programs find the character server too.
//
// Start-up order matters: everyone who may change an event's text (the
// settings pages, once they are loaded here) subscribes to Kibo's events
// before the bus export does, so that bus clients see the final text.
class HostApplication : public QObject {
    Q_OBJECT
public:
    HostApplication();
    ~HostApplication() override;

    // Prepares the user's settings, creates the character and shows it,
    // offers the tray menu and exports the character on the bus. A missing
    // bus is reported on stderr and the character runs on without it.
    void start();

    // Writes StoredValues\InstallPath when the user has none yet: readers
    // such as the log writer depend on it, and nothing else sets it.
    static void ensureInstallPath();
    // Writes StoredValues\MacroEditor when the user has none yet: the
    // character's menu and the macro picker start the editor through it, and
    // the editor writes it only when it closes.
    static void ensureMacroEditor();

    // The end of the run: the good-bye macro, then each page's closing
    // prompt and teardown. Runs once; the destructor calls it too.
    void shutdown();

    // True once the run was asked to end; the event loop may then be left
    // before it was ever entered.
    bool isEnding() const { return m_ending; }

    Agent *agent() const { return m_agent.get(); }
    TrayIcon *trayIcon() const { return m_tray.get(); }
    SettingsPages *settingsPages() const { return m_pages.get(); }
    SettingsWindow *settingsWindow() const { return m_settingsWindow.get(); }

public slots:
    // Another start of the program asked us to come forward.
    void bringToFront();
    void showReadTextWindow();
    void startMacroEditor();
    void showSettingsWindow();
    // The user chose to end the program: leave every event loop, the main
    // one and those of open boxes. Unlike QCoreApplication::quit, no window
    // can refuse it.
    void quit();
    // The session ends (SIGTERM at logout, for example): as quit, and nobody
    // is asked anything from now on. What the end saves is still saved; a box
    // on the way answers with its default button.
    void endSession();

private:
    // The character server, with this program as its first client; none when
    // an embedding test has set up a character service of its own.
    void startCharacterServer();
    void createTrayIcon();
    // Creates, connects and starts the settings pages. Returns the number of
    // working pages; without any the tray's settings entry stays disabled.
    int loadSettingsPages();
    void runGoodbyeMacro();
    void exportOnBus();

    void installDialogGate();

    std::unique_ptr<DialogGate> m_dialogGate;
    DialogService *m_dialogsBefore = nullptr;
    std::unique_ptr<agent::CharacterServer> m_characterServer;
    std::unique_ptr<AgentControlFactory> m_clientFactory; // hands out clients of m_characterServer
    std::unique_ptr<CharacterServerBus> m_characterServerBus;
    std::unique_ptr<Agent> m_agent;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<SettingsPages> m_pages;
    std::unique_ptr<TrayIcon> m_tray;
    AgentDBusAdaptor *m_busFace = nullptr; // a child of the agent
    bool m_exported = false;
    bool m_shutDown = false;
    bool m_ending = false;
};

} // namespace tilvano::host
