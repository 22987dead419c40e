// One behavioural suite for every implementation of the character service: the recording
// double that the Parts are tested against, the real service, and the client that reaches the
// session's character server over the bus. Every case runs once per implementation, and they
// must agree; a difference means the double (or the client) no longer tells the truth.
// Another implementation joins with one entry in servicesUnderTest().

#include "ComparedServiceOptions.h"

#include "AgentCtl/Agent.h"
#include "platform/agent/client/CharacterBusClient.h"
#include "platform/agent/client/CharacterBusNames.h"
#include "platform/agent/AgentCodes.h"
#include "platform/agent/AgentService.h"
#include "support/AgentTestBench.h"
#include "support/ControlFactoryInPlace.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QPointer>
#include <QProcess>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <optional>

using namespace tilvano;
using namespace tilvano::test;

namespace {

const QString kId = QStringLiteral("somebody");
const QString kStefan = QStringLiteral("{3A1FB761-A92B-11D1-B17B-0020AFED142E}");
const QString kAnna = QStringLiteral("{3A1FB760-A92B-11D1-B17B-0020AFED142E}");

// One implementation of the character service, as the suite drives it.
class ServiceUnderTest
{
public:
    virtual ~ServiceUnderTest() = default;
    // A new control, owned by the caller (an Agent's window takes it).
    virtual std::unique_ptr<AgentControl> makeControl() = 0;
    // Time passes until every request made so far has run to its end, events included.
    virtual void runQueuedRequests() = 0;
    // The character file its controls load.
    virtual QString characterFile() const = 0;
    // Why it cannot be tested; empty when it can.
    virtual QString problem() const
    {
        return characterFile().isEmpty() ? QStringLiteral("the shipped character must be built") : QString();
    }
};

class RecordingService : public ServiceUnderTest
{
public:
    std::unique_ptr<AgentControl> makeControl() override
    {
        auto control = std::make_unique<RecordingAgentControl>();
        // What the shipped character says about itself.
        control->profile().ttsModeId = kStefan;
        control->profile().animationNames << QStringLiteral("Greet");
        m_control = control.get();
        return control;
    }
    void runQueuedRequests() override
    {
        if (m_control)
            m_control->runQueuedRequests();
    }
    QString characterFile() const override { return QStringLiteral("/chars/Merlin.acs"); }

private:
    QPointer<RecordingAgentControl> m_control;
};

class RealService : public ServiceUnderTest
{
public:
    std::unique_ptr<AgentControl> makeControl() override
    {
        auto service = std::make_unique<agent::AgentService>(nullptr, comparedServiceOptions());
        m_service = service.get();
        return service;
    }
    void runQueuedRequests() override
    {
        if (m_service)
            m_service->clock().advance(10 * 60 * 1000);
    }
    QString characterFile() const override { return qEnvironmentVariable("TILVANO_MERLIN_FILE"); }

private:
    QPointer<agent::AgentService> m_service;
};

// The same service behind the bus: a character server in a process of its own, on a bus of
// its own, whose clock the suite moves; the controls are bus clients.
class BusClientService : public ServiceUnderTest
{
public:
    BusClientService()
        : m_connectionName(QStringLiteral("suite-%1").arg(++s_instances))
    {
        if (m_bus.address().isEmpty())
            return;
        m_connection = QDBusConnection::connectToBus(m_bus.address(), m_connectionName);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        m_server.setProcessEnvironment(environment);
        m_server.setProcessChannelMode(QProcess::ForwardedChannels);
        m_server.start(QStringLiteral(CHARACTERSERVER_PEER), {});
        // Not listening by then is the problem() each case reports.
        (void)QTest::qWaitFor([this] { return serverListens() || m_server.state() == QProcess::NotRunning; }, 60000);
    }
    ~BusClientService() override
    {
        m_server.terminate();
        if (!m_server.waitForFinished(10000))
            m_server.kill();
        m_server.waitForFinished();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
    std::unique_ptr<AgentControl> makeControl() override { return agent::CharacterBusClient::create(m_connection); }
    void runQueuedRequests() override
    {
        QDBusMessage advance = QDBusMessage::createMethodCall(agent::bus::serviceName(), QStringLiteral("/TestClock"),
                                                              QStringLiteral("org.lorvat.Tilvano.TestClock"),
                                                              QStringLiteral("Advance"));
        advance.setArguments({10 * 60 * 1000});
        m_connection.call(advance);
        // The events the server sent before it answered are here; hand them out.
        QCoreApplication::processEvents();
    }
    QString characterFile() const override { return qEnvironmentVariable("TILVANO_MERLIN_FILE"); }
    QString problem() const override
    {
        if (!serverListens())
            return QStringLiteral("no character server on a private bus (is dbus-daemon installed?)");
        return ServiceUnderTest::problem();
    }

private:
    bool serverListens() const
    {
        return m_connection.isConnected() && m_connection.interface()->isServiceRegistered(agent::bus::serviceName());
    }

    static inline int s_instances = 0;
    QString m_connectionName;
    PrivateSessionBus m_bus;
    QDBusConnection m_connection{QString()};
    QProcess m_server;
};

using ServiceFactory = std::function<std::unique_ptr<ServiceUnderTest>()>;

const std::map<QString, ServiceFactory> &servicesUnderTest()
{
    static const std::map<QString, ServiceFactory> services{
        {QStringLiteral("double"), [] { return std::make_unique<RecordingService>(); }},
        {QStringLiteral("service"), [] { return std::make_unique<RealService>(); }},
        {QStringLiteral("bus client"), [] { return std::make_unique<BusClientService>(); }},
    };
    return services;
}

// The events of the character, as "Show 4", "Move 300 200 2", "BalloonShow", ...
QStringList *recordEvents(AgentControl &control, QStringList *events)
{
    auto mine = [](const QString &id) { return id == kId; };
    QObject::connect(&control, &AgentControl::shown, [=](const QString &id, qint16 cause) {
        if (mine(id))
            events->append(QStringLiteral("Show %1").arg(cause));
    });
    QObject::connect(&control, &AgentControl::hidden, [=](const QString &id, qint16 cause) {
        if (mine(id))
            events->append(QStringLiteral("Hide %1").arg(cause));
    });
    QObject::connect(&control, &AgentControl::moved, [=](const QString &id, qint16 x, qint16 y, qint16 cause) {
        if (mine(id))
            events->append(QStringLiteral("Move %1 %2 %3").arg(x).arg(y).arg(cause));
    });
    QObject::connect(&control, &AgentControl::balloonShown, [=](const QString &id) {
        if (mine(id))
            events->append(QStringLiteral("BalloonShow"));
    });
    QObject::connect(&control, &AgentControl::balloonHidden, [=](const QString &id) {
        if (mine(id))
            events->append(QStringLiteral("BalloonHide"));
    });
    return events;
}

} // namespace

class CharacterServicesTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<AgentTestBench> m_bench;
    std::unique_ptr<ServiceUnderTest> m_service;
    std::unique_ptr<AgentControl> m_control;
    std::optional<ControlFactoryInPlace> m_serviceFactory;
    QStringList m_events;

