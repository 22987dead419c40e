#include "system/DisplayEnvironment.h"

namespace tilvano {

DisplayChoice DisplayEnvironment::choose(const QByteArray &qpaPlatform, const QByteArray &display,
                                         const QByteArray &waylandDisplay)
{
    DisplayChoice choice;
    if (!qpaPlatform.trimmed().isEmpty())
        return choice; // the user chose; we respect it, even offscreen or wayland
    const bool hasX11 = !display.trimmed().isEmpty();
    const bool hasWayland = !waylandDisplay.trimmed().isEmpty();
    if (!hasX11 && !hasWayland)
        choice.outcome = DisplayChoice::Outcome::NoDisplay;
    else if (hasX11 && hasWayland)
        choice.platformToSet = "xcb"; // XWayland lets the character place itself
    return choice;
}

DisplayChoice DisplayEnvironment::applyToProcess()
{
    const DisplayChoice choice
        = choose(qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
    if (!choice.platformToSet.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.platformToSet);
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

} // namespace tilvano
