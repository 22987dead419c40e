// The messenger against a real XMPP server on loopback: log-in, messages,
// presence, file offers, invitations, refused credentials, a lost server.
#include "MessengerRecorder.h"
#include "ProsodyServer.h"
#include "TestPeer.h"

#include "support/IsolatedHome.h"
#include "platform/messenger/XmppMessenger.h"

#include <QSignalSpy>
#include <QTest>

using namespace tilvano;
using namespace tilvano::messenger;
using tilvano::test::MessengerRecorder;

namespace {

constexpr int waitMs = 20000;

class RecordingNotifier : public DesktopNotifier {
public:
    void notify(const QString &summary, const QString &body) override { notes.append(summary + QLatin1Char('|') + body); }
    QStringList notes;
};

} // namespace

class TestXmppMessenger : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void logsOnAndReportsContactsComingOnline();
    void deliversMessagesWithSenderNameAndText();
    void mapsPresenceToStateNumbers();
    void reportsFileOffers();
    void reportsConferenceInvitations();
    void strangersAreNamedByTheirVCardNickname();
    void reopeningALiveSessionStartsAfresh();
    void refusedPasswordGivesFailedLogonWithoutRetry();
    void lostServerGivesLogoffAndLaterReconnect();
    void receiverMayDeleteTheMessengerInsideAnEvent();
    void cleanupTestCase();

private:
    std::unique_ptr<XmppMessenger> makeMessenger(const QString &password, RecordingNotifier **notifier = nullptr,
                                                 const QString &server = QStringLiteral("127.0.0.1"));
    bool waitForStateOf(MessengerRecorder &rec, int count);

    std::unique_ptr<test::IsolatedHome> m_home;
    std::unique_ptr<test::ProsodyServer> m_server;
    std::unique_ptr<XmppMessenger> m_alice;
    RecordingNotifier *m_notes = nullptr;
    std::unique_ptr<MessengerRecorder> m_rec;
    std::unique_ptr<test::TestPeer> m_bob;
};

std::unique_ptr<XmppMessenger> TestXmppMessenger::makeMessenger(const QString &password, RecordingNotifier **notifier,
                                                                const QString &server)
{
    MessengerAccount account;
    account.jid = QStringLiteral("alice@localhost");
    account.password = password;
    account.server = server;
    account.port = m_server->port();
    account.requireTls = false;
    account.save();
    auto recorder = std::make_unique<RecordingNotifier>();
    if (notifier)
        *notifier = recorder.get();
    ErrorInfo error;
    auto messenger = XmppMessenger::create(error, std::move(recorder));
    if (messenger)
        messenger->setReconnectPauses(200, 1000);
    return messenger;
}

void TestXmppMessenger::initTestCase()
{
    if (!test::ProsodyServer::isInstalled())
        QSKIP("prosody is not installed");
    m_home = std::make_unique<test::IsolatedHome>();
    m_server = std::make_unique<test::ProsodyServer>();
    QVERIFY(m_server->prepare({{QStringLiteral("alice@localhost"), QStringLiteral("Alice")},
                               {QStringLiteral("bob@localhost"), QStringLiteral("Bob \"der\" Baumeister")}}));
    QVERIFY2(m_server->registerAccount(QStringLiteral("alice"), QStringLiteral("geheim-a")), qPrintable(m_server->lastError()));
    QVERIFY2(m_server->registerAccount(QStringLiteral("bob"), QStringLiteral("geheim-b")), qPrintable(m_server->lastError()));
    QVERIFY2(m_server->registerAccount(QStringLiteral("carol"), QStringLiteral("geheim-c")), qPrintable(m_server->lastError()));
    QVERIFY2(m_server->start(), qPrintable(m_server->lastError() + m_server->log()));
}

void TestXmppMessenger::cleanupTestCase()
{
    m_bob.reset();
    m_rec.reset();
    m_alice.reset();
    if (m_server)
        m_server->stop();
}

