// The messenger against a real XMPP server on loopback, as an extra client of
// an account whose user has a real client too: offline storage, carbons,
// what counts as news at log-on and after a reconnect, messages, presence,
// file offers, invitations, refused credentials and encryption, DNS SRV, a
// lost server, and how often an idle connection wakes the program.
#include "LoopbackDnsServer.h"
#include "MessengerRecorder.h"
#include "support/ProsodyServer.h"
#include "support/TestPeer.h"

#include "support/IsolatedHome.h"
#include "platform/messenger/XmppMessenger.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tilvano;
using namespace tilvano::messenger;
using tilvano::test::MessengerRecorder;
using tilvano::test::TestPeer;

namespace {

constexpr int waitMs = 20000;
const QString alice = QStringLiteral("alice@localhost");
const QString bob = QStringLiteral("bob@localhost");
const QString bobName = QStringLiteral("Bob \"der\" Baumeister");

class RecordingNotifier : public DesktopNotifier {
public:
    void notify(const QString &summary, const QString &body) override { notes.append(summary + QLatin1Char('|') + body); }
    QStringList notes;
};

// How often this thread has gone to sleep and been woken since it started.
qint64 wakeUpsOfThisThread()
{
    QFile status(QStringLiteral("/proc/thread-self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return -1;
}

} // namespace

class TestXmppMessenger : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void offlineMessagesStayForTheUsersOwnClient();
    void messagesToTheUserReachTheirClientAndAreAnnouncedOnce();
    void logOnAmongOnlineContactsAnnouncesOnlyLaterChanges();
    void mapsPresenceToStateNumbers();
    void reportsFileOffers();
    void reportsConferenceInvitations();
    void strangersAreNamedByTheirVCardNickname();
    void anIdleConnectionSleeps();
    void reconnectAfterALostConnectionIsQuietToo();
    void keepAlivePingsFindAServerThatStoppedAnswering();
    void reopeningALiveSessionStartsAfresh();
    void refusedPasswordIsShownAndNotRetried();
    void encryptionIsDemandedUnlessAllowedForALocalServer();
    void anUntrustedCertificateIsShownAndNotRetried();
    void findsTheServerThroughDnsSrv();
    void lostServerIsAnnouncedOnceAndRetried();
    void receiverMayDeleteTheMessengerInsideAnEvent();
    void cleanupTestCase();

private:
    std::unique_ptr<XmppMessenger> makeMessenger(const QString &password, const QString &server,
                                                 bool requireTls = false);
    void startCompanion();
    // A message from bob straight to the companion, and its arrival: what
    // was sent before it has been handled by then.
    void sendMarker();
    std::unique_ptr<TestPeer> logOn(const QString &user, const QString &presence = QStringLiteral("<presence/>"));

    std::unique_ptr<test::IsolatedHome> m_home;
    std::unique_ptr<test::ProsodyServer> m_server;
    std::unique_ptr<XmppMessenger> m_alice;
    RecordingNotifier *m_notes = nullptr;
    std::unique_ptr<MessengerRecorder> m_rec;
    QString m_companionJid;
    std::unique_ptr<TestPeer> m_bob;
    std::unique_ptr<TestPeer> m_aliceClient;
    QList<std::shared_ptr<TestPeer>> m_others;
    int m_markers = 0;
};

std::unique_ptr<XmppMessenger> TestXmppMessenger::makeMessenger(const QString &password, const QString &server,
                                                                bool requireTls)
{
    MessengerAccount account;
    account.jid = alice;
    account.password = password;
    account.server = server;
    account.port = m_server->port();
    account.requireTls = requireTls;
    auto notifier = std::make_unique<RecordingNotifier>();
    m_notes = notifier.get();
    auto messenger = std::make_unique<XmppMessenger>(account, std::move(notifier));
    messenger->setReconnectPauses(200, 1000);
    messenger->setSettlePause(0);
    return messenger;
}

std::unique_ptr<TestPeer> TestXmppMessenger::logOn(const QString &user, const QString &presence)
{
    // "alice/pc" logs on as alice@localhost/pc.
    auto peer = std::make_unique<TestPeer>();
    const QString name = user.section(QLatin1Char('/'), 0, 0);
    const QString resource = user.section(QLatin1Char('/'), 1);
    const QString jid = name + QStringLiteral("@localhost") + (resource.isEmpty() ? QString() : QLatin1Char('/') + resource);
    if (!peer->logOn(jid, QStringLiteral("geheim-") + name, m_server->port(), presence))
        return nullptr;
    return peer;
}

void TestXmppMessenger::startCompanion()
{
    const QString previous = m_companionJid;
    m_rec.reset();
    m_alice = makeMessenger(QStringLiteral("geheim-alice"), QStringLiteral("127.0.0.1"));
    m_rec = std::make_unique<MessengerRecorder>(*m_alice);
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.contains(LogonResult::Ok), waitMs);
    // Bob has seen the companion: the server has answered its presence.
    m_companionJid = m_bob->waitForCompanionOf(alice, previous);
    QVERIFY(!m_companionJid.isEmpty());
}

