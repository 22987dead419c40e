#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

namespace tilvano::test {

// An X display of the test's own (Xvfb, with the display number it picks itself) and a real
// window manager on it (openbox), for what only a desktop shows: window frames, placement.
// Made before the QGuiApplication: start() points DISPLAY at it and makes Qt use X11.
// A missing Xvfb or openbox fails start() with a message, never silently.
class PrivateDesktop
{
public:
    PrivateDesktop() = default;
    ~PrivateDesktop();
    PrivateDesktop(const PrivateDesktop &) = delete;
    PrivateDesktop &operator=(const PrivateDesktop &) = delete;

    bool start(QString *error);
    void stop();
    QString display() const { return m_display; }

private:
    QTemporaryDir m_home; // openbox's configuration and cache go here
    QString m_display;
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
};

} // namespace tilvano::test
