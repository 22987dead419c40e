// Time from a message sent by one account to OnTextReceived being raised for
// the other, through a Prosody server on loopback.
#include "ProsodyServer.h"
#include "TestPeer.h"

#include "platform/messenger/XmppMessenger.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

using namespace tilvano;
using namespace tilvano::messenger;

namespace {

class SilentNotifier : public DesktopNotifier {
public:
    void notify(const QString &, const QString &) override {}
};

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

void BM_MessageToOnTextReceived(benchmark::State &state)
{
    test::ProsodyServer server;
    if (!server.prepare({{QStringLiteral("alice@localhost"), QStringLiteral("Alice")},
                         {QStringLiteral("bob@localhost"), QStringLiteral("Bob")}})
        || !server.registerAccount(QStringLiteral("alice"), QStringLiteral("a"))
        || !server.registerAccount(QStringLiteral("bob"), QStringLiteral("b")) || !server.start()) {
        state.SkipWithError("prosody could not be started");
        return;
    }
    MessengerAccount account{QStringLiteral("alice@localhost"), QStringLiteral("a"), QStringLiteral("127.0.0.1"),
                             server.port(), false};
    XmppMessenger alice(account, std::make_unique<SilentNotifier>());
    int received = 0;
    QObject::connect(&alice, &Messenger::OnTextReceived, &alice,
                     [&](const MessengerUser &, const QString &, const QString &, bool &) { ++received; });
    test::TestPeer bob;
    if (!waitFor([&] { return alice.localState() == UserState::Online; }, 20000)
        || !bob.logOn(QStringLiteral("bob@localhost"), QStringLiteral("b"), server.port())) {
        state.SkipWithError("log-in failed");
        return;
    }
    const QByteArray message = "<message to='alice@localhost' type='chat'><body>Hallo Alice, wie geht es?</body></message>";
    for (auto _ : state) {
        const int before = received;
        QElapsedTimer clock;
        clock.start();
        bob.session.send(message);
        if (!waitFor([&] { return received > before; }, 5000)) {
            state.SkipWithError("message did not arrive");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_MessageToOnTextReceived)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