void TestXmppMessenger::sendMarker()
{
    const QString text = QStringLiteral("Markierung %1").arg(++m_markers);
    // Without a desktop note of its own.
    const bool enableDefault = std::exchange(m_rec->enableDefault, false);
    m_bob->send(QStringLiteral("<message to='%1' type='chat'><body>%2</body></message>").arg(m_companionJid, text));
    QTRY_VERIFY_WITH_TIMEOUT(!m_rec->texts.isEmpty() && m_rec->texts.last().text == text, waitMs);
    m_rec->texts.removeLast();
    m_rec->enableDefault = enableDefault;
}

void TestXmppMessenger::initTestCase()
{
    if (!test::ProsodyServer::isInstalled())
        QFAIL("prosody is not installed");
    m_home = std::make_unique<test::IsolatedHome>();
    m_server = std::make_unique<test::ProsodyServer>();
    QVERIFY(m_server->prepare({{alice, QStringLiteral("Alice")},
                               {bob, bobName},
                               {QStringLiteral("dave@localhost"), QStringLiteral("Dave")},
                               {QStringLiteral("erin@localhost"), QStringLiteral("Erin")}}));
    for (const char *user : {"alice", "bob", "carol", "dave", "erin"}) {
        const QString name = QString::fromLatin1(user);
        QVERIFY2(m_server->registerAccount(name, QStringLiteral("geheim-") + name), qPrintable(m_server->lastError()));
    }
    QVERIFY2(m_server->start(), qPrintable(m_server->lastError() + m_server->log()));
}

void TestXmppMessenger::cleanupTestCase()
{
    m_others.clear();
    m_aliceClient.reset();
    m_bob.reset();
    m_rec.reset();
    m_alice.reset();
    if (m_server)
        m_server->stop();
}

void TestXmppMessenger::offlineMessagesStayForTheUsersOwnClient()
{
    m_bob = logOn(QStringLiteral("bob"));
    QVERIFY(m_bob);
    // Nobody of alice's is online: the server keeps it for her.
    m_bob->send(QStringLiteral("<message to='%1' type='chat' id='kept'><body>Für später</body></message>").arg(alice));

    startCompanion();
    QCOMPARE(m_alice->localState(), UserState::Online);
    QCOMPARE(m_alice->connectionProblem(), QString());
    sendMarker();
    QVERIFY(m_rec->texts.isEmpty());

    // The user's own client still finds it, and the companion says nothing.
    m_aliceClient = logOn(QStringLiteral("alice/pc"), QStringLiteral("<presence><priority>5</priority></presence>"));
    QVERIFY(m_aliceClient);
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_aliceClient->received().cbegin(), m_aliceClient->received().cend(),
                                         [](const XmlNode &n) {
                                             return n.childText(QStringLiteral("body")) == QStringLiteral("Für später");
                                         }),
                             waitMs);
    sendMarker();
    QVERIFY(m_rec->texts.isEmpty());
}