void TestXmppMessenger::logsOnAndReportsContactsComingOnline()
{
    m_alice = makeMessenger(QStringLiteral("geheim-a"), &m_notes);
    QVERIFY(m_alice);
    QCOMPARE(m_alice->localState(), UserState::Offline);
    m_rec = std::make_unique<MessengerRecorder>(*m_alice);
    QTRY_VERIFY_WITH_TIMEOUT(!m_rec->logons.isEmpty(), waitMs);
    QCOMPARE(m_rec->logons, QList<qint32>{LogonResult::Ok});
    QCOMPARE(m_alice->localState(), UserState::Online);

    m_bob = std::make_unique<test::TestPeer>();
    QVERIFY(m_bob->logOn(QStringLiteral("bob@localhost"), QStringLiteral("geheim-b"), m_server->port()));
    QTRY_VERIFY_WITH_TIMEOUT(!m_rec->states.isEmpty(), waitMs);
    const auto &change = m_rec->states.constFirst();
    QCOMPARE(change.user.friendlyName, QStringLiteral("Bob \"der\" Baumeister"));
    QCOMPARE(change.user.emailAddress, QStringLiteral("bob@localhost"));
    QCOMPARE(change.user.state, UserState::Online);
    QCOMPARE(change.previous, UserState::Offline);
    QVERIFY(m_bob->waitForFullJidOf(QStringLiteral("alice@localhost")));
}

