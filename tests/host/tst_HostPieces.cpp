// The host's parts that decide something on their own: the display choice
// before Qt starts, the first-start settings, the tray menu, the bus
// adaptor's translation of by-reference events, and a macro's box that
// outlives the character window it opened over, and the companion's icon.

#include "host/AgentDBusAdaptor.h"
#include "host/BusNames.h"
#include "system/DisplayEnvironment.h"
#include "host/HostApplication.h"
#include "host/TrayIcon.h"

#include "AgentCtl/Agent.h"
#include "common/SettingsStore.h"
#include "system/InstallLayout.h"
#include "system/ServiceRegistry.h"
#include "support/ControlFactoryInPlace.h"
#include "support/IsolatedHome.h"
#include "support/PrivateSessionBus.h"
#include "support/RecordingAgentControl.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tilvano;
using namespace tilvano::host;

class HostPiecesTest : public QObject {
    Q_OBJECT
private slots:
    void displayChoice_data()
    {
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<bool>("runs");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("nothing at all") << QByteArray() << QByteArray() << QByteArray() << false << QByteArray();
        QTest::newRow("user chose offscreen") << QByteArray("offscreen") << QByteArray() << QByteArray() << true
                                              << QByteArray();
        QTest::newRow("user chose wayland, kept") << QByteArray("wayland") << QByteArray(":0")
                                                  << QByteArray("wayland-0") << true << QByteArray();
        QTest::newRow("x11 only") << QByteArray() << QByteArray(":0") << QByteArray() << true << QByteArray();
        QTest::newRow("wayland only") << QByteArray() << QByteArray() << QByteArray("wayland-0") << true
                                      << QByteArray("wayland");
        QTest::newRow("both: XWayland") << QByteArray() << QByteArray(":1") << QByteArray("wayland-0") << true
                                        << QByteArray("xcb");
    }
    void displayChoice()
    {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(bool, runs);
        QFETCH(QByteArray, platform);
        const DisplayChoice choice = DisplayEnvironment::choose(qpa, display, wayland);
        QCOMPARE(choice.outcome == DisplayChoice::Outcome::Run, runs);
        QCOMPARE(choice.platformToSet, platform);
    }