    // Every case's rows: one per service, named "<service>: <case>".
    static void addRowsForEveryService(const std::function<void(const QString &)> &addCase)
    {
        for (const auto &[name, factory] : servicesUnderTest())
            addCase(name);
    }

    bool startService(const QString &name)
    {
        m_service = servicesUnderTest().at(name)();
        const QString problem = m_service->problem();
        if (!problem.isEmpty())
            qWarning("%s", qPrintable(problem));
        return problem.isEmpty();
    }

    // A control of the service with the character loaded and its events recorded.
    AgentCharacter *loadCharacter()
    {
        m_control = m_service->makeControl();
        if (!m_control)
            return nullptr;
        recordEvents(*m_control, &m_events);
        const ErrorInfo loaded = m_control->load(kId, m_service->characterFile());
        if (loaded.isError())
            qWarning() << loaded.description;
        return m_control->character(kId);
    }

    // An Agent (the core) standing on the service.
    std::unique_ptr<Agent> agentOnService()
    {
        m_serviceFactory.emplace([this](QWidget *) {
            std::unique_ptr<AgentControl> control = m_service->makeControl();
            if (control)
                recordEvents(*control, &m_events);
            return control;
        });
        auto agent = std::make_unique<Agent>();
        QString file = m_service->characterFile();
        agent->LoadChar(file);
        return agent;
    }

private slots:
    void init() { m_bench = std::make_unique<AgentTestBench>(); }
    void cleanup()
    {
        m_serviceFactory.reset();
        m_control.reset();
        m_service.reset();
        m_events.clear();
        m_bench.reset();
    }

