#include "host/TrayIcon.h"

#include "system/InstallLayout.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace tilvano::host {

namespace {

// A small drawn face, for a tree built without the character and its icons.
QIcon drawnIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 90), 2));
    painter.setBrush(QColor(90, 110, 200));
    painter.drawEllipse(2, 2, 28, 28);
    painter.setBrush(Qt::white);
    painter.drawEllipse(9, 10, 5, 6);
    painter.drawEllipse(18, 10, 5, 6);
    painter.drawArc(9, 14, 14, 10, 200 * 16, 140 * 16);
    return QIcon(pixmap);
}

} // namespace

TrayIcon::TrayIcon(QObject *parent) : QObject(parent), m_menu(std::make_unique<QMenu>())
{
    m_menu->setToolTipsVisible(true); // the disabled settings entry explains itself
    const auto entry = [this](const QString &caption, void (TrayIcon::*request)()) {
        QAction *action = m_menu->addAction(caption);
        connect(action, &QAction::triggered, this, request);
        return action;
    };
    m_readText = entry(QStringLiteral("Text sprechen"), &TrayIcon::readTextRequested);
    m_editor = entry(QStringLiteral("Ablaufwerk"), &TrayIcon::editorRequested);
    m_settings = entry(QStringLiteral("Einstellungen..."), &TrayIcon::settingsRequested);
    m_menu->addSeparator();
    m_quit = entry(QStringLiteral("Beenden"), &TrayIcon::quitRequested);
    setSettingsPagesAvailable(false);
}

TrayIcon::~TrayIcon()
{
    if (m_icon)
        m_icon->hide();
}

void TrayIcon::show()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    if (!m_icon) {
        // The same icon as the menu's launcher, drawn from the character.
        const QIcon icon = InstallLayout::applicationIcon();
        m_icon = new QSystemTrayIcon(icon.isNull() ? drawnIcon() : icon, this);
        m_icon->setToolTip(QStringLiteral("Tilvano"));
        m_icon->setContextMenu(m_menu.get());
    }
    m_icon->show();
}

void TrayIcon::setSettingsPagesAvailable(bool available)
{
    m_settings->setEnabled(available);
    m_settings->setToolTip(available ? QString() : QStringLiteral("Noch keine Einstellungsseiten installiert"));
}

} // namespace tilvano::host
