#pragma once

#include "support/PrivateDesktop.h"

#include <QString>

class QApplication;
class QImage;
class QWidget;

namespace tilvano::test {

// Once the application exists: Qt's German catalogue loaded, DejaVu Sans as the
// application's font at the size the platform chose, and the window manager
// framing windows. False, with the reason, when any of them is missing.
bool prepareDesktop(QApplication &application, QString *why);

// The window as it stands on the screen, frame and title bar included; a null
// image when it does not come on screen.
QImage grabWithFrame(QWidget &window);

// Writes a picture for people to look at into the folder named by
// TILVANO_SCREENSHOTS; returns its path, empty when it could not be written.
QString saveScreenshot(const QImage &picture, const QString &name);

// True when the picture shows drawn controls rather than one flat colour.
bool looksDrawn(const QImage &picture);

} // namespace tilvano::test

// main() for a test that looks at windows on a private desktop. A desktop that cannot be
// made ends the test at once with its reason; returning (not aborting) lets the desktop
// end its X server and window manager.
#define TILVANO_X11_TEST_MAIN(TestObject)                                                                         \
    int main(int argc, char *argv[])                                                                             \
    {                                                                                                            \
        tilvano::test::PrivateDesktop desktop;                                                                   \
        QString why;                                                                                             \
        if (!desktop.start(&why)) {                                                                              \
            qCritical("%s", qUtf8Printable(why));                                                                \
            return 1;                                                                                            \
        }                                                                                                        \
        QApplication application(argc, argv);                                                                   \
        if (!tilvano::test::prepareDesktop(application, &why)) {                                                 \
            qCritical("%s", qUtf8Printable(why));                                                                \
            return 1;                                                                                            \
        }                                                                                                        \
        TestObject test;                                                                                         \
        return QTest::qExec(&test, argc, argv);                                                                  \
    }