    void storedPathsWrittenOnlyWhenMissing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("InstallPath") << "InstallPath" << InstallLayout::installPath();
        // So that the character's "Ablaufwerk" entry works before the editor ever ran.
        QTest::newRow("MacroEditor") << "MacroEditor" << InstallLayout::program(QStringLiteral("ablaufwerk"));
    }

    void storedPathsWrittenOnlyWhenMissing()
    {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        test::IsolatedHome home;
        const auto stored = [&key] { return GetSetting(settingsApplication(), QStringLiteral("StoredValues"), key); };
        const auto ensure = [] {
            HostApplication::ensureInstallPath();
            HostApplication::ensureMacroEditor();
        };
        QVERIFY(stored().isEmpty());
        ensure();
        QCOMPARE(stored(), expected);

        // A path the user (or the setup, or the editor itself) chose must survive every later start.
        SaveSetting(settingsApplication(), QStringLiteral("StoredValues"), key, QStringLiteral("/opt/elsewhere/"));
        ensure();
        QCOMPARE(stored(), QStringLiteral("/opt/elsewhere/"));
    }

    // The icon offers every drawn size; a size in between comes from the next larger
    // picture, scaled down, and a larger one than drawn is not blown up.
    void applicationIconOffersTheDrawnSizes()
    {
        QIcon icon = InstallLayout::applicationIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)), qPrintable(QString::number(sizes.size())));
        QCOMPARE(icon.pixmap(QSize(48, 48)).size(), QSize(48, 48));
        const QImage between = icon.pixmap(QSize(40, 40)).toImage();
        QCOMPARE(between.size(), QSize(40, 40));
        QVERIFY(between.pixelColor(20, 20).alpha() > 0); // drawn, not an empty square
        QCOMPARE(icon.pixmap(QSize(512, 512)).size(), QSize(256, 256));
        QCOMPARE(icon.actualSize(QSize(512, 512)), QSize(256, 256));
        QVERIFY(!icon.pixmap(QSize(32, 32), QIcon::Disabled).isNull());
    }

    void trayMenuWithoutPages()
    {
        TrayIcon tray;
        QStringList captions;
        for (QAction *action : tray.menu()->actions())
            if (!action->isSeparator())
                captions << action->text();
        QCOMPARE(captions, (QStringList{"Text sprechen", "Ablaufwerk", "Einstellungen...", "Beenden"}));
        QVERIFY(!tray.settingsAction()->isEnabled());
        QCOMPARE(tray.settingsAction()->toolTip(), QStringLiteral("Noch keine Einstellungsseiten installiert"));

        tray.setSettingsPagesAvailable(true);
        QVERIFY(tray.settingsAction()->isEnabled());
        QVERIFY(!tray.settingsAction()->toolTip().startsWith(QStringLiteral("Noch keine")));
    }

    // The bus must carry the text as the earlier handlers left it, once per event.
    void adaptorRelaysFinalSpeechText()
    {
        test::IsolatedHome home;
        test::RecordingAgentControl *control = nullptr;
        {
            test::ControlFactoryInPlace recording([&control](QWidget *) -> std::unique_ptr<AgentControl> {
                auto created = std::make_unique<test::RecordingAgentControl>();
                control = created.get();
                return created;
            });
            Agent agent;
            QVERIFY(control);
            QString file = QStringLiteral("/chars/Merlin.acs");
            agent.LoadChar(file);
            connect(&agent, &Agent::EvSpeak, &agent, [](QString &text) { text += QStringLiteral(" Welt"); });
            auto *adaptor = new AgentDBusAdaptor(&agent);
            adaptor->relayEvents();
            adaptor->relayEvents();
            QSignalSpy spoken(adaptor, &AgentDBusAdaptor::EvSpeak);

            QVERIFY(adaptor->SpeakIt(QStringLiteral("Hallo")));
            QCOMPARE(spoken.count(), 1);
            QCOMPARE(spoken.first().first().toString(), QStringLiteral("Hallo Welt"));
            QCOMPARE(control->callsStartingWith(QStringLiteral("somebody.Speak(")).size(), 1);

            QCOMPARE(adaptor->Think(QStringLiteral("Hm")), QStringLiteral("Hm Welt"));
            QCOMPARE(spoken.count(), 2);

            QSignalSpy moved(adaptor, &AgentDBusAdaptor::MoveEvent);
            emit control->moved(QStringLiteral("somebody"), 300, 200, 1);
            QCOMPARE(moved.count(), 1);
            QCOMPARE(moved.first().at(0).value<qint16>(), qint16(300));
            QCOMPARE(moved.first().at(2).value<qint16>(), qint16(1));
        }
    }

    // A box of a macro that a program on the bus started: its caller has the
    // answer while the box waits, and the character's window may go from under
    // the box (the user had clicked the character, so the box would have taken
    // that window as its parent) without taking the box along.
    void busMacroBoxOutlivesTheCharacterWindow()
    {
        test::IsolatedHome home;
        test::PrivateSessionBus bus;
        QVERIFY(!bus.address().isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
        QTemporaryDir noPages;
        qputenv("TILVANO_PAGES_DIR", noPages.path().toUtf8());
        QVERIFY(!ServiceRegistry::isReplaced<AgentControlFactory>()); // the host's own, real character service
        HostApplication host;
        host.start();
        QWidget *characterWindow = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && qstrcmp(window->metaObject()->className(), "tilvano::agent::CharacterWindow") == 0)
                characterWindow = window;
        QVERIFY(characterWindow);
        characterWindow->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), characterWindow);

        const QDBusConnection client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("client"));
        const auto call = [&client](const QString &member, const QString &argument) {
            QDBusMessage message = QDBusMessage::createMethodCall(busServiceName(), busObjectPath(), busInterfaceName(), member);
            message.setArguments({argument});
            return client.asyncCall(message, 60000);
        };
        bool boxSeen = false;
        bool boxClosed = false;
        bool macroAnsweredWhileOpen = false;
        bool unloadAnsweredWhileOpen = false;
        // Set where the answers are handled: a call can count as finished
        // before its handler has run, and the box must wait for the handlers.
        bool macroHandled = false;
        bool unloadHandled = false;
        QDBusPendingCallWatcher macro(call(QStringLiteral("RunMacroText"), QStringLiteral("MsgBox \"Hallo\"")));
        connect(&macro, &QDBusPendingCallWatcher::finished, this, [&] {
            macroAnsweredWhileOpen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) && !boxClosed;
            macroHandled = true;
        });
        std::unique_ptr<QDBusPendingCallWatcher> unload;
        QElapsedTimer sinceSeen;
        // Acts from inside the box's event loop: the test's own code waits below it.
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || boxClosed)
                return;
            if (!boxSeen) {
                boxSeen = true;
                sinceSeen.start();
                unload = std::make_unique<QDBusPendingCallWatcher>(call(QStringLiteral("LoadChar"), QString()));
                connect(unload.get(), &QDBusPendingCallWatcher::finished, this,
                        [&] {
                            unloadAnsweredWhileOpen = !boxClosed;
                            unloadHandled = true;
                        });
                return;
            }
            if ((macroHandled && unloadHandled) || sinceSeen.hasExpired(20000)) {
                boxClosed = true;
                box->defaultButton()->click();
            }
        });
        watch.start();
        QTRY_VERIFY_WITH_TIMEOUT(boxClosed && macroHandled && unloadHandled, 60000);
        QVERIFY(macroAnsweredWhileOpen);
        QVERIFY(unloadAnsweredWhileOpen);
        QVERIFY2(!unload->isError(), qPrintable(unload->error().message()));
        QCOMPARE(macro.reply().arguments().value(0).toBool(), true);
        QVERIFY(!host.agent()->visible());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        qunsetenv("TILVANO_PAGES_DIR");
    }
};

QTEST_MAIN(HostPiecesTest)
#include "tst_HostPieces.moc"
