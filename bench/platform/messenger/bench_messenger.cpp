// The messenger against a Prosody server on loopback. Time from a message
// sent by one account to OnTextReceived being raised for the other: to the
// user's address, taken by their own client (priority 5), and seen by the
// messenger as a carbon. And how often a logged-on, idle messenger wakes
// the program in a minute.
#include "support/ProsodyServer.h"
#include "support/TestPeer.h"

#include "platform/messenger/XmppMessenger.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QElapsedTimer>
#include <QTimer>

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

// A server with alice and bob, and alice's messenger logged on to it; null
// (and the benchmark skipped) when either fails.
std::unique_ptr<XmppMessenger> aliceLoggedOn(test::ProsodyServer &server, benchmark::State &state)
{
    if (!server.prepare({{QStringLiteral("alice@localhost"), QStringLiteral("Alice")},
                         {QStringLiteral("bob@localhost"), QStringLiteral("Bob")}})
        || !server.registerAccount(QStringLiteral("alice"), QStringLiteral("a"))
        || !server.registerAccount(QStringLiteral("bob"), QStringLiteral("b")) || !server.start()) {
        state.SkipWithError("prosody could not be started");
        return nullptr;
    }
    MessengerAccount account{QStringLiteral("alice@localhost"), QStringLiteral("a"), QStringLiteral("127.0.0.1"),
                             server.port(), false};
    auto alice = std::make_unique<XmppMessenger>(account, std::make_unique<SilentNotifier>());
    if (!waitFor([&] { return alice->localState() == UserState::Online; }, 20000)) {
        state.SkipWithError("log-in failed");
        return nullptr;
    }
    return alice;
}

void BM_MessageToOnTextReceived(benchmark::State &state)
{
    test::ProsodyServer server;
    const std::unique_ptr<XmppMessenger> alice = aliceLoggedOn(server, state);
    if (!alice)
        return;
    int received = 0;
    QObject::connect(alice.get(), &Messenger::OnTextReceived, alice.get(),
                     [&](const MessengerUser &, const QString &, const QString &, bool &) { ++received; });
    test::TestPeer bob;
    test::TestPeer aliceClient;
    if (!bob.logOn(QStringLiteral("bob@localhost"), QStringLiteral("b"), server.port())
        || !aliceClient.logOn(QStringLiteral("alice@localhost/pc"), QStringLiteral("a"), server.port(),
                              QStringLiteral("<presence><priority>5</priority></presence>"))) {
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

// Sleeps and wake-ups of every thread of this program so far.
qint64 wakeUpsOfThisProcess()
{
    qint64 total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return total;
}

// A logged-on messenger left alone for a minute: how often the program
// wakes (the keep-alive ping and its answer, and nothing else).
void BM_IdleWakeUpsPerMinute(benchmark::State &state)
{
    test::ProsodyServer server;
    const std::unique_ptr<XmppMessenger> alice = aliceLoggedOn(server, state);
    if (!alice)
        return;
    waitFor([] { return false; }, 4000); // the answers to the log-on
    for (auto _ : state) {
        const qint64 before = wakeUpsOfThisProcess();
        QEventLoop idle;
        QTimer::singleShot(60 * 1000, &idle, &QEventLoop::quit);
        idle.exec();
        state.counters["wakeups"] = double(wakeUpsOfThisProcess() - before);
    }
}
BENCHMARK(BM_IdleWakeUpsPerMinute)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
