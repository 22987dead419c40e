// The companion on the desktops people run, each of the test's own: an X desktop (Xvfb with
// openbox) where it is started from its menu entry and photographed for the AppStream page,
// Weston with XWayland, and Weston alone, where it must start on Wayland itself.

#include "system/DisplayEnvironment.h"

#include "support/DesktopShots.h"
#include "support/IsolatedHome.h"
#include "support/PrivateSessionBus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace tilvano;

namespace {

constexpr int kStartTimeoutMs = 60000;
const QString kService = QStringLiteral("org.lorvat.Tilvano");

QString buildDir() { return QCoreApplication::applicationDirPath() + QStringLiteral("/.."); }
QString program(const QString &name) { return buildDir() + QStringLiteral("/bin/") + name; }

// Asks a program to end as the session's end would, and makes sure it does.
void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
}

// The program a menu entry of the build starts: its Exec line, found on PATH as a
// menu finds it, here in the build's bin folder. Empty when the line names none.
QString menuEntryProgram(const QString &entry)
{
    QSettings file(buildDir() + QStringLiteral("/share/applications/") + entry, QSettings::IniFormat);
    const QString exec = file.value(QStringLiteral("Desktop Entry/Exec")).toString();
    if (exec.contains(QLatin1Char(' ')))
        return {}; // our entries take no arguments and no field codes
    return QStandardPaths::findExecutable(exec, {buildDir() + QStringLiteral("/bin")});
}

// A Weston compositor on the headless backend, with or without XWayland.
// Its socket lives in a runtime folder of its own, which its clients share.
class WestonSession {
public:
    ~WestonSession() { stop(); }

    bool start(bool withXWayland, QString *error)
    {
        if (!m_runtime.isValid() || !QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
            *error = QStringLiteral("no runtime folder for weston");
            return false;
        }
        QStringList arguments{QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + socketName(),
                              QStringLiteral("--idle-time=0"), QStringLiteral("--log=") + logPath()};
        if (withXWayland)
            arguments << QStringLiteral("--xwayland");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        m_weston.setProcessEnvironment(env);
        m_weston.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_weston.start(QStringLiteral("weston"), arguments);
        if (!m_weston.waitForStarted()) {
            *error = QStringLiteral("weston did not start (is the package weston installed?)");
            return false;
        }
        // Weston names the X display it chose in its log once XWayland listens.
        const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
        QDeadlineTimer deadline(kStartTimeoutMs);
        while (!deadline.hasExpired() && m_weston.state() == QProcess::Running) {
            const bool socketReady = QFile::exists(m_runtime.filePath(socketName()));
            if (withXWayland) {
                QFile log(logPath());
                if (socketReady && log.open(QIODevice::ReadOnly)) {
                    const auto match = listening.match(QString::fromUtf8(log.readAll()));
                    if (match.hasMatch()) {
                        m_xDisplay = match.captured(1);
                        return true;
                    }
                }
            } else if (socketReady) {
                return true;
            }
            m_weston.waitForFinished(50);
        }
        *error = QStringLiteral("weston did not come up%1; its log:\n%2")
                     .arg(withXWayland ? QStringLiteral(" with XWayland (is the package xwayland installed?)") : QString(),
                          QString::fromUtf8([this] {
                              QFile log(logPath());
                              return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
                          }()));
        return false;
    }

    void stop() { endProcess(m_weston); }

    // What a client of this compositor has in its environment.
    void enter(QProcessEnvironment &env) const
    {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), socketName());
        if (m_xDisplay.isEmpty())
            env.remove(QStringLiteral("DISPLAY"));
        else
            env.insert(QStringLiteral("DISPLAY"), m_xDisplay);
    }
    QString xDisplay() const { return m_xDisplay; }

private:
    static QString socketName() { return QStringLiteral("tilvano-test"); }
    QString logPath() const { return m_runtime.filePath(QStringLiteral("weston.log")); }

    QTemporaryDir m_runtime;
    QProcess m_weston;
    QString m_xDisplay;
};

// The windows with a margin, widened or heightened to 16:9 as software centres show
// screenshots, and kept on the screen.
QRect screenshotArea(const QList<QRect> &windows, const QRect &screen)
{
    QRect area;
    for (const QRect &window : windows)
        area |= window;
    area.adjust(-32, -32, 32, 32);
    if (area.width() * 9 > area.height() * 16)
        area.setHeight(area.width() * 9 / 16);
    else
        area.setWidth(area.height() * 16 / 9);
    area.moveTopLeft({std::clamp(area.left(), 0, std::max(0, screen.width() - area.width())),
                      std::clamp(area.top(), 0, std::max(0, screen.height() - area.height()))});
    return area & screen;
}

} // namespace

class DesktopSessionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void startedFromItsMenuEntryOnAnXDesktop();
    void runsThroughXWaylandUnderWeston();
    void startsOnWaylandAloneAndTellsOnce();

private:
    QProcessEnvironment environment() const;
    bool companionOnBus() const;
    bool startCompanion(const QString &executable, const QProcessEnvironment &env);
    void endCompanion();
    int kibo(const QStringList &arguments, const QProcessEnvironment &env);
    static QStringList visibleWindows(const QString &display, const QString &windowClass);
    static QRect windowGeometry(const QString &display, const QString &window);

    std::unique_ptr<test::PrivateSessionBus> m_bus;
    std::unique_ptr<test::IsolatedHome> m_home;
    QProcess m_companion;
    QByteArray m_companionErrors;
};

void DesktopSessionsTest::initTestCase()
{
    for (const char *tool : {"weston", "Xwayland", "xdotool", "xprop"})
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing; scripts/install-deps installs it").arg(QLatin1String(tool))));
    m_bus = std::make_unique<test::PrivateSessionBus>();
    QVERIFY(!m_bus->address().isEmpty());
    m_home = std::make_unique<test::IsolatedHome>();
}

void DesktopSessionsTest::cleanup() { endCompanion(); }

QProcessEnvironment DesktopSessionsTest::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
    // The display is the session's to choose, as on a user's desktop.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TILVANO_AUDIO"), QStringLiteral("silent"));
    // The single-instance socket lives in the temporary folder: keep ours apart.
    env.insert(QStringLiteral("TMPDIR"), m_home->path());
    // The window system's own libraries keep what they allocate for the process's life.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return env;
}

bool DesktopSessionsTest::companionOnBus() const
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_bus->address(), QStringLiteral("sessions"));
    return bus.isConnected() && bus.interface()->isServiceRegistered(kService);
}

bool DesktopSessionsTest::startCompanion(const QString &executable, const QProcessEnvironment &env)
{
    m_companionErrors.clear();
    m_companion.setProcessEnvironment(env);
    m_companion.start(executable, {});
    if (!m_companion.waitForStarted())
        return false;
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!companionOnBus() && m_companion.state() == QProcess::Running && !deadline.hasExpired())
        m_companion.waitForFinished(50);
    m_companionErrors += m_companion.readAllStandardError();
    if (m_companion.state() != QProcess::Running)
        qWarning("the companion ended: %s", m_companionErrors.constData());
    return companionOnBus() && m_companion.state() == QProcess::Running;
}

void DesktopSessionsTest::endCompanion()
{
    endProcess(m_companion);
    m_companionErrors += m_companion.readAllStandardError();
}

int DesktopSessionsTest::kibo(const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program(QStringLiteral("kibo")), arguments);
    if (!process.waitForFinished(kStartTimeoutMs))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Mapped windows of a program on an X display, by their WM_CLASS.