void TestXmppMessenger::messagesToTheUserReachTheirClientAndAreAnnouncedOnce()
{
    QVERIFY(m_aliceClient);
    m_notes->notes.clear();
    // To her address: the server routes it to her own client (priority 5),
    // and the companion hears of it through a carbon, once. Markup and
    // script-like text arrive as the characters that were sent.
    m_bob->send(QStringLiteral("<message to='%1' type='chat' id='m1'><body>Schön &lt;b&gt;&quot;hi&quot;&lt;/b&gt; "
                               "&amp; Kibo.Quit</body></message>").arg(alice));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), 1, waitMs);
    QCOMPARE(m_rec->texts[0].user.friendlyName, bobName);
    QCOMPARE(m_rec->texts[0].user.emailAddress, bob);
    QCOMPARE(m_rec->texts[0].text, QStringLiteral("Schön <b>\"hi\"</b> & Kibo.Quit"));
    QCOMPARE(m_notes->notes.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_aliceClient->received().cbegin(), m_aliceClient->received().cend(),
                                         [](const XmlNode &n) { return n.attribute(QStringLiteral("id")) == QLatin1String("m1"); }),
                             waitMs);

    // Not news: what the user writes from her client, a "carbon" forged by
    // someone else, a message stamped as delayed, and the same message again.
    m_aliceClient->send(QStringLiteral("<message to='%1' type='chat'><body>Antwort</body></message>").arg(bob));
    m_bob->send(QStringLiteral("<message to='%1'><received xmlns='urn:xmpp:carbons:2'><forwarded xmlns='urn:xmpp:forward:0'>"
                               "<message from='erin@localhost/x' to='%2' type='chat'><body>gefälscht</body></message>"
                               "</forwarded></received></message>").arg(m_companionJid, alice));
    m_bob->send(QStringLiteral("<message to='%1' type='chat'><body>alt</body>"
                               "<delay xmlns='urn:xmpp:delay' stamp='2024-05-01T08:00:00Z'/></message>").arg(m_companionJid));
    m_bob->send(QStringLiteral("<message to='%1' type='chat' id='m1'><body>nochmal</body></message>").arg(m_companionJid));
    // A receiver that declines the default reaction suppresses the note;
    // messages without a body (typing notices) raise nothing.
    m_rec->enableDefault = false;
    m_bob->send(QStringLiteral("<message to='%1' type='chat'><composing xmlns='http://jabber.org/protocol/chatstates'/>"
                               "</message>").arg(m_companionJid));
    m_bob->send(QStringLiteral("<message to='%1'><body>zwei</body></message>").arg(m_companionJid));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), 2, waitMs);
    QCOMPARE(m_rec->texts[1].text, QStringLiteral("zwei"));
    QCOMPARE(m_notes->notes.size(), 1);
    m_rec->enableDefault = true;
    sendMarker();
    QCOMPARE(m_rec->texts.size(), 2);
}

void TestXmppMessenger::logOnAmongOnlineContactsAnnouncesOnlyLaterChanges()
{
    auto dave = logOn(QStringLiteral("dave"));
    auto erin = logOn(QStringLiteral("erin"), QStringLiteral("<presence><show>dnd</show></presence>"));
    QVERIFY(dave && erin);
    m_others = {std::move(dave), std::move(erin)};

    // Three contacts online when the companion logs on: nobody is news.
    startCompanion();
    sendMarker();
    QCOMPARE(m_rec->states.size(), 0);
    QCOMPARE(m_notes->notes, QStringList());

    // What they do afterwards is.
    m_bob->send(QStringLiteral("<presence><show>away</show></presence>"));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->states.size(), 1, waitMs);
    QCOMPARE(m_rec->states[0].user.emailAddress, bob);
    QCOMPARE(m_rec->states[0].user.state, UserState::Away);
    QCOMPARE(m_rec->states[0].previous, UserState::Online);
    sendMarker();
    QCOMPARE(m_rec->states.size(), 1);
}