    void visibilityIsWhereTheQueueEnds_data()
    {
        // Requests in a row; the visibility reported after each (T/F) at once; the events
        // once they all ran.
        QTest::addColumn<QString>("service");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<QString>("visibleAfterEach");
        QTest::addColumn<QStringList>("events");
        addRowsForEveryService([](const QString &service) {
            auto row = [&](const char *name) { return &(QTest::newRow(qPrintable(service + ": " + name)) << service); };
            *row("show, speak, hide") << QStringList{"show", "speak Hallo", "hide"} << "TTF"
                                      << QStringList{"Show 4", "BalloonShow", "BalloonHide", "Hide 3"};
            *row("showing a visible one does nothing") << QStringList{"show", "show"} << "TT" << QStringList{"Show 4"};
            *row("hiding a hidden one does nothing") << QStringList{"hide"} << "F" << QStringList{};
            *row("show, hide, show") << QStringList{"show", "hide", "show"} << "TFT"
                                     << QStringList{"Show 4", "Hide 3", "Show 4"};
            *row("a hidden one moves unseen") << QStringList{"move"} << "F" << QStringList{"Move 300 200 2"};
            *row("thinking while hidden shows nothing") << QStringList{"think Hm"} << "F" << QStringList{};
            *row("tags alone fill no balloon") << QStringList{"show", "speak \\Spd=200\\"} << "TT" << QStringList{"Show 4"};
            // The first request starts at once: StopAll cannot take back a show that began.
            *row("stop all keeps a started show") << QStringList{"show", "speak Hallo", "hide", "stop"} << "TTFT"
                                                  << QStringList{"Show 4"};
            *row("a fast hide is over at once") << QStringList{"show", "run", "hide", "stop"} << "TTFF"
                                                << QStringList{"Show 4", "Hide 3"};
        });
    }

    void visibilityIsWhereTheQueueEnds()
    {
        QFETCH(QString, service);
        QFETCH(QStringList, requests);
        QFETCH(QString, visibleAfterEach);
        QFETCH(QStringList, events);
        QVERIFY(startService(service));
        AgentCharacter *character = loadCharacter();
        QVERIFY(character);
        QString seen;
        for (const QString &request : requests) {
            const QString verb = request.section(u' ', 0, 0);
            const QString text = request.section(u' ', 1);
            if (verb == QLatin1String("show"))
                character->show(true);
            else if (verb == QLatin1String("hide"))
                character->hide(true);
            else if (verb == QLatin1String("speak"))
                character->speak(text, QString());
            else if (verb == QLatin1String("think"))
                character->think(text);
            else if (verb == QLatin1String("move"))
                character->moveTo(300, 200, 500);
            else if (verb == QLatin1String("stop"))
                character->stopAll();
            else if (verb == QLatin1String("run"))
                m_service->runQueuedRequests();
            seen += character->isVisible() ? u'T' : u'F';
        }
        QCOMPARE(seen, visibleAfterEach);
        m_service->runQueuedRequests();
        QCOMPARE(character->isVisible(), visibleAfterEach.endsWith(u'T'));
        QCOMPARE(m_events, events);
    }

    void voiceIdsTheServiceReportsAreTakenBack_data()
    {
        QTest::addColumn<QString>("service");
        addRowsForEveryService([](const QString &service) { QTest::newRow(qPrintable(service)) << service; });
    }

