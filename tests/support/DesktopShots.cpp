#include "support/DesktopShots.h"

#include "system/GermanTranslations.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QWidget>

namespace tilvano::test {

namespace {

constexpr int kFramingTimeoutMs = 20000;

} // namespace

bool prepareDesktop(QApplication &application, QString *why)
{
    if (!GermanTranslations::install(application)) {
        *why = QStringLiteral("Qt's German catalogue is missing; the test needs Debian's package qt6-translations-l10n");
        return false;
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(QApplication::font().pointSizeF());
    QApplication::setFont(font);
    if (QFontInfo(QApplication::font()).family() != QLatin1String("DejaVu Sans")) {
        *why = QStringLiteral("DejaVu Sans is missing; the test needs Debian's package fonts-dejavu-core");
        return false;
    }

    // A window the manager has framed has a title bar above its contents.
    QWidget probe;
    probe.resize(200, 100);
    probe.show();
    if (!QTest::qWaitForWindowExposed(&probe)
        || !QTest::qWaitFor([&probe] { return probe.frameGeometry().height() > probe.height(); }, kFramingTimeoutMs)) {
        *why = QStringLiteral("openbox does not frame the windows of display %1 (platform %2)")
                   .arg(QString::fromLocal8Bit(qgetenv("DISPLAY")), QGuiApplication::platformName());
        return false;
    }
    return true;
}

QImage grabWithFrame(QWidget &window)
{
    if (!QTest::qWaitForWindowExposed(&window))
        return {};
    // The manager frames a new window a moment after it comes on screen.
    (void)QTest::qWaitFor([&window] { return window.frameGeometry() != window.geometry(); }, kFramingTimeoutMs);
    // Drawn now and handed to the server, which answers the screen's reading
    // only after what it was sent before.
    QCoreApplication::processEvents();
    window.repaint();
    const QRect frame = window.frameGeometry();
    return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
}

QString saveScreenshot(const QImage &picture, const QString &name)
{
    const QString folder = qEnvironmentVariable("TILVANO_SCREENSHOTS");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return {};
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    return picture.save(path, "PNG") ? path : QString();
}

bool looksDrawn(const QImage &picture)
{
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 5)
        for (int x = 0; x < picture.width(); x += 5)
            colours.insert(picture.pixel(x, y));
    return colours.size() > 20;
}

} // namespace tilvano::test
