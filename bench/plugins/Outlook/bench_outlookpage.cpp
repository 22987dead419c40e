// The mail page: time from a message renamed into new/, and from a message
// appended over IMAP (a Dovecot on loopback, watched with IDLE), to the
// page's macro running (the character being asked to speak the subject).

#include "AgentCtl/Agent.h"
#include "common/MacroScript.h"
#include "common/MacroStore.h"
#include "platform/mail/MailService.h"
#include "platform/mail/MailServices.h"
#include "plugins/Outlook/Main.h"
#include "support/AgentTestBench.h"
#include "support/DovecotServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <vector>

#include <benchmark/benchmark.h>

using namespace tilvano;

namespace {

const QByteArray kMessage = "From: Anna <anna@example.org>\r\nTo: ich@example.org\r\nSubject: Hallo\r\n"
                            "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nBis morgen.\r\n";

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

// The macro for one new mail: the character speaks the sender and subject.
void chooseNewMailMacro()
{
    StoreMacro(0, QStringLiteral("Post"),
               composeScriptText({speakStatement(QStringLiteral("Post von <SENDER>: <SUBJECT>")).scriptLine}));
    SaveSetting(settingsApplication(), QStringLiteral("Outlook2000"), QStringLiteral("NewMailMacro"),
                QStringLiteral("Post"));
}

// Waits for that macro to be spoken, or for the time limit.
class MacroWait {
public:
    explicit MacroWait(Agent &agent)
    {
        QObject::connect(&agent, &Agent::EvSpeak, &m_loop, [this](QString &text) {
            if (text.startsWith(QStringLiteral("Post von")))
                m_loop.quit();
        });
        m_guard.setSingleShot(true);
        QObject::connect(&m_guard, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    }
    // Starts the time limit; wait() ends within it.
    void arm(int ms) { m_guard.start(ms); }
    // True when the macro ran in time.
    bool wait()
    {
        m_loop.exec();
        const bool inTime = m_guard.isActive();
        m_guard.stop();
        return inTime;
    }

private:
    QEventLoop m_loop;
    QTimer m_guard;
};

void BM_NewMailToMacro(benchmark::State &state)
{
    test::AgentTestBench bench;
    test::AgentTestBench::saveStored(QStringLiteral("Logging"), QStringLiteral("0"));
    const QString maildir = QDir::homePath() + QStringLiteral("/Maildir");
    for (const char *sub : {"cur", "new", "tmp"})
        QDir().mkpath(maildir + QLatin1Char('/') + QLatin1String(sub));
    chooseNewMailMacro();

    auto agent = bench.agentWithCharacter();
    auto page = std::make_unique<outlook::Main>();
    page->Init(agent.get());
    if (!page->isConnected()) {
        state.SkipWithError("page not connected to the Maildir");
        return;
    }

    MacroWait macro(*agent);
    QCoreApplication::processEvents(); // the start-up greeting

    int n = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("%1.M1P1Q%2.bench").arg(1700000000 + n).arg(n);
        ++n;
        writeFile(maildir + QStringLiteral("/tmp/") + name, kMessage);
        QElapsedTimer timer;
        timer.start();
        macro.arm(2000);
        QFile::rename(maildir + QStringLiteral("/tmp/") + name, maildir + QStringLiteral("/new/") + name);
        const bool inTime = macro.wait();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!inTime)
            state.SkipWithError("macro not run within 2 s");
        // Read, so the next message is again the only unread one.
        QFile::rename(maildir + QStringLiteral("/new/") + name, maildir + QStringLiteral("/cur/") + name
                                                                    + QStringLiteral(":2,S"));
        QCoreApplication::processEvents();
    }
    page.reset();
    agent.reset();
}
BENCHMARK(BM_NewMailToMacro)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

// A second client in IDLE on the same inbox, as another mail program would
// be: when the server tells it of new mail, the server's own part of the
// time is over, and what follows is ours.
class IdleObserver {
public:
    bool start(quint16 port, const QString &user, const QString &password)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        if (!m_socket.waitForConnected(5000))
            return false;
        const QByteArray login = "a LOGIN " + user.toUtf8() + ' ' + password.toUtf8() + "\r\nb SELECT INBOX\r\nc IDLE\r\n";
        m_socket.write(login);
        QElapsedTimer waited;
        waited.start();
        QByteArray seen;
        while (!seen.contains("+ idling") && waited.elapsed() < 5000 && m_socket.waitForReadyRead(1000))
            seen += m_socket.readAll();
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] {
            if (m_socket.readAll().contains(" EXISTS"))
                m_told.start();
        });
        return seen.contains("+ idling");
    }
    void reset() { m_told.invalidate(); }
    // Milliseconds since the server told of new mail; -1 when it did not yet.
    double sinceTold() const { return m_told.isValid() ? double(m_told.nsecsElapsed()) / 1e6 : -1; }

private:
    QTcpSocket m_socket;
    QElapsedTimer m_told;
};

void BM_ImapAppendToMacro(benchmark::State &state)
{
    test::DovecotServer server;
    if (!server.start()) {
        state.SkipWithError(qPrintable(QStringLiteral("no Dovecot: ") + server.lastError()));
        return;
    }
    test::AgentTestBench bench;
    test::AgentTestBench::saveStored(QStringLiteral("Logging"), QStringLiteral("0"));
    const auto mailSetting = [](const char *key, const QString &value) {
        SaveSetting(settingsApplication(), QStringLiteral("Mail"), QLatin1String(key), value);
    };
    mailSetting("Source", QStringLiteral("imap"));
    mailSetting("ImapHost", QStringLiteral("127.0.0.1"));
    mailSetting("ImapPort", QString::number(server.port()));
    mailSetting("ImapSecurity", QStringLiteral("none"));
    mailSetting("ImapUser", server.user());
    mailSetting("ImapPassword", server.password());
    chooseNewMailMacro();

    auto agent = bench.agentWithCharacter();
    auto page = std::make_unique<outlook::Main>();
    page->Init(agent.get());
    QElapsedTimer connecting;
    connecting.start();
    auto application = mail::MailServices::mail().runningApplication();
    while (application && !application->unreadCount().ok() && connecting.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!application || !application->unreadCount().ok()) {
        state.SkipWithError("page not connected to the IMAP account");
        return;
    }

    MacroWait macro(*agent);
    IdleObserver observer;
    if (!observer.start(server.port(), server.user(), server.password())) {
        state.SkipWithError("no second IDLE client");
        return;
    }

    std::vector<double> ours;
    for (auto _ : state) {
        observer.reset();
        QElapsedTimer timer;
        timer.start();
        macro.arm(5000);
        server.append(QStringLiteral("INBOX"), kMessage);
        const bool inTime = macro.wait();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        // Both clients are told at the same moment; the observer may only
        // hear of it once the loop turns again.
        QCoreApplication::processEvents();
        ours.push_back(observer.sinceTold());
        if (!inTime)
            state.SkipWithError("macro not run within 5 s");
        // Read, so the next message is again the only unread one.
        server.setSeen(QStringLiteral("INBOX"), "1:*");
        application->startSendAndReceive();
        QElapsedTimer settle;
        settle.start();
        while (application->unreadCount().value != 0 && settle.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        // The server holds back what it tells IDLE clients for half a second
        // after a change; the next mail should not land in that window.
        while (settle.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    std::sort(ours.begin(), ours.end());
    if (!ours.empty())
        state.counters["after_server_told_ms"] = ours[ours.size() / 2];
    page.reset();
    agent.reset();
}
BENCHMARK(BM_ImapAppendToMacro)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