    void voiceIdsTheServiceReportsAreTakenBack()
    {
        QFETCH(QString, service);
        QVERIFY(startService(service));
        AgentCharacter *character = loadCharacter();
        QVERIFY(character);
        // The shipped character names no voice of its own: it speaks German, with Stefan.
        const QString own = character->ttsModeId();
        QCOMPARE(own, kStefan);
        QVERIFY(!character->setTtsModeId(own).isError());
        QCOMPARE(character->ttsModeId(), own);
        // Any spelling of an id; reported in one.
        QVERIFY(!character->setTtsModeId(kAnna.toLower().mid(1, 36)).isError());
        QCOMPARE(character->ttsModeId(), kAnna);
        QCOMPARE(character->setTtsModeId(QStringLiteral("{00000000-1111-2222-3333-444444444444}")).number,
                 agent::AgentErrorNoVoice);
        QCOMPARE(character->setTtsModeId(QStringLiteral("de-stefan")).number, agent::AgentErrorNoVoice);
        QCOMPARE(character->ttsModeId(), kAnna);
        QVERIFY(!character->setTtsModeId(QString()).isError());
        QCOMPARE(character->ttsModeId(), own);
    }

    void commandNamesIgnoreCase_data() { voiceIdsTheServiceReportsAreTakenBack_data(); }

    void commandNamesIgnoreCase()
    {
        QFETCH(QString, service);
        QVERIFY(startService(service));
        AgentCharacter *character = loadCharacter();
        QVERIFY(character);
        AgentCommands &commands = character->commands();
        QVERIFY(!commands.add(QStringLiteral("Hallo"), QStringLiteral("&Hallo"), QString(), true, true).isError());
        QCOMPARE(commands.add(QStringLiteral("HALLO"), QStringLiteral("x"), QString(), true, true).number,
                 agent::AgentErrorCommandExists);
        QCOMPARE(commands.add(QString(), QStringLiteral("x"), QString(), true, true).number,
                 agent::AgentErrorInvalidArgument);
        QVERIFY(!commands.remove(QStringLiteral("hallo")).isError());
        QCOMPARE(commands.remove(QStringLiteral("Hallo")).number, agent::AgentErrorUnknownCommand);
    }

    void hidingAfterEachRequestLosesNone_data() { voiceIdsTheServiceReportsAreTakenBack_data(); }

    void hidingAfterEachRequestLosesNone()
    {
        // A macro of one speak, one think and one play line, with the character hiding after
        // each sentence: every line is seen, each after a show of its own.
        QFETCH(QString, service);
        QVERIFY(startService(service));
        std::unique_ptr<Agent> agent = agentOnService();
        agent->setHideAfterAnimation(true);
        QString macro = QStringLiteral("Kibo.SpeakIt \"Hallo\"<!!BR!!>Kibo.Think \"Hm\"<!!BR!!>Kibo.PlayAni \"Greet\"");
        QVERIFY(agent->RunMacroText(macro));
        m_service->runQueuedRequests();
        QCOMPARE(m_events, (QStringList{"Show 4", "BalloonShow", "BalloonHide", "Hide 3", "Show 4", "BalloonShow",
                                        "BalloonHide", "Hide 3", "Show 4"}));
        QVERIFY(agent->visible());
    }

    void aHiddenCharacterMovedStaysHidden_data() { voiceIdsTheServiceReportsAreTakenBack_data(); }

    void aHiddenCharacterMovedStaysHidden()
    {
        QFETCH(QString, service);
        QVERIFY(startService(service));
        std::unique_ptr<Agent> agent = agentOnService();
        QVERIFY(!agent->visible());
        agent->MoveTo(300, 200, QVariant());
        m_service->runQueuedRequests();
        QCOMPARE(m_events, QStringList{"Move 300 200 2"});
        QVERIFY(!agent->visible());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Left")), QStringLiteral("300"));
    }
};

QTEST_MAIN(CharacterServicesTest)
#include "tst_characterservices.moc"
