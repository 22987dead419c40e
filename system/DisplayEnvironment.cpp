#include "system/DisplayEnvironment.h"

#include "system/DialogService.h"
#include "system/InstallLayout.h"
#include "system/Registry.h"
#include "system/SystemServices.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

namespace tilvano {

namespace {

const QString kNoticeKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Tilvano\\Anzeige");
const QString kNoticeValue = QStringLiteral("WaylandHinweisGezeigt");

// Runs inside the constructor of the application object; the notice itself
// waits for the event loop, when the program's window is up.
void tellWhenTheEventLoopRuns()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { DisplayEnvironment::tellOnceThatWalkingNeedsXWayland(); },
        Qt::QueuedConnection);
}

} // namespace

DisplayChoice DisplayEnvironment::choose(const QByteArray &qpaPlatform, const QByteArray &display,
                                         const QByteArray &waylandDisplay)
{
    DisplayChoice choice;
    if (!qpaPlatform.trimmed().isEmpty())
        return choice; // the user chose; we respect it, even offscreen or wayland
    const bool hasX11 = !display.trimmed().isEmpty();
    const bool hasWayland = !waylandDisplay.trimmed().isEmpty();
    if (!hasX11 && !hasWayland) {
        choice.outcome = DisplayChoice::Outcome::NoDisplay;
    } else if (hasX11 && hasWayland) {
        choice.platformToSet = "xcb"; // XWayland lets the character place itself
    } else if (hasWayland) {
        // Qt's default would be xcb, which aborts without an X server.
        choice.platformToSet = "wayland";
        choice.charactersCannotWalk = true;
    }
    return choice;
}

DisplayChoice DisplayEnvironment::applyToProcess()
{
    const DisplayChoice choice
        = choose(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
    if (!choice.platformToSet.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.platformToSet);
    // Called before the application object exists; Qt runs this when it does,
    // so that every program tells without a line of its own.
    if (choice.charactersCannotWalk)
        qAddPreRoutine(tellWhenTheEventLoopRuns);
    return choice;
}

QString DisplayEnvironment::headlessAdvice(const QString &name, const QString &command)
{
    return QStringLiteral(
               "%1 braucht eine grafische Oberfläche, aber es ist keine Anzeige vorhanden\n"
               "(weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt).\n"
               "Ohne Anzeige starten Sie es so:\n"
               "  QT_QPA_PLATFORM=offscreen %2\n")
        .arg(name, command);
}

QString DisplayEnvironment::walkingNeedsXWaylandText()
{
    return QStringLiteral(
        "Diese Wayland-Sitzung bietet kein XWayland. Die Figur erscheint dort, wo die Oberfläche "
        "sie hinsetzt, und kann nicht an eine bestimmte Stelle des Bildschirms gehen.\n\n"
        "Damit die Figur gehen kann, installieren Sie XWayland (Paket xwayland) und melden sich "
        "neu an.");
}

bool DisplayEnvironment::tellOnceThatWalkingNeedsXWayland()
{
    Registry &settings = SystemServices::registry();
    if (settings.value(kNoticeKey, kNoticeValue))
        return false;
    // Remembered before it is shown: a store that cannot keep it would
    // otherwise bring the box back at every start, so then it stays on stderr.
    const bool remembered = settings.setValue(kNoticeKey, kNoticeValue, RegistryValue::fromDWord(1));
    const QString text = walkingNeedsXWaylandText();
    qWarning("%s", qPrintable(text));
    if (remembered && SystemServices::userInterfaceAvailable())
        SystemServices::dialogs().showNotice(text, QStringLiteral("Tilvano"), DialogService::Information);
    return true;
}

void DisplayEnvironment::introduceToDesktop(const QString &desktopEntryId)
{
    QGuiApplication::setDesktopFileName(desktopEntryId);
    const QIcon icon = InstallLayout::applicationIcon();
    if (!icon.isNull())
        QGuiApplication::setWindowIcon(icon);
}

} // namespace tilvano
