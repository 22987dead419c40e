// Programs sharing the session's character over a bus of the test's own: the bus starts the
// host for the first client, clients hear what concerns them, and a host that ends is noticed.
// (A client that vanishes is the desktop test's killed editor.)

#include "BusOwner.h"

#include "AgentCtl/Agent.h"
#include "common/SettingsStore.h"
#include "platform/agent/client/CharacterBusClient.h"
#include "platform/agent/AgentCodes.h"
#include "system/DialogService.h"
#include "system/ServiceRegistry.h"
#include "support/ControlFactoryInPlace.h"
#include "support/IsolatedHome.h"
#include "support/PrivateSessionBus.h"
#include "support/ScriptedDialogService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <memory>

using namespace tilvano;
using namespace tilvano::agent;

namespace {

const QString Host = QStringLiteral("org.lorvat.Tilvano");
const QString Merlin = QStringLiteral("Merlin.acs");

// The bus a process was started by: the bus tells the programs it starts where it is.
QString starterAddressOf(qint64 pid)
{
    QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!environment.open(QIODevice::ReadOnly))
        return {};
    const QByteArray prefix("DBUS_STARTER_ADDRESS=");
    for (const QByteArray &variable : environment.readAll().split('\0'))
        if (variable.startsWith(prefix))
            return QString::fromUtf8(variable.mid(prefix.size()));
    return {};
}

} // namespace

class CharacterServerBusTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    test::ScriptedDialogService m_dialogs; // a failing load tells it, not a box nobody closes
    std::unique_ptr<test::PrivateSessionBus> m_bus;
    QString m_tracePath;

    QDBusConnection busConnection(const QString &name) const { return QDBusConnection::connectToBus(m_bus->address(), name); }

    QStringList traced(const QString &prefix) const
    {
        QFile file(m_tracePath);
        QStringList lines;
        if (file.open(QIODevice::ReadOnly))
            for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
                if (line.startsWith(prefix))
                    lines << line;
        return lines;
    }

