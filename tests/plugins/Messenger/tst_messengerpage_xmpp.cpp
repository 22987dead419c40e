// The chat page end to end: a Prosody server on loopback, the page's own XMPP
// messenger logged on as alice, and bob talking to her. What the character is
// asked to do is read from its log.
#include "PageFixture.h"
#include "ProsodyServer.h"
#include "TestPeer.h"

#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/MessengerFactory.h"
#include "platform/messenger/XmppMessenger.h"
#include "plugins/Messenger/Main.h"

#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using namespace tilvano::messenger;

namespace {

constexpr int waitMs = 20000;
const QString bobName = QStringLiteral("Bob \"der\" Baumeister");
const QString bobSpoken = QStringLiteral("Bob \"\"der\"\" Baumeister");

class RecordingNotifier : public DesktopNotifier {
public:
    explicit RecordingNotifier(QStringList &notes) : m_notes(notes) {}
    void notify(const QString &summary, const QString &body) override { m_notes.append(summary + QLatin1Char('|') + body); }

private:
    QStringList &m_notes;
};

// The real messenger for the stored account, with its desktop notes recorded.
class RecordingXmppFactory : public MessengerFactory {
public:
    RecordingXmppFactory() { setCurrent(this); }
    ~RecordingXmppFactory() override { setCurrent(nullptr); }
    std::unique_ptr<Messenger> createMessenger(ErrorInfo &error) override
    {
        auto messenger = XmppMessenger::create(error, std::make_unique<RecordingNotifier>(notes));
        if (messenger)
            messenger->setReconnectPauses(200, 1000);
        return messenger;
    }
    QStringList notes;
};

} // namespace

class TestMessengerPageXmpp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!ProsodyServer::isInstalled())
            QSKIP("prosody is not installed");
        m_bench = std::make_unique<AgentTestBench>();
        m_agent = m_bench->agentWithCharacter();
        m_server = std::make_unique<ProsodyServer>();
        QVERIFY(m_server->prepare({{QStringLiteral("alice@localhost"), QStringLiteral("Alice")},
                                   {QStringLiteral("bob@localhost"), bobName}}));
        QVERIFY2(m_server->registerAccount(QStringLiteral("alice"), QStringLiteral("geheim-a")),
                 qPrintable(m_server->lastError()));
        QVERIFY2(m_server->registerAccount(QStringLiteral("bob"), QStringLiteral("geheim-b")),
                 qPrintable(m_server->lastError()));
        QVERIFY2(m_server->start(), qPrintable(m_server->lastError() + m_server->log()));

        MessengerAccount{QStringLiteral("alice@localhost"), QStringLiteral("geheim-a"), QStringLiteral("127.0.0.1"),
                         m_server->port(), false}
            .save();
        storeMessengerMacros();
        m_factory = std::make_unique<RecordingXmppFactory>();
    }

    void cleanupTestCase()
    {
        m_page.reset();
        m_bob.reset();
        if (m_server)
            m_server->stop();
        m_factory.reset();
        m_agent.reset();
        m_bench.reset();
    }

    void logOnRunsTheLogonMacro()
    {
        m_page = std::make_unique<messengerpage::Main>();
        m_page->Init(m_agent.get());
        QVERIFY(m_page->messengerObject());
        QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("RunMacroByName: Anmeldung")), waitMs);
        QCOMPARE(m_page->messengerObject()->localState(), UserState::Online);
    }

    void contactComingOnlineIsSpoken()
    {
        QVERIFY(m_page);
        m_bench->clearLog();
        m_bob = std::make_unique<TestPeer>();
        QVERIFY(m_bob->logOn(QStringLiteral("bob@localhost"), QStringLiteral("geheim-b"), m_server->port()));
        QTRY_COMPARE_WITH_TIMEOUT(calls(), QStringList{QStringLiteral("SpeakIt: ") + bobSpoken
                                                       + QStringLiteral(" hat sich gerade angemeldet")},
                                  waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(m_factory->notes.contains(bobName + QStringLiteral("|ist jetzt angemeldet")), waitMs);
    }

    void messagesRunTheMessageMacroWithSenderAndDecodedText()
    {
        QVERIFY(m_bob);
        m_bench->clearLog();
        const qsizetype notesBefore = m_factory->notes.size();
        // Blank messages run nothing; the stream keeps the order, so the last
        // message shows the others were handled.
        m_bob->send(QStringLiteral("<message to='alice@localhost' type='chat'><body>   </body></message>"));
        m_bob->send(QStringLiteral("<message to='alice@localhost' type='chat'><body>&#13;&#10;</body></message>"));
        m_bob->send(QStringLiteral("<message to='alice@localhost' type='chat'>"
                                   "<body>SchÃ¶n &amp; \"São\" &lt;b&gt;</body></message>"));
        const QStringList expected{QStringLiteral("RunMacroText: x = \"") + bobSpoken
                                   + QStringLiteral("|Schön & \"\"São\"\" <b>\"")};
        QTRY_VERIFY2_WITH_TIMEOUT(calls() == expected, qPrintable(calls().join(QLatin1Char('\n'))), waitMs);
        QVERIFY(m_factory->notes.size() > notesBefore);
    }

    void storedChoiceSuppressesTheMessengersOwnNotes()
    {
        QVERIFY(m_bob);
        storeMessengerValue(QStringLiteral("EnableDefault"), QStringLiteral("0"));
        m_bench->clearLog();
        m_factory->notes.clear();
        m_bob->send(QStringLiteral("<message to='alice@localhost' type='chat'><body>leise</body></message>"));
        m_bob->send(QStringLiteral("<presence type='unavailable'/>"));
        m_bob->send(QStringLiteral("<presence/>"));
        QTRY_VERIFY2_WITH_TIMEOUT(calls().size() == 3, qPrintable(calls().join(QLatin1Char('\n'))), waitMs);
        QCOMPARE(calls(), (QStringList{QStringLiteral("RunMacroText: x = \"") + bobSpoken + QStringLiteral("|leise\""),
                                       QStringLiteral("SpeakIt: ") + bobSpoken + QStringLiteral(" hat uns verlassen"),
                                       QStringLiteral("SpeakIt: ") + bobSpoken
                                           + QStringLiteral(" hat sich gerade angemeldet")}));
        QCOMPARE(m_factory->notes, QStringList());
        storeMessengerValue(QStringLiteral("EnableDefault"), QStringLiteral("1"));
    }

    void lostServerRunsTheLogoffMacro()
    {
        QVERIFY(m_page);
        m_bench->clearLog();
        m_server->stop();
        QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("RunMacroByName: Abmeldung")), waitMs);
        QCOMPARE(m_page->messengerObject()->localState(), UserState::Offline);
    }

private:
    QStringList calls() const { return pageCalls(*m_bench); }

    std::unique_ptr<AgentTestBench> m_bench;
    std::unique_ptr<Agent> m_agent;
    std::unique_ptr<ProsodyServer> m_server;
    std::unique_ptr<RecordingXmppFactory> m_factory;
    std::unique_ptr<messengerpage::Main> m_page;
    std::unique_ptr<TestPeer> m_bob;
};

QTEST_MAIN(TestMessengerPageXmpp)
#include "tst_messengerpage_xmpp.moc"
