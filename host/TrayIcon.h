#pragma once

#include <QObject>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace tilvano::host {

// The host's entry in the panel's notification area and its menu. It only
// reports what the user chose; the host decides what happens.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);
    ~TrayIcon() override;

    // Shows the icon where the desktop has a notification area; the menu
    // exists either way.
    void show();
    // The settings entry can only be chosen when there are pages to show.
    void setSettingsPagesAvailable(bool available);

    QMenu *menu() const { return m_menu.get(); }
    QAction *readTextAction() const { return m_readText; }
    QAction *editorAction() const { return m_editor; }
    QAction *settingsAction() const { return m_settings; }
    QAction *quitAction() const { return m_quit; }

signals:
    void readTextRequested();
    void editorRequested();
    void settingsRequested();
    void quitRequested();

private:
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_icon = nullptr;
    QAction *m_readText = nullptr;
    QAction *m_editor = nullptr;
    QAction *m_settings = nullptr;
    QAction *m_quit = nullptr;
};

} // namespace tilvano::host