private slots:
    void initTestCase()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        ServiceRegistry::replace<DialogService>(&m_dialogs);
        m_tracePath = m_home->path() + QStringLiteral("/trace.txt");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("TILVANO_AUDIO"), QStringLiteral("silent"));
        environment.insert(QStringLiteral("TILVANO_AGENT_TRACE"), m_tracePath);
        environment.insert(QStringLiteral("TMPDIR"), m_home->path()); // the host's single-instance socket
        m_bus = std::make_unique<test::PrivateSessionBus>(QStringLiteral(TILVANO_DBUS_SESSION_CONFIG), environment);
        QVERIFY2(!m_bus->address().isEmpty(), "dbus-daemon is needed");
    }

    void cleanupTestCase()
    {
        if (m_bus)
            test::endBusOwner(m_bus->address(), Host, SIGTERM);
        m_bus.reset();
        ServiceRegistry::replace<DialogService>(nullptr);
        m_home.reset();
    }

    // The editor's way in: its Kibo over a client that the bus found the host for.
    void theBusStartsTheHostForTheFirstClient()
    {
        QDBusConnection bus = busConnection(QStringLiteral("editor"));
        QVERIFY(!bus.interface()->isServiceRegistered(Host));
        {
            test::ControlFactoryInPlace clients([&bus](QWidget *) -> std::unique_ptr<AgentControl> { return CharacterBusClient::create(bus); });
            Agent kibo;
            QVERIFY(kibo.InitLastAgent());
            QVERIFY(bus.interface()->isServiceRegistered(Host));
            // Started by the bus from the build's service file, not by the client's fallback.
            QVERIFY(starterAddressOf(test::busOwnerProcess(m_bus->address(), Host)) == m_bus->address());
            kibo.setMenuCaption(QStringLiteral("Ablaufwerk-Menü"));
            QCOMPARE(kibo.MenuCaption(), QStringLiteral("Ablaufwerk-Menü"));
            QVERIFY(kibo.AnimationNames().contains(QStringLiteral("Wave")));
            QString text = QStringLiteral("Über den Bus");
            QVERIFY(kibo.SpeakIt(text));
            QVERIFY(!kibo.PlayAni(QStringLiteral("GibtEsNicht")));
            QCOMPARE(kibo.LastError().number, AgentErrorUnknownAnimation);
            // The host's character and the editor's are one, in one service.
            QTRY_COMPARE(traced(QStringLiteral("Speak\t")).size(), 1);
            QCOMPARE(traced(QStringLiteral("Load\t")).size(), 1);
            QVERIFY(traced(QStringLiteral("Speak\t")).first().contains(QStringLiteral("Über den Bus")));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("editor"));
    }

    void eachClientHearsWhatConcernsIt()
    {
        QDBusConnection busA = busConnection(QStringLiteral("a"));
        QDBusConnection busB = busConnection(QStringLiteral("b"));
        std::unique_ptr<CharacterBusClient> a = CharacterBusClient::create(busA);
        std::unique_ptr<CharacterBusClient> b = CharacterBusClient::create(busB);
        QVERIFY(a && b);
        QVERIFY(!a->load(QStringLiteral("eins"), Merlin).isError());
        QVERIFY(!b->load(QStringLiteral("zwei"), Merlin).isError());
        QVERIFY(a->character(QStringLiteral("EINS"))->property("hasOtherClients").toBool());

        QSignalSpy movedA(a.get(), &AgentControl::moved), movedB(b.get(), &AgentControl::moved);
        QSignalSpy balloonA(a.get(), &AgentControl::balloonShown), balloonB(b.get(), &AgentControl::balloonShown);
        QVERIFY(!a->character(QStringLiteral("eins"))->moveTo(300, 200, 0).isError());
        QTRY_COMPARE(movedA.size(), 1);
        QTRY_COMPARE(movedB.size(), 1);
        QCOMPARE(movedB.first().at(0).toString(), QStringLiteral("zwei"));
        QCOMPARE(movedB.first().at(1).value<qint16>(), qint16(300));
        QCOMPARE(b->character(QStringLiteral("zwei"))->left(), 300);

        QVERIFY(!b->character(QStringLiteral("zwei"))->speak(QStringLiteral("Nur für B"), QString()).isError());
        QTRY_COMPARE(balloonB.size(), 1);
        // Whatever the server sent A before answering it has arrived once the answer has.
        a->character(QStringLiteral("eins"))->isVisible();
        QCoreApplication::processEvents();
        QCOMPARE(balloonA.size(), 0);

        // A client number is good only on the connection that got it.
        QDBusMessage forged = QDBusMessage::createMethodCall(Host, QStringLiteral("/CharacterServer"),
                                                             QStringLiteral("org.lorvat.Tilvano.CharacterServer"),
                                                             QStringLiteral("StopAll"));
        forged.setArguments({0u, QStringLiteral("zwei")});
        QCOMPARE(busA.call(forged).errorName(), QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"));
        a.reset();
        b.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("a"));
        QDBusConnection::disconnectFromBus(QStringLiteral("b"));
    }

    void aHostThatEndsIsNoticed()
    {
        QDBusConnection bus = busConnection(QStringLiteral("survivor"));
        {
            test::ControlFactoryInPlace clients([&bus](QWidget *) -> std::unique_ptr<AgentControl> { return CharacterBusClient::create(bus); });
            Agent kibo;
            QVERIFY(kibo.InitLastAgent());
            QVERIFY(test::endBusOwner(m_bus->address(), Host, SIGKILL));
            // The character went with the host: Kibo fails as it does without a character.
            QString unheard = QStringLiteral("Hallo?");
            QTRY_VERIFY(!kibo.SpeakIt(unheard));
            QVERIFY(kibo.LastError().isError());

            // Loading again is what starts a new host.
            QString file = Merlin;
            kibo.LoadChar(file);
            QVERIFY(bus.interface()->isServiceRegistered(Host));
            QVERIFY2(m_dialogs.texts().isEmpty(), qPrintable(m_dialogs.texts().join('|')));
            QString text = QStringLiteral("Wieder da");
            QVERIFY(kibo.SpeakIt(text));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("survivor"));
    }

    // A host the bus starts while its character file is gone still takes its name: it tells
    // the failure as a notice, not as a box that would hold up its start, and with it the
    // program that had the bus start it, until somebody closed the box.
    void aHostStartedWithoutItsCharacterStillAnswers()
    {
        test::endBusOwner(m_bus->address(), Host, SIGTERM);
        QDBusConnection bus = busConnection(QStringLiteral("lonely"));
        QTRY_VERIFY(!bus.interface()->isServiceRegistered(Host));
        const QString gone = m_home->path() + QStringLiteral("/gone.acs");
        SaveSetting(settingsApplication(), QStringLiteral("ActiveAgent"), QStringLiteral("Path"), gone);
        QFile::remove(m_tracePath);

        std::unique_ptr<CharacterBusClient> client = CharacterBusClient::create(bus);
        QVERIFY2(client, "the host the bus started did not take its name");
        QVERIFY(starterAddressOf(test::busOwnerProcess(m_bus->address(), Host)) == m_bus->address());
        QVERIFY(traced(QStringLiteral("Show\t")).isEmpty()); // it had no character to show
        client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));
    }
};

QTEST_MAIN(CharacterServerBusTest)
#include "tst_CharacterServerBus.moc"