void TestXmppMessenger::mapsPresenceToStateNumbers()
{
    QVERIFY(m_bob);
    struct Step { QString presence; int state; int previous; };
    const QList<Step> steps = {
        {QStringLiteral("<presence><show>dnd</show></presence>"), UserState::Busy, UserState::Away},
        {QStringLiteral("<presence><show>xa</show></presence>"), UserState::Away, UserState::Busy},
        {QStringLiteral("<presence><show>away</show><status>brb</status></presence>"), UserState::BeRightBack, UserState::Away},
        {QStringLiteral("<presence><show>dnd</show><status>Telefoniere gerade</status></presence>"), UserState::OnThePhone, UserState::BeRightBack},
        {QStringLiteral("<presence><show>xa</show><status>Mittagspause</status></presence>"), UserState::OutToLunch, UserState::OnThePhone},
        {QStringLiteral("<presence><show>chat</show><status>neues iPhone</status></presence>"), UserState::Online, UserState::OutToLunch},
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
    const qsizetype before = m_rec->states.size();
    m_bob->send(QStringLiteral("<presence/>"));
    sendMarker();
    QCOMPARE(m_rec->states.size(), before);
}

void TestXmppMessenger::reportsFileOffers()
{
    QVERIFY(m_bob);
    m_bob->send(QStringLiteral("<iq type='set' id='si1' to='%1'><si xmlns='http://jabber.org/protocol/si' id='s1' "
                               "profile='http://jabber.org/protocol/si/profile/file-transfer'>"
                               "<file xmlns='http://jabber.org/protocol/si/profile/file-transfer' name='bericht.pdf' size='1024'/>"
                               "</si></iq>").arg(m_companionJid));
    m_bob->send(QStringLiteral("<iq type='set' id='j1' to='%1'><jingle xmlns='urn:xmpp:jingle:1' action='session-initiate' sid='a'>"
                               "<content creator='initiator' name='f'><description xmlns='urn:xmpp:jingle:apps:file-transfer:5'>"
                               "<file><name>urlaub.jpg</name><size>2048</size></file></description></content></jingle></iq>").arg(m_companionJid));
    m_bob->send(QStringLiteral("<message to='%1'><body>https://example.org/a/b/Liste%20neu.txt</body>"
                               "<x xmlns='jabber:x:oob'><url>https://example.org/a/b/Liste%20neu.txt</url></x></message>").arg(m_companionJid));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->files.size(), 3, waitMs);
    QCOMPARE(m_rec->files[0].name, QStringLiteral("bericht.pdf"));
    QCOMPARE(m_rec->files[0].size, 1024);
    QCOMPARE(m_rec->files[0].user.emailAddress, bob);
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
    m_bob->send(QStringLiteral("<message to='%1'><x xmlns='jabber:x:conference' jid='Kaffee@conference.localhost' "
                               "reason='Pause?'/></message>").arg(m_companionJid));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->invites.size(), 1, waitMs);
    QCOMPARE(m_rec->invites[0].appName, QStringLiteral("kaffee@conference.localhost"));
    QCOMPARE(m_rec->invites[0].user.friendlyName, bobName);

    // Mediated: Bob enters a room and has the room invite the companion.
    m_bob->send(QStringLiteral("<presence to='teeküche@conference.localhost/Bob'><x xmlns='http://jabber.org/protocol/muc'/></presence>"));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(m_bob->received().cbegin(), m_bob->received().cend(), [](const XmlNode &n) {
        return n.name == QLatin1String("presence") && n.attribute(QStringLiteral("from")).startsWith(QStringLiteral("teeküche@"));
    }), waitMs);
    m_bob->send(QStringLiteral("<message to='teeküche@conference.localhost'><x xmlns='http://jabber.org/protocol/muc#user'>"
                               "<invite to='%1'><reason>Kuchen</reason></invite></x></message>").arg(m_companionJid));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->invites.size(), 2, waitMs);
    QCOMPARE(m_rec->invites[1].appName, QStringLiteral("teeküche@conference.localhost"));
    // The room hides Bob's address; he is named by his seat in it.
    QCOMPARE(m_rec->invites[1].user.friendlyName, QStringLiteral("Bob"));
    QCOMPARE(m_rec->invites[1].user.emailAddress, QStringLiteral("teeküche@conference.localhost/Bob"));
}

