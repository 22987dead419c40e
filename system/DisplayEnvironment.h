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
};

class DisplayEnvironment {
public:
    // Decides from the values of QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY.
    static DisplayChoice choose(const QByteArray &qpaPlatform, const QByteArray &display,
                                const QByteArray &waylandDisplay);
    // Decides from the process environment and sets the chosen platform there.
    static DisplayChoice applyToProcess();
    // The German advice printed when there is no display: name as the
    // sentence calls the program, command as it is started.
    static QString headlessAdvice(const QString &name, const QString &command);
};

} // namespace tilvano
