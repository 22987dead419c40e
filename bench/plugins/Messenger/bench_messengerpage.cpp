// The chat page: time from a message sent by a second account to the page
// calling RunMacroText with the message macro. The macro's first statement
// asks the character to speak, which is where the clock stops. The message
// goes to the user's address, where their own client (priority 5) takes it;
// the page hears of it through a carbon, as it does in real use.

#include "support/PrivateSessionBus.h"
#include "support/ProsodyServer.h"
#include "support/TestPeer.h"

#include "AgentCtl/Agent.h"
#include "common/MacroStore.h"
#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/MessengerFactory.h"
#include "system/ServiceRegistry.h"
#include "system/SystemServices.h"
#include "platform/messenger/XmppMessenger.h"
#include "plugins/Messenger/Main.h"
#include "support/AgentTestBench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

using namespace tilvano;
using namespace tilvano::messenger;

namespace {

class SilentNotifier : public DesktopNotifier {
public:
    void notify(const QString &, const QString &) override {}
};

// The page's own messenger, without desktop notes (they follow the macro and
// would only add D-Bus noise).
class QuietXmppFactory : public MessengerFactory {
public:
    QuietXmppFactory() { ServiceRegistry::replace<MessengerFactory>(this); }
    ~QuietXmppFactory() override { ServiceRegistry::replace<MessengerFactory>(nullptr); }
    std::unique_ptr<Messenger> createMessenger(ErrorInfo &error) override
    {
        return XmppMessenger::create(error, std::make_unique<SilentNotifier>());
    }
};

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

void BM_MessageToMacro(benchmark::State &state)
{
    // The password lives in the settings of a bus without a secret store,
    // never in the desktop's keyring.
    test::PrivateSessionBus bus(test::PrivateSessionBus::SecretStore::None);
    test::AgentTestBench bench;
    test::AgentTestBench::saveStored(QStringLiteral("Logging"), QStringLiteral("0"));
    test::ProsodyServer server;
    if (!server.prepare({{QStringLiteral("alice@localhost"), QStringLiteral("Alice")},
                         {QStringLiteral("bob@localhost"), QStringLiteral("Bob")}})
        || !server.registerAccount(QStringLiteral("alice"), QStringLiteral("a"))
        || !server.registerAccount(QStringLiteral("bob"), QStringLiteral("b")) || !server.start()) {
        state.SkipWithError("prosody could not be started");
        return;
    }
    MessengerAccount{QStringLiteral("alice@localhost"), QString(), QStringLiteral("127.0.0.1"), server.port(), false}
        .save(SystemServices::registry());
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("Password"), QStringLiteral("a"));
    StoreMacro(0, QStringLiteral("Nachricht"), QStringLiteral("Kibo.SpeakIt \"<FRIENDLYNAME> schreibt: <MESSAGE>\""));
    SaveSetting(settingsApplication(), QStringLiteral("Messenger"), QStringLiteral("MacroMessage"),
                QStringLiteral("Nachricht"));
    QuietXmppFactory factory;

    auto agent = bench.agentWithCharacter();
    auto page = std::make_unique<messengerpage::Main>();
    page->Init(agent.get());
    test::TestPeer bob;
    test::TestPeer aliceClient;
    if (!bus.isReady() || !page->messengerObject()
        || !waitFor([&] { return page->messengerObject()->localState() == UserState::Online; }, 20000)
        || !bob.logOn(QStringLiteral("bob@localhost"), QStringLiteral("b"), server.port())
        || !aliceClient.logOn(QStringLiteral("alice@localhost/pc"), QStringLiteral("a"), server.port(),
                              QStringLiteral("<presence><priority>5</priority></presence>"))) {
        state.SkipWithError("log-in failed");
        return;
    }

    QEventLoop loop;
    QObject::connect(agent.get(), &Agent::EvSpeak, &loop, [&loop](QString &text) {
        if (text.startsWith(QStringLiteral("Bob schreibt:")))
            loop.quit();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QByteArray message = "<message to='alice@localhost' type='chat'><body>Hallo Alice, wie geht es?</body></message>";
    waitFor([] { return false; }, 500); // the contact's arrival is announced first

    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        guard.start(5000);
        bob.session.send(message);
        loop.exec();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!guard.isActive()) {
            state.SkipWithError("macro not run within 5 s");
            return;
        }
        guard.stop();
    }
    page.reset();
    agent.reset();
}
BENCHMARK(BM_MessageToMacro)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