void TestXmppMessenger::strangersAreNamedByTheirVCardNickname()
{
    QVERIFY(m_alice);
    auto carol = logOn(QStringLiteral("carol"));
    QVERIFY(carol);
    carol->send(QStringLiteral("<iq type='set' id='v1'><vCard xmlns='vcard-temp'><NICKNAME>Caro</NICKNAME></vCard></iq>"));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(carol->received().cbegin(), carol->received().cend(), [](const XmlNode &n) {
        return n.attribute(QStringLiteral("id")) == QLatin1String("v1");
    }), waitMs);

    // The first message arrives before her card can; later ones carry the name.
    const auto send = [&](const QString &text) {
        const qsizetype count = m_rec->texts.size();
        carol->send(QStringLiteral("<message to='%1'><body>%2</body></message>").arg(m_companionJid, text));
        QTRY_COMPARE_WITH_TIMEOUT(m_rec->texts.size(), count + 1, waitMs);
    };
    send(QStringLiteral("Hallo"));
    QCOMPARE(m_rec->texts.last().user.friendlyName, QStringLiteral("carol@localhost"));
    for (int attempt = 0; attempt < 50 && m_rec->texts.last().user.friendlyName != QLatin1String("Caro"); ++attempt)
        send(QStringLiteral("Noch da?"));
    QCOMPARE(m_rec->texts.last().user.friendlyName, QStringLiteral("Caro"));
    QCOMPARE(m_rec->texts.last().user.emailAddress, QStringLiteral("carol@localhost"));
}

void TestXmppMessenger::anIdleConnectionSleeps()
{
    QVERIFY(m_alice && m_alice->localState() == UserState::Online);
    // Everything here is idle and online: the companion and four other
    // connections of this program. Only the end of the wait may wake it.
    sendMarker();
    const qint64 before = wakeUpsOfThisThread();
    QVERIFY(before >= 0);
    QEventLoop idle;
    QTimer::singleShot(3000, &idle, &QEventLoop::quit);
    idle.exec();
    const qint64 wakeUps = wakeUpsOfThisThread() - before;
    QVERIFY2(wakeUps <= 3, qPrintable(QStringLiteral("%1 wake-ups in 3 s").arg(wakeUps)));
    sendMarker();
}

void TestXmppMessenger::reconnectAfterALostConnectionIsQuietToo()
{
    QVERIFY(m_alice);
    m_rec->states.clear();
    // Another log-on under the companion's own address takes it over; the
    // server drops the companion's connection.
    TestPeer usurper;
    QVERIFY(usurper.logOn(m_companionJid, QStringLiteral("geheim-alice"), m_server->port()));
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->losses, 1, waitMs);
    QCOMPARE(m_rec->logoffStates, QList<int>{UserState::Offline});
    QVERIFY(m_alice->connectionProblem().contains(QStringLiteral("abgebrochen")));

    // Back with a new resource; bob, dave and erin were online all along.
    m_rec->logons.clear();
    const QString previous = m_companionJid;
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.contains(LogonResult::Ok), waitMs);
    m_companionJid = m_bob->waitForCompanionOf(alice, previous);
    QVERIFY(!m_companionJid.isEmpty());
    QCOMPARE(m_alice->connectionProblem(), QString());
    QCOMPARE(m_rec->problems.last(), QString());
    sendMarker();
    QCOMPARE(m_rec->states.size(), 0);
    QCOMPARE(m_rec->losses, 1);
}

