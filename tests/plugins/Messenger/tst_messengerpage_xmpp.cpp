// The chat page end to end: a Prosody server on loopback, the page's own XMPP
// messenger logged on as alice, and her contacts talking to her. What the
// character is asked to do is read from its log. The session bus is the
// test's own, without a secret store: passwords live in the settings.
#include "PageFixture.h"
#include "support/PrivateSessionBus.h"
#include "support/ProsodyServer.h"
#include "support/TestPeer.h"

#include "MakroCombo/MacroBox.h"
#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/MessengerFactory.h"
#include "system/ServiceRegistry.h"
#include "platform/messenger/XmppMessenger.h"
#include "plugins/Messenger/AccountFields.h"
#include "plugins/Messenger/Main.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using namespace tilvano::messenger;

namespace {

constexpr int waitMs = 20000;
const QString alice = QStringLiteral("alice@localhost");
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
    RecordingXmppFactory() { ServiceRegistry::replace<MessengerFactory>(this); }
    ~RecordingXmppFactory() override { ServiceRegistry::replace<MessengerFactory>(nullptr); }
    std::unique_ptr<Messenger> createMessenger(ErrorInfo &error) override
    {
        auto messenger = XmppMessenger::create(error, std::make_unique<RecordingNotifier>(notes));
        if (messenger) {
            messenger->setReconnectPauses(200, 1000);
            messenger->setSettlePause(0);
        }
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
            QFAIL("prosody is not installed");
        m_bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::SecretStore::None);
        QVERIFY2(m_bus->isReady(), qPrintable(m_bus->error()));
        m_bench = std::make_unique<AgentTestBench>();
        m_agent = m_bench->agentWithCharacter();
        m_server = std::make_unique<ProsodyServer>();
        QVERIFY(m_server->prepare({{alice, QStringLiteral("Alice")},
                                   {QStringLiteral("bob@localhost"), bobName},
                                   {QStringLiteral("dave@localhost"), QStringLiteral("Dave")},
                                   {QStringLiteral("erin@localhost"), QStringLiteral("Erin")}}));
        for (const char *user : {"alice", "bob", "dave", "erin"}) {
            const QString name = QString::fromLatin1(user);
            QVERIFY2(m_server->registerAccount(name, QStringLiteral("geheim-") + name), qPrintable(m_server->lastError()));
        }
        QVERIFY2(m_server->start(), qPrintable(m_server->lastError() + m_server->log()));
        storeMessengerMacros();
        m_factory = std::make_unique<RecordingXmppFactory>();
    }

    void cleanupTestCase()
    {
        m_page.reset();
        m_contacts.clear();
        if (m_server)
            m_server->stop();
        m_factory.reset();
        m_agent.reset();
        m_bench.reset();
        m_bus.reset();
    }

    void aNewUserSavesAnAccountAndThePageConnects()
    {
        // Nothing stored: the page starts in its error state.
        m_page = std::make_unique<messengerpage::Main>();
        m_page->Init(m_agent.get());
        QVERIFY(!m_page->messengerObject());
        QVERIFY(!m_page->errorLabel()->isHidden());
        QVERIFY(m_page->saveButton()->isEnabled());

        messengerpage::AccountFields *account = m_page->accountFields();
        QTest::keyClicks(account->jidField(), alice);
        QTest::keyClicks(account->passwordField(), QStringLiteral("geheim-alice"));
        QTest::keyClicks(account->serverField(), QStringLiteral("127.0.0.1:%1").arg(m_server->port()));
        account->allowUnencryptedBox()->click();
        m_page->saveButton()->click();

        QVERIFY(m_page->messengerObject());
        QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("RunMacroByName: Anmeldung")), waitMs);
        QCOMPARE(m_page->messengerObject()->localState(), UserState::Online);
        QVERIFY(m_page->errorLabel()->isHidden());
        QVERIFY(m_page->activeBox()->isChecked());
        QVERIFY(m_page->messagePicker()->Enabled());
        QVERIFY(!m_page->PageChanged());
        QCOMPARE(storedMessengerValue(QStringLiteral("Password")), QStringLiteral("geheim-alice"));
        QCOMPARE(account->passwordPlaceLabel()->text(),
                 QStringLiteral("Passwort in den privaten Einstellungen (kein Schlüsselbund gefunden)"));
    }

    void aWrongPasswordIsShownAndTheCharacterSaysNothing()
    {
        QVERIFY(m_page);
        m_bench->clearLog();
        m_page->accountFields()->passwordField()->setText(QStringLiteral("falsch"));
        m_page->SaveAll();
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(
            m_page->errorLabel()->text(),
            QStringLiteral("Der Chat-Server hat die Anmeldung abgelehnt: Jabber-ID oder Passwort stimmen nicht."), 5000);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!m_page->errorLabel()->isHidden());
        // The old connection went with its messenger; the new one says nothing.
        QCOMPARE(calls(), QStringList());
    }

    void logOnAmongOnlineContactsAnnouncesNobodyButLaterChanges()
    {
        QVERIFY(m_page);
        for (const char *user : {"bob", "dave", "erin"}) {
            auto peer = std::make_shared<TestPeer>();
            const QString name = QString::fromLatin1(user);
            QVERIFY(peer->logOn(name + QStringLiteral("@localhost"), QStringLiteral("geheim-") + name, m_server->port()));
            m_contacts.append(peer);
        }
        m_bob = m_contacts.first().get();

        // The right password again; three contacts are online already.
        m_bench->clearLog();
        m_factory->notes.clear();
        m_page->accountFields()->passwordField()->setText(QStringLiteral("geheim-alice"));
        m_page->SaveAll();
        QTRY_VERIFY_WITH_TIMEOUT(calls().contains(QStringLiteral("RunMacroByName: Anmeldung")), waitMs);
        QVERIFY(m_page->errorLabel()->isHidden());
        m_companion = m_bob->waitForCompanionOf(alice);
        QVERIFY(!m_companion.isEmpty());

        // Bob's change after that is news, once.
        m_bob->send(QStringLiteral("<presence><show>away</show></presence>"));
        QTRY_VERIFY_WITH_TIMEOUT(calls().size() == 2, waitMs);
        QCOMPARE(callsAfterMarker(), (QStringList{QStringLiteral("RunMacroByName: Anmeldung"),
                                       QStringLiteral("SpeakIt: ") + bobSpoken + QStringLiteral(" ist weg")}));
        // Nor does the desktop hear of anyone logging on.
        QVERIFY2(!m_factory->notes.join(QLatin1Char('\n')).contains(QStringLiteral("angemeldet")),
                 qPrintable(m_factory->notes.join(QLatin1Char('\n'))));
    }

    void messagesRunTheMessageMacroWithSenderAndDecodedText()
    {
        QVERIFY(m_bob);
        m_bench->clearLog();
        const qsizetype notesBefore = m_factory->notes.size();
        // Blank messages run nothing; the stream keeps the order, so the last
        // message shows the others were handled.
        m_bob->send(QStringLiteral("<message to='%1' type='chat'><body>   </body></message>").arg(m_companion));
        m_bob->send(QStringLiteral("<message to='%1' type='chat'><body>&#13;&#10;</body></message>").arg(m_companion));
        m_bob->send(QStringLiteral("<message to='%1' type='chat'>"
                                   "<body>SchÃ¶n &amp; \"São\" &lt;b&gt;</body></message>").arg(m_companion));
        const QStringList expected{QStringLiteral("RunMacroText: x = \"") + bobSpoken
                                   + QStringLiteral("|Schön & \"\"São\"\" <b>\"")};
        QTRY_VERIFY2_WITH_TIMEOUT(calls() == expected, qPrintable(calls().join(QLatin1Char('\n'))), waitMs);
        QVERIFY(m_factory->notes.size() > notesBefore);
    }

    void storedChoiceSuppressesTheMessengersOwnNotes()
    {
        QVERIFY(m_bob);
        storeMessengerValue(QStringLiteral("EnableDefault"), QStringLiteral("0"));
        m_bob->send(QStringLiteral("<presence/>"));   // back from away: not announced
        m_bench->clearLog();
        m_factory->notes.clear();
        m_bob->send(QStringLiteral("<message to='%1' type='chat'><body>leise</body></message>").arg(m_companion));
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

    void aLostServerIsAnnouncedOnceAndShown()
    {
        QVERIFY(m_page);
        m_bench->clearLog();
        m_contacts.clear();
        m_bob = nullptr;
        QTRY_COMPARE_WITH_TIMEOUT(calls().filter(QStringLiteral(" hat uns verlassen")).size(), 3, waitMs);
        m_bench->clearLog();
        m_server->stop();
        const QStringList lost{QStringLiteral("SpeakIt: Die Verbindung zum Chat ist abgebrochen."),
                               QStringLiteral("RunMacroByName: Abmeldung")};
        QTRY_COMPARE_WITH_TIMEOUT(calls(), lost, waitMs);
        QCOMPARE(m_page->messengerObject()->localState(), UserState::Offline);
        // The attempts to get it back show on the page, in silence.
        QTRY_VERIFY_WITH_TIMEOUT(m_page->errorLabel()->text().contains(QStringLiteral("nicht erreichbar")), waitMs);
        QVERIFY(!m_page->errorLabel()->isHidden());
        QCOMPARE(calls(), lost);
    }

private:
    QStringList calls() const { return pageCalls(*m_bench); }

    // Sends a message from bob to the companion and waits for the page's
    // macro for it: what bob sent before has been handled by then. The
    // calls so far, without that one.
    QStringList callsAfterMarker()
    {
        m_bob->send(QStringLiteral("<message to='%1' type='chat'><body>Markierung</body></message>").arg(m_companion));
        const QString call = QStringLiteral("RunMacroText: x = \"") + bobSpoken + QStringLiteral("|Markierung\"");
        if (!QTest::qWaitFor([&] { return calls().contains(call); }, waitMs))
            return {QStringLiteral("no marker")};
        QStringList before = calls();
        before.removeAll(call);
        return before;
    }

    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<AgentTestBench> m_bench;
    std::unique_ptr<Agent> m_agent;
    std::unique_ptr<ProsodyServer> m_server;
    std::unique_ptr<RecordingXmppFactory> m_factory;
    std::unique_ptr<messengerpage::Main> m_page;
    QList<std::shared_ptr<TestPeer>> m_contacts;
    TestPeer *m_bob = nullptr;
    QString m_companion;
};

QTEST_MAIN(TestMessengerPageXmpp)
#include "tst_messengerpage_xmpp.moc"
