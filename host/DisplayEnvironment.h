#pragma once

#include <QByteArray>
#include <QString>

namespace tilvano::host {

// What the host must do about the display before the application object
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
    // The German advice printed when there is no display.
    static QString headlessAdvice();
};

} // namespace tilvano::host