QStringList DesktopSessionsTest::visibleWindows(const QString &display, const QString &windowClass)
{
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--class", windowClass});
    xdotool.waitForFinished();
    return QString::fromLatin1(xdotool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QRect DesktopSessionsTest::windowGeometry(const QString &display, const QString &window)
{
    QProcess xdotool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    xdotool.setProcessEnvironment(env);
    xdotool.start(QStringLiteral("xdotool"), {"getwindowgeometry", "--shell", window});
    xdotool.waitForFinished();
    QHash<QString, int> shell;
    for (const QString &line : QString::fromLatin1(xdotool.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            shell.insert(line.left(equals), line.mid(equals + 1).toInt());
    }
    return {shell.value(QStringLiteral("X")), shell.value(QStringLiteral("Y")), shell.value(QStringLiteral("WIDTH")),
            shell.value(QStringLiteral("HEIGHT"))};
}

void DesktopSessionsTest::startedFromItsMenuEntryOnAnXDesktop()
{
    const QString companion = menuEntryProgram(QStringLiteral("org.lorvat.Tilvano.desktop"));
    const QString editor = menuEntryProgram(QStringLiteral("org.lorvat.Tilvano.Ablaufwerk.desktop"));
    QVERIFY(!companion.isEmpty() && !editor.isEmpty());

    const QString display = qEnvironmentVariable("DISPLAY");
    QVERIFY(startCompanion(companion, environment()));
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(display, QStringLiteral("tilvano")).size(), 1, kStartTimeoutMs);
    const QString character = visibleWindows(display, QStringLiteral("tilvano")).constFirst();
    // The editor beside it, sharing its character, for the picture.
    QProcess editorProcess;
    editorProcess.setProcessEnvironment(environment());
    editorProcess.setProcessChannelMode(QProcess::ForwardedChannels);
    editorProcess.start(editor, {});
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(display, QStringLiteral("ablaufwerk")).size(), 1, kStartTimeoutMs);

    // The window carries the icon drawn from the character, for task bars and switchers.
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {"-id", character, "_NET_WM_ICON"});
    QVERIFY(xprop.waitForFinished());
    QVERIFY2(xprop.readAllStandardOutput().contains("Icon ("), "no _NET_WM_ICON on the character's window");

    QCOMPARE(kibo({"speak", "Guten Tag! Ich lese dir deine Mails und Nachrichten vor."}, environment()), 0);
    // The balloon comes up beside the character and fills word by word; the picture kept is
    // the last one taken while it was still up, so it shows the whole sentence.
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(display, QStringLiteral("tilvano")).size() >= 2, 20000);
    QImage screen;
    QList<QRect> shown;
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired();) {
        const QImage grabbed = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QStringList windows = visibleWindows(display, QStringLiteral("tilvano"));
        if (windows.size() < 2)
            break;
        screen = grabbed;
        shown.clear();
        for (const QString &window : windows + visibleWindows(display, QStringLiteral("ablaufwerk")))
            shown.append(windowGeometry(display, window));
        QTest::qWait(100);
    }
    // The character's and the balloon's pixels, not the empty desktop behind them; the
    // balloon drawn across its whole window, from its left edge to its right.
    const QRgb background = screen.pixel(screen.width() - 1, screen.height() - 1);
    const auto drawnIn = [&screen, background](const QRect &area) {
        int drawn = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                drawn += screen.rect().contains(x, y) && screen.pixel(x, y) != background;
        return drawn;
    };
    const QRect where = windowGeometry(display, character);
    QVERIFY2(screen.rect().contains(where) && !where.isEmpty(), "the character is not on the screen");
    QVERIFY2(drawnIn(where) > where.width() * where.height() / 10, "the character's window shows nothing");
    for (const QRect &window : shown) {
        if (window == where || window.width() > 600)
            continue; // the character and the editor
        QVERIFY2(drawnIn(window.adjusted(0, 0, 8 - window.width(), 0)) > window.height() / 2,
                 "the balloon's left edge is empty");
        QVERIFY2(drawnIn(window.adjusted(window.width() - 8, 0, 0, 0)) > window.height() / 2,
                 "the balloon's right edge is empty");
    }
    test::saveScreenshot(screen.copy(screenshotArea(shown, screen.rect())), QStringLiteral("appstream-screenshot"));
    endProcess(editorProcess);
}

void DesktopSessionsTest::runsThroughXWaylandUnderWeston()
{
    WestonSession weston;
    QString error;
    QVERIFY2(weston.start(true, &error), qPrintable(error));
    QProcessEnvironment env = environment();
    weston.enter(env);

    QVERIFY2(startCompanion(program(QStringLiteral("tilvano")), env), m_companionErrors.constData());
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindows(weston.xDisplay(), QStringLiteral("tilvano")).size(), 1, kStartTimeoutMs);
    QCOMPARE(kibo({"speak", "Hallo aus XWayland, hier kann ich überall hingehen."}, env), 0);
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindows(weston.xDisplay(), QStringLiteral("tilvano")).size() >= 2, 20000);
    endCompanion();
    QVERIFY2(!m_companionErrors.contains(DisplayEnvironment::walkingNeedsXWaylandText().toLocal8Bit()),
             "told about XWayland where it is there");
}

void DesktopSessionsTest::startsOnWaylandAloneAndTellsOnce()
{
    WestonSession weston;
    QString error;
    QVERIFY2(weston.start(false, &error), qPrintable(error));
    QProcessEnvironment env = environment();
    weston.enter(env);
    const QByteArray notice = DisplayEnvironment::walkingNeedsXWaylandText().toLocal8Bit();

    // Before, Qt aborted here for want of an X server.
    QVERIFY2(startCompanion(program(QStringLiteral("tilvano")), env), m_companionErrors.constData());
    QCOMPARE(kibo({"speak", "Hallo aus Wayland"}, env), 0);
    QCOMPARE(kibo({"move", "40", "40"}, env), 0);
    QTRY_VERIFY_WITH_TIMEOUT((m_companionErrors += m_companion.readAllStandardError()).contains(notice), 20000);
    endCompanion();
    QCOMPARE(m_companionErrors.count(notice), 1);

    // The next start keeps quiet: the user knows.
    QVERIFY2(startCompanion(program(QStringLiteral("tilvano")), env), m_companionErrors.constData());
    QCOMPARE(kibo({"speak", "Wieder da"}, env), 0);
    endCompanion();
    QVERIFY2(!m_companionErrors.contains(notice), m_companionErrors.constData());
}

TILVANO_X11_TEST_MAIN(DesktopSessionsTest)

#include "tst_desktopsessions.moc"
