#pragma once

#include <QByteArray>
#include <QString>

namespace tilvano {

// What a program must do about the display before its application object
// exists: Qt aborts on a machine without a display, and under Wayland a
// client may not place its own windows, which a walking character needs.
struct DisplayChoice {
    enum class Outcome { Run, NoDisplay };
    Outcome outcome = Outcome::Run;
    // The platform plugin to choose before starting Qt; empty: leave it to Qt.
    QByteArray platformToSet;
    // On Wayland without XWayland the compositor places every window, so the
    // character shows but cannot walk to a place.
    bool charactersCannotWalk = false;
};

class DisplayEnvironment {
public:
    // Decides from the values of QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY.
    static DisplayChoice choose(const QByteArray &qpaPlatform, const QByteArray &display,
                                const QByteArray &waylandDisplay);
    // Decides from the process environment and sets the chosen platform there.
    // Where characters cannot walk, the user is told so once (see
    // tellOnceThatWalkingNeedsXWayland) when the application object exists.
    static DisplayChoice applyToProcess();
    // The German advice printed when there is no display: name as the
    // sentence calls the program, command as it is started.
    static QString headlessAdvice(const QString &name, const QString &command);

    // Tells the user, on standard error and in a notice box, that walking to a
    // place needs XWayland. Only once per user: the settings remember it, and
    // a desktop that lacks XWayland today lacks it at every start.
    // Returns whether it told now.
    static bool tellOnceThatWalkingNeedsXWayland();
    static QString walkingNeedsXWaylandText();

    // Lets the desktop match the program's windows to its desktop entry (the
    // Wayland app id) and gives them the companion's icon. Call after the
    // application object exists.
    static void introduceToDesktop(const QString &desktopEntryId);
};

} // namespace tilvano