void TestXmppMessenger::deliversMessagesWithSenderNameAndText()
{
    QVERIFY(m_bob);
    m_notes->notes.clear();
    // Markup and script-like text arrive as the characters that were sent.
    m_bob->send(QStringLiteral("<message to='alice@localhost' type='chat'><body>Schön &lt;b&gt;&quot;hi&quot;&lt;/b&gt; "
                               "&amp; Kibo.Quit</body></message>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), 1, waitMs);
    QCOMPARE(m_rec->texts[0].user.friendlyName, QStringLiteral("Bob \"der\" Baumeister"));
    QCOMPARE(m_rec->texts[0].user.emailAddress, QStringLiteral("bob@localhost"));
    QCOMPARE(m_rec->texts[0].text, QStringLiteral("Schön <b>\"hi\"</b> & Kibo.Quit"));
    QCOMPARE(m_notes->notes.size(), 1);

    // A receiver that declines the default reaction suppresses the note;
    // messages without a body (typing notices) raise nothing.
    m_rec->enableDefault = false;
    m_bob->send(QStringLiteral("<message to='alice@localhost' type='chat'><composing xmlns='http://jabber.org/protocol/chatstates'/></message>"));
    m_bob->send(QStringLiteral("<message to='alice@localhost'><body>zwei</body></message>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), 2, waitMs);
    QCOMPARE(m_rec->texts[1].text, QStringLiteral("zwei"));
    QCOMPARE(m_notes->notes.size(), 1);
    m_rec->enableDefault = true;
}

void TestXmppMessenger::mapsPresenceToStateNumbers()
{
    QVERIFY(m_bob);
    struct Step { QString presence; int state; int previous; };
    const QList<Step> steps = {
        {QStringLiteral("<presence><show>away</show></presence>"), UserState::Away, UserState::Online},
        {QStringLiteral("<presence><show>dnd</show></presence>"), UserState::Busy, UserState::Away},
        {QStringLiteral("<presence><show>xa</show></presence>"), UserState::OutToLunch, UserState::Busy},
        {QStringLiteral("<presence><show>away</show><status>brb</status></presence>"), UserState::BeRightBack, UserState::OutToLunch},
        {QStringLiteral("<presence><show>dnd</show><status>Telefoniere gerade</status></presence>"), UserState::OnThePhone, UserState::BeRightBack},
        {QStringLiteral("<presence><show>chat</show></presence>"), UserState::Online, UserState::OnThePhone},
        {QStringLiteral("<presence type='unavailable'/>"), UserState::Offline, UserState::Online},
        {QStringLiteral("<presence/>"), UserState::Online, UserState::Offline},
    };
    for (const Step &step : steps) {
        const qsizetype before = m_rec->states.size();
        m_bob->send(step.presence);
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->states.size(), before + 1, waitMs);
        QCOMPARE(m_rec->states.last().user.state, step.state);
        QCOMPARE(m_rec->states.last().previous, step.previous);
    }
    // The same state again is no change.
    m_bob->send(QStringLiteral("<presence/>"));
    m_bob->send(QStringLiteral("<message to='alice@localhost'><body>marker</body></message>"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_rec->texts.isEmpty() && m_rec->texts.last().text == QLatin1String("marker"), waitMs);
    QCOMPARE(m_rec->states.last().user.state, UserState::Online);
    QCOMPARE(m_rec->states.last().previous, UserState::Offline);
}

void TestXmppMessenger::reportsFileOffers()
{
    QVERIFY(m_bob);
    const QString alice = m_bob->fullJidOf(QStringLiteral("alice@localhost"));
    QVERIFY(!alice.isEmpty());
    m_bob->send(QStringLiteral("<iq type='set' id='si1' to='%1'><si xmlns='http://jabber.org/protocol/si' id='s1' "
                               "profile='http://jabber.org/protocol/si/profile/file-transfer'>"
                               "<file xmlns='http://jabber.org/protocol/si/profile/file-transfer' name='bericht.pdf' size='1024'/>"
                               "</si></iq>").arg(alice));
    m_bob->send(QStringLiteral("<iq type='set' id='j1' to='%1'><jingle xmlns='urn:xmpp:jingle:1' action='session-initiate' sid='a'>"
                               "<content creator='initiator' name='f'><description xmlns='urn:xmpp:jingle:apps:file-transfer:5'>"
                               "<file><name>urlaub.jpg</name><size>2048</size></file></description></content></jingle></iq>").arg(alice));
    m_bob->send(QStringLiteral("<message to='alice@localhost'><body>https://example.org/a/b/Liste%20neu.txt</body>"
                               "<x xmlns='jabber:x:oob'><url>https://example.org/a/b/Liste%20neu.txt</url></x></message>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->files.size(), 3, waitMs);
    QCOMPARE(m_rec->files[0].name, QStringLiteral("bericht.pdf"));
    QCOMPARE(m_rec->files[0].size, 1024);
    QCOMPARE(m_rec->files[0].user.emailAddress, QStringLiteral("bob@localhost"));
    QCOMPARE(m_rec->files[1].name, QStringLiteral("urlaub.jpg"));
    QCOMPARE(m_rec->files[2].name, QStringLiteral("Liste neu.txt"));
    // The offer with a link is a file, not a chat message as well.
    QVERIFY(m_rec->texts.isEmpty() || !m_rec->texts.last().text.startsWith(QLatin1String("https:")));
    // The sender is told at once that we do not take the file here.
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_bob->received().cbegin(), m_bob->received().cend(), [](const XmlNode &n) {
        return n.attribute(QStringLiteral("id")) == QLatin1String("si1") && n.attribute(QStringLiteral("type")) == QLatin1String("error");
    }), waitMs);
}

void TestXmppMessenger::reportsConferenceInvitations()
{
    QVERIFY(m_bob);
    m_bob->send(QStringLiteral("<message to='alice@localhost'><x xmlns='jabber:x:conference' jid='Kaffee@conference.localhost' "
                               "reason='Pause?'/></message>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->invites.size(), 1, waitMs);
    QCOMPARE(m_rec->invites[0].appName, QStringLiteral("kaffee@conference.localhost"));
    QCOMPARE(m_rec->invites[0].user.friendlyName, QStringLiteral("Bob \"der\" Baumeister"));

    // Mediated: Bob enters a room and has the room invite Alice.
    m_bob->send(QStringLiteral("<presence to='teeküche@conference.localhost/Bob'><x xmlns='http://jabber.org/protocol/muc'/></presence>"));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_bob->received().cbegin(), m_bob->received().cend(), [](const XmlNode &n) {
        return n.name == QLatin1String("presence") && n.attribute(QStringLiteral("from")).startsWith(QStringLiteral("teeküche@"));
    }), waitMs);
    m_bob->send(QStringLiteral("<message to='teeküche@conference.localhost'><x xmlns='http://jabber.org/protocol/muc#user'>"
                               "<invite to='alice@localhost'><reason>Kuchen</reason></invite></x></message>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->invites.size(), 2, waitMs);
    QCOMPARE(m_rec->invites[1].appName, QStringLiteral("teeküche@conference.localhost"));
    // The room hides Bob's address; he is named by his seat in it.
    QCOMPARE(m_rec->invites[1].user.friendlyName, QStringLiteral("Bob"));
    QCOMPARE(m_rec->invites[1].user.emailAddress, QStringLiteral("teeküche@conference.localhost/Bob"));
}

void TestXmppMessenger::strangersAreNamedByTheirVCardNickname()
{
    QVERIFY(m_alice);
    test::TestPeer carol;
    QVERIFY(carol.logOn(QStringLiteral("carol@localhost"), QStringLiteral("geheim-c"), m_server->port()));
    carol.send(QStringLiteral("<iq type='set' id='v1'><vCard xmlns='vcard-temp'><NICKNAME>Caro</NICKNAME></vCard></iq>"));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(carol.received().cbegin(), carol.received().cend(), [](const XmlNode &n) {
        return n.attribute(QStringLiteral("id")) == QLatin1String("v1");
    }), waitMs);

    // The first message arrives before her card can; later ones carry the name.
    const qsizetype before = m_rec->texts.size();
    carol.send(QStringLiteral("<message to='alice@localhost'><body>Hallo</body></message>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), before + 1, waitMs);
    QCOMPARE(m_rec->texts.last().user.friendlyName, QStringLiteral("carol@localhost"));
    for (int attempt = 0; attempt < 50 && m_rec->texts.last().user.friendlyName != QLatin1String("Caro"); ++attempt) {
        const qsizetype count = m_rec->texts.size();
        carol.send(QStringLiteral("<message to='alice@localhost'><body>Noch da?</body></message>"));
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), count + 1, waitMs);
    }
    QCOMPARE(m_rec->texts.last().user.friendlyName, QStringLiteral("Caro"));
    QCOMPARE(m_rec->texts.last().user.emailAddress, QStringLiteral("carol@localhost"));
}

void TestXmppMessenger::reopeningALiveSessionStartsAfresh()
{
    StropheSession session;
    QSignalSpy online(&session, &StropheSession::online);
    QSignalSpy ended(&session, &StropheSession::ended);
    const StropheSession::Target target{QStringLiteral("carol@localhost"), QStringLiteral("geheim-c"),
                                        QStringLiteral("127.0.0.1"), m_server->port(), false};
    session.open(target);
    QVERIFY(online.wait(waitMs));
    const QString first = session.boundJid();
    // Opening again drops the live connection without its end reaching the
    // new one.
    session.open(target);
    QVERIFY(online.wait(waitMs));
    QVERIFY(session.isOnline());
    QVERIFY(session.boundJid() != first);
    session.close();
    QVERIFY(ended.wait(waitMs));
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.at(0).at(0).value<StropheSession::EndReason>(), StropheSession::EndReason::Closed);
}

void TestXmppMessenger::refusedPasswordGivesFailedLogonWithoutRetry()
{
    test::IsolatedHome otherHome;
    // By name this time: resolved in the background, and an address the
    // server does not listen on (::1, where the system lists it) is passed over.
    auto wrong = makeMessenger(QStringLiteral("falsch"), nullptr, QStringLiteral("localhost"));
    QVERIFY(wrong);
    MessengerRecorder rec(*wrong);
    QTRY_VERIFY_WITH_TIMEOUT(!rec.logons.isEmpty(), waitMs);
    QCOMPARE(rec.logons, QList<qint32>{LogonResult::CredentialsRefused});
    QCOMPARE(wrong->localState(), UserState::Offline);
    // No further attempt is planned: the pause was never consumed.
    QCOMPARE(wrong->nextReconnectPauseMs(), 200);
}

void TestXmppMessenger::lostServerGivesLogoffAndLaterReconnect()
{
    QVERIFY(m_alice);
    m_bob.reset();
    m_rec->logons.clear();
    m_server->stop();
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->logoffStates.size(), 1, waitMs);
    QCOMPARE(m_rec->logoffStates[0], UserState::Offline);
    QCOMPARE(m_alice->localState(), UserState::Offline);
    // Attempts while the server is away fail, with growing pauses.
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.size() >= 2, waitMs);
    QVERIFY(m_rec->logons.contains(LogonResult::ServerUnreachable));
    QVERIFY(m_alice->nextReconnectPauseMs() > 200);

    QVERIFY2(m_server->start(), qPrintable(m_server->lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.contains(LogonResult::Ok), waitMs);
    QCOMPARE(m_alice->localState(), UserState::Online);
}

void TestXmppMessenger::receiverMayDeleteTheMessengerInsideAnEvent()
{
    QVERIFY(m_alice);
    // A page switched off from inside a macro drops its messenger while the
    // event is still being delivered; the rest of the delivery must not touch it.
    QObject::connect(m_alice.get(), &Messenger::OnTextReceived, m_alice.get(),
                     [this](const MessengerUser &, const QString &, const QString &, bool &) {
                         m_rec.reset();
                         m_alice.reset();
                     });
    test::TestPeer carol;
    QVERIFY(carol.logOn(QStringLiteral("carol@localhost"), QStringLiteral("geheim-c"), m_server->port()));
    carol.send(QStringLiteral("<message to='alice@localhost'><body>Tschüss</body></message>"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_alice, waitMs);
    // The event loop goes on with the session's leftovers without harm.
    QTest::qWait(100);
}

QTEST_GUILESS_MAIN(TestXmppMessenger)
#include "tst_xmppmessenger.moc"
