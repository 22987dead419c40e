// The companion and the editor together on a real X display with a window manager: one
// character on the screen, whose menu is the editor's while the editor is the active
// program, and which stays whole, commands and all, when the editor is killed.

#include "support/IsolatedHome.h"
#include "support/PrivateDesktop.h"
#include "support/PrivateSessionBus.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>

using namespace tilvano;

namespace {

constexpr int StartTimeoutMs = 60000;

QString program(const QString &name) { return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/") + name; }

QString run(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QStringList lines(const QString &text) { return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

// The visible windows whose title is exactly `title`, of one process or of all.
QStringList windowsTitled(const QString &title, qint64 pid = 0)
{
    QStringList arguments{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    if (pid)
        arguments << QStringLiteral("--all") << QStringLiteral("--pid") << QString::number(pid);
    arguments << QStringLiteral("--name") << QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    return lines(run(QStringLiteral("xdotool"), arguments));
}

} // namespace

class SharedCharacterDesktopTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    std::unique_ptr<test::PrivateSessionBus> m_bus;
    QProcessEnvironment m_environment;
    QString m_tracePath;
    QProcess m_host;
    QProcess m_editor;

    QStringList traced(const QString &name) const
    {
        QFile file(m_tracePath);
        QStringList found;
        if (file.open(QIODevice::ReadOnly))
            for (const QString &line : lines(QString::fromUtf8(file.readAll())))
                if (line.startsWith(name + QLatin1Char('\t')))
                    found << line;
        return found;
    }
    void start(QProcess &process, const QString &name)
    {
        process.setProcessEnvironment(m_environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program(name), {});
        QVERIFY(process.waitForStarted());
    }
    QString theCharacter() const
    {
        const QStringList found = windowsTitled(QStringLiteral("Merlin"));
        return found.size() == 1 ? found.first() : QString();
    }
    // Right-clicks the middle of the character and returns the menu the host traced.
    QString rightClickCharacter()
    {
        const QString window = theCharacter();
        const QString geometry = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        QHash<QString, int> values;
        for (const QString &line : lines(geometry))
            values.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1).toInt());
        const int menusBefore = int(traced(QStringLiteral("Menu")).size());
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"),
                                        QString::number(values.value("X") + values.value("WIDTH") / 2),
                                        QString::number(values.value("Y") + values.value("HEIGHT") / 2),
                                        QStringLiteral("click"), QStringLiteral("3")});
        if (!QTest::qWaitFor([&] { return traced(QStringLiteral("Menu")).size() > menusBefore; }, 20000))
            return QString();
        return traced(QStringLiteral("Menu")).last();
    }
    void screenshot(const QString &name)
    {
        const QString folder = qEnvironmentVariable("TILVANO_TEST_OUTPUT");
        if (folder.isEmpty() || !QDir().mkpath(folder))
            return;
        QTest::qWait(300); // let the windows draw before the picture
        QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

private slots:
    void initTestCase()
    {
        for (const char *tool : {"dbus-daemon", "xdotool"})
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), tool);
        m_home = std::make_unique<test::IsolatedHome>();
        m_tracePath = m_home->path() + QStringLiteral("/trace.txt");
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_environment.insert(QStringLiteral("TILVANO_AUDIO"), QStringLiteral("silent"));
        m_environment.insert(QStringLiteral("TILVANO_AGENT_TRACE"), m_tracePath);
        m_environment.insert(QStringLiteral("TMPDIR"), m_home->path());
        m_bus = std::make_unique<test::PrivateSessionBus>(QStringLiteral(TILVANO_DBUS_SESSION_CONFIG), m_environment);
        QVERIFY(!m_bus->address().isEmpty());
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());

        start(m_host, QStringLiteral("tilvano"));
        QTRY_VERIFY_WITH_TIMEOUT(!traced(QStringLiteral("Show")).isEmpty(), StartTimeoutMs);
        start(m_editor, QStringLiteral("ablaufwerk"));
        QTRY_VERIFY_WITH_TIMEOUT(!windowsTitled(QStringLiteral("Tilvano Ablaufwerk"), m_editor.processId()).isEmpty(),
                                 StartTimeoutMs);
    }

    void cleanupTestCase()
    {
        for (QProcess *process : {&m_editor, &m_host}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(20000))
                process->kill();
            process->waitForFinished();
        }
        m_bus.reset();
        m_home.reset();
    }

    void bothProgramsShowOneCharacter()
    {
        // The editor's window shows once its Kibo has loaded the character, which is the host's.
        screenshot(QStringLiteral("host-and-editor"));
        QCOMPARE(windowsTitled(QStringLiteral("Merlin")).size(), 1);
        QCOMPARE(windowsTitled(QStringLiteral("Merlin"), m_host.processId()).size(), 1);
        QCOMPARE(traced(QStringLiteral("Load")).size(), 1);
    }

    void aClickWhileTheEditorIsActiveShowsTheEditorsMenu()
    {
        const QString editorWindow = windowsTitled(QStringLiteral("Tilvano Ablaufwerk"), m_editor.processId()).value(0);
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), editorWindow});
        QTRY_VERIFY(traced(QStringLiteral("Activate")).last().contains(QStringLiteral("Ablaufwerk-Menü")));

        const QString menu = rightClickCharacter();
        QVERIFY2(menu.contains(QStringLiteral("\t*Ablaufwerk-Menü")), qPrintable(menu));
        QVERIFY(menu.contains(QStringLiteral("\tTilvano-Menü")));
        screenshot(QStringLiteral("editor-menu"));
        // "Text sprechen" from this menu is the editor's command: its own read-text window opens.
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("t")});
        QTRY_VERIFY_WITH_TIMEOUT(!windowsTitled(QStringLiteral("Text sprechen"), m_editor.processId()).isEmpty(), 20000);
        QVERIFY(windowsTitled(QStringLiteral("Text sprechen"), m_host.processId()).isEmpty());
    }

    void killingTheEditorLeavesTheHostWhole()
    {
        const int departures = int(traced(QStringLiteral("Disconnect")).size());
        ::kill(pid_t(m_editor.processId()), SIGKILL);
        QVERIFY(m_editor.waitForFinished(20000));
        QTRY_VERIFY_WITH_TIMEOUT(traced(QStringLiteral("Disconnect")).size() > departures, 20000);
        QVERIFY(traced(QStringLiteral("Disconnect")).last().contains(QStringLiteral("Ablaufwerk-Menü")));

        QCOMPARE(windowsTitled(QStringLiteral("Merlin")).size(), 1);
        const QString menu = rightClickCharacter();
        QVERIFY2(menu.contains(QStringLiteral("\t&Text sprechen")), qPrintable(menu));
        QVERIFY(!menu.contains(QStringLiteral("Ablaufwerk-Menü")));
        screenshot(QStringLiteral("host-menu-after-kill"));
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("t")});
        QTRY_VERIFY_WITH_TIMEOUT(!windowsTitled(QStringLiteral("Text sprechen"), m_host.processId()).isEmpty(), 20000);
    }
};

int main(int argc, char *argv[])
{
    test::PrivateDesktop desktop;
    QString problem;
    if (!desktop.start(&problem)) {
        std::fprintf(stderr, "a display with a window manager is needed for this test: %s\n", qPrintable(problem));
        return 1;
    }
    QApplication application(argc, argv);
    SharedCharacterDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SharedCharacterDesktop.moc"