void TestXmppMessenger::keepAlivePingsFindAServerThatStoppedAnswering()
{
    QVERIFY(m_alice);
    m_rec->losses = 0;
    m_rec->logons.clear();
    // Answered pings keep a healthy connection, however often they go.
    m_alice->setKeepAliveInterval(100);
    QTest::qWait(600);
    QCOMPARE(m_rec->losses, 0);
    QCOMPARE(m_alice->localState(), UserState::Online);

    // A server that stops answering loses the connection after two pings.
    QVERIFY(m_server->freeze());
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->losses, 1, waitMs);
    QVERIFY(m_alice->connectionProblem().contains(QStringLiteral("abgebrochen")));
    QVERIFY(m_server->resume());
    m_alice->setKeepAliveInterval(60 * 1000);
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.contains(LogonResult::Ok), waitMs);
    m_companionJid = m_bob->waitForCompanionOf(alice, m_companionJid);
    QVERIFY(!m_companionJid.isEmpty());
    sendMarker();
}

void TestXmppMessenger::reopeningALiveSessionStartsAfresh()
{
    StropheSession session;
    QSignalSpy online(&session, &StropheSession::online);
    QSignalSpy ended(&session, &StropheSession::ended);
    const StropheSession::Target target{QStringLiteral("carol@localhost"), QStringLiteral("geheim-carol"),
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

void TestXmppMessenger::refusedPasswordIsShownAndNotRetried()
{
    // By name this time: resolved in the background, and an address the
    // server does not listen on (::1, where the system lists it) is passed over.
    auto wrong = makeMessenger(QStringLiteral("falsch"), QStringLiteral("localhost"));
    MessengerRecorder rec(*wrong);
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(!rec.logons.isEmpty(), 5000);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(rec.logons, QList<qint32>{LogonResult::CredentialsRefused});
    QCOMPARE(wrong->localState(), UserState::Offline);
    QCOMPARE(wrong->connectionProblem(),
             QStringLiteral("Der Chat-Server hat die Anmeldung abgelehnt: Jabber-ID oder Passwort stimmen nicht."));
    QCOMPARE(rec.losses, 0);
    // No further attempt is planned: the pause was never consumed.
    QCOMPARE(wrong->nextReconnectPauseMs(), 200);
}

void TestXmppMessenger::encryptionIsDemandedUnlessAllowedForALocalServer()
{
    // The test server offers no TLS; without the exception that ends it.
    auto strict = makeMessenger(QStringLiteral("geheim-alice"), QStringLiteral("127.0.0.1"), true);
    MessengerRecorder rec(*strict);
    QTRY_VERIFY_WITH_TIMEOUT(!rec.logons.isEmpty(), waitMs);
    QCOMPARE(rec.logons, QList<qint32>{LogonResult::EncryptionUnavailable});
    QVERIFY2(strict->connectionProblem().startsWith(QStringLiteral("Der Chat-Server 127.0.0.1 bietet keine Verschlüsselung")),
             qPrintable(strict->connectionProblem()));
    QCOMPARE(strict->nextReconnectPauseMs(), 200);
}

void TestXmppMessenger::anUntrustedCertificateIsShownAndNotRetried()
{
    // A server of its own that speaks TLS only, with a self-signed certificate.
    test::ProsodyServer tlsServer;
    tlsServer.requireTls(QStringLiteral(TLS_FIXTURES "/localhost.crt"), QStringLiteral(TLS_FIXTURES "/localhost.key"));
    QVERIFY(tlsServer.prepare({}));
    QVERIFY2(tlsServer.registerAccount(QStringLiteral("alice"), QStringLiteral("geheim-alice")),
             qPrintable(tlsServer.lastError()));
    QVERIFY2(tlsServer.start(), qPrintable(tlsServer.lastError() + tlsServer.log()));
    MessengerAccount account;
    account.jid = alice;
    account.password = QStringLiteral("geheim-alice");
    account.server = QStringLiteral("127.0.0.1:%1").arg(tlsServer.port());
    XmppMessenger messenger(account, std::make_unique<RecordingNotifier>());
    messenger.setReconnectPauses(200, 1000);
    MessengerRecorder rec(messenger);
    QTRY_VERIFY_WITH_TIMEOUT(!rec.logons.isEmpty(), waitMs);
    QCOMPARE(rec.logons, QList<qint32>{LogonResult::EncryptionUnavailable});
    QCOMPARE(messenger.connectionProblem(),
             QStringLiteral("Die verschlüsselte Verbindung zum Chat-Server 127.0.0.1 ist gescheitert: sein Zertifikat "
                            "ist nicht vertrauenswürdig."));
    QCOMPARE(messenger.nextReconnectPauseMs(), 200);
}

void TestXmppMessenger::findsTheServerThroughDnsSrv()
{
    test::LoopbackDnsServer dns;
    if (!dns.start())
        QSKIP(qPrintable(QStringLiteral("no name server on port 53 of a loopback address (needs root or "
                                        "CAP_NET_BIND_SERVICE): ") + dns.error()));
    // The only way to the server's port is the record.
    dns.addSrv({QStringLiteral("_xmpp-client._tcp.localhost"), QStringLiteral("localhost"), m_server->port(), 0, 0});
    auto located = makeMessenger(QStringLiteral("geheim-alice"), QString());
    located->setNameserver(dns.address());
    MessengerRecorder rec(*located);
    QTRY_VERIFY_WITH_TIMEOUT(rec.logons.contains(LogonResult::Ok), waitMs);
    QVERIFY(dns.questionsAnswered() >= 1);
}

void TestXmppMessenger::lostServerIsAnnouncedOnceAndRetried()
{
    QVERIFY(m_alice);
    m_others.clear();
    m_aliceClient.reset();
    m_bob.reset();
    m_rec->logons.clear();
    m_rec->logoffStates.clear();
    m_rec->losses = 0;
    m_server->stop();
    QTRY_COMPARE_WITH_TIMEOUT(m_rec->logoffStates.size(), 1, waitMs);
    QCOMPARE(m_rec->logoffStates[0], UserState::Offline);
    QCOMPARE(m_alice->localState(), UserState::Offline);
    // Attempts while the server is away fail, with growing pauses, and are
    // shown, not announced.
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.size() >= 2, waitMs);
    QVERIFY(m_rec->logons.contains(LogonResult::ServerUnreachable));
    QVERIFY(m_alice->nextReconnectPauseMs() > 200);
    QCOMPARE(m_rec->losses, 1);
    QVERIFY2(m_alice->connectionProblem().startsWith(QStringLiteral("Der Chat-Server 127.0.0.1 ist nicht erreichbar. "
                                                                     "Neuer Versuch in ")),
             qPrintable(m_alice->connectionProblem()));

    QVERIFY2(m_server->start(), qPrintable(m_server->lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(m_rec->logons.contains(LogonResult::Ok), waitMs);
    QCOMPARE(m_alice->localState(), UserState::Online);
    QCOMPARE(m_alice->connectionProblem(), QString());
    QCOMPARE(m_rec->losses, 1);
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
    m_bob = logOn(QStringLiteral("bob"));
    QVERIFY(m_bob);
    const QString companion = m_bob->waitForCompanionOf(alice);
    QVERIFY(!companion.isEmpty());
    m_bob->send(QStringLiteral("<message to='%1'><body>Tschüss</body></message>").arg(companion));
    QTRY_VERIFY_WITH_TIMEOUT(!m_alice, waitMs);
    // The event loop goes on with the session's leftovers without harm.
    QTest::qWait(100);
}

QTEST_GUILESS_MAIN(TestXmppMessenger)
#include "tst_xmppmessenger.moc"
