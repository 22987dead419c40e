// The chat page against a messenger double: loading, switching on and off,
// the error state and how to leave it, saving, connection problems, and what
// the character does for each event. Passwords go to the settings store:
// the page's bus has no secret store.
#include "FakeMessenger.h"

#include "PageFixture.h"
#include "support/PrivateSessionBus.h"
#include "support/RefusedSave.h"

#include "MakroCombo/MacroBox.h"
#include "plugins/Messenger/AccountFields.h"
#include "plugins/Messenger/Main.h"
#include "plugins/Messenger/UmlautDecoding.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(tilvano::messenger::MessengerUser)

using namespace tilvano;
using namespace tilvano::test;
using test::PrivateSessionBus;
using messenger::MessengerUser;
using messengerpage::DecodeUmlauts;
using messengerpage::Main;
namespace UserState = messenger::UserState;

namespace {

MessengerUser user(const QString &name, int state = UserState::Online, const QString &address = QStringLiteral("bob@localhost"))
{
    return {name, address, state};
}

} // namespace

class TestMessengerPage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::SecretStore::None);
        QVERIFY2(m_bus->isReady(), qPrintable(m_bus->error()));
    }
    void cleanupTestCase() { m_bus.reset(); }

    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        agent = bench->agentWithCharacter();
        factory = std::make_unique<FakeMessengerFactory>();
        storeMessengerMacros();
    }
    void cleanup()
    {
        page.reset();
        agent.reset();
        factory.reset();
        bench.reset();
    }

    void accountFieldsSitBelowThePickersAndHideThePassword()
    {
        page = std::make_unique<Main>();
        const QRect account = page->accountFields()->geometry();
        QVERIFY(account.top() >= page->errorLabel()->geometry().bottom());
        QVERIFY(account.bottom() < page->saveButton()->geometry().top());
        QCOMPARE(page->accountFields()->passwordField()->echoMode(), QLineEdit::Password);
        // Created inactive: nothing connects before Init.
        QVERIFY(!page->messengerObject());
        QCOMPARE(factory->created, 0);
    }

    void initLoadsStoredChoicesAndConnectsWhenActive_data()
    {
        QTest::addColumn<QString>("active");
        QTest::addColumn<bool>("connected");
        QTest::newRow("nothing stored means active") << QString() << true;
        QTest::newRow("1") << QStringLiteral("1") << true;
        QTest::newRow("0") << QStringLiteral("0") << false;
    }
    void initLoadsStoredChoicesAndConnectsWhenActive()
    {
        QFETCH(QString, active);
        QFETCH(bool, connected);
        if (!active.isNull())
            storeMessengerValue(QStringLiteral("active"), active);
        storeMessengerValue(QStringLiteral("EnableDefault"), QStringLiteral("0"));
        storeMessengerValue(QStringLiteral("Jid"), QStringLiteral("alice@localhost"));
        page = std::make_unique<Main>();
        page->Init(agent.get());

        QCOMPARE(page->activeBox()->isChecked(), connected);
        QCOMPARE(bool(page->messengerObject()), connected);
        QCOMPARE(factory->created, connected ? 1 : 0);
        QCOMPARE(page->messagePicker()->Text(), QStringLiteral("Nachricht"));
        QCOMPARE(page->logoffPicker()->Text(), QStringLiteral("Abmeldung"));
        QCOMPARE(page->messagePicker()->Enabled(), connected);
        QCOMPARE(page->enableDefaultBox()->isEnabled(), connected);
        QVERIFY(!page->enableDefaultBox()->isChecked());
        QCOMPARE(page->accountFields()->jidField()->text(), QStringLiteral("alice@localhost"));
        QVERIFY(!page->PageChanged());
    }

    void tickingTheBoxConnectsAndClearingItReleases()
    {
        storeMessengerValue(QStringLiteral("active"), QStringLiteral("0"));
        page = std::make_unique<Main>();
        page->Init(agent.get());
        page->activeBox()->click();
        QVERIFY(page->messengerObject());
        QVERIFY(page->invitePicker()->Enabled());
        QVERIFY(page->PageChanged());

        const QPointer<FakeMessenger> first = factory->last;
        page->activeBox()->click();
        QVERIFY(!first);
        QVERIFY(!page->messengerObject());
        QVERIFY(!page->invitePicker()->Enabled());
        QVERIFY(!page->enableDefaultBox()->isEnabled());
    }

    void missingMessengerPutsThePageIntoAMendableErrorState()
    {
        factory->failWith = {429, QStringLiteral("Messenger"), QStringLiteral("Kein Konto eingerichtet."), 0};
        page = std::make_unique<Main>();
        page->Init(agent.get());
        QVERIFY(!page->errorLabel()->isHidden());
        QCOMPARE(page->errorLabel()->text(),
                 QStringLiteral("Es ist ein Fehler aufgetreten: 429 - Kein Konto eingerichtet. in Messenger Zeile 0"));
        QVERIFY(!page->enableDefaultBox()->isEnabled());
        QVERIFY(!page->messagePicker()->Enabled());
        QVERIFY(!page->PageChanged());
        QVERIFY(!page->LastError().isError());
        QVERIFY(bench->dialogs.shown().isEmpty());
        // What it takes to mend it stays at hand.
        QVERIFY(page->activeBox()->isEnabled());
        QVERIFY(page->saveButton()->isEnabled());
        QVERIFY(page->accountFields()->jidField()->isEnabled());

        // Saving an account connects; logging on ends the error state.
        factory->failWith = {};
        page->accountFields()->jidField()->setText(QStringLiteral("carol@example.org"));
        page->accountFields()->passwordField()->setText(QStringLiteral("geheim"));
        page->SaveAll();
        QVERIFY(page->messengerObject());
        QVERIFY(!page->errorLabel()->isHidden());
        factory->last->state = UserState::Online;
        emit factory->last->OnLogonResult(messenger::LogonResult::Ok);
        QVERIFY(page->errorLabel()->isHidden());
        QVERIFY(page->messagePicker()->Enabled());
        QVERIFY(page->enableDefaultBox()->isEnabled());

        // Switched off in the error state, nothing fails any more.
        factory->failWith = {429, QStringLiteral("Messenger"), QStringLiteral("Kaputt."), 0};
        page->activeBox()->click();
        page->activeBox()->click();
        QVERIFY(!page->errorLabel()->isHidden());
        page->activeBox()->click();
        QVERIFY(page->errorLabel()->isHidden());
        QVERIFY(!page->messagePicker()->Enabled());
    }

    void connectionProblemsAreShownAndALossIsSpokenOnce()
    {
        FakeMessenger &m = activePage();
        emit m.connectionProblemChanged(QStringLiteral("Der Chat-Server hat die Anmeldung abgelehnt."));
        QVERIFY(!page->errorLabel()->isHidden());
        QCOMPARE(page->errorLabel()->text(), QStringLiteral("Der Chat-Server hat die Anmeldung abgelehnt."));
        // The page stays usable: only the label tells.
        QVERIFY(page->messagePicker()->Enabled());
        QVERIFY(page->saveButton()->isEnabled());
        QVERIFY(pageCalls().isEmpty());
        emit m.connectionProblemChanged(QString());
        QVERIFY(page->errorLabel()->isHidden());

        m.state = UserState::Offline;
        emit m.connectionLost();
        emit m.OnLogoff();
        emit m.OnLogonResult(messenger::LogonResult::ServerUnreachable);
        emit m.OnLogonResult(messenger::LogonResult::ServerUnreachable);
        QCOMPARE(pageCalls(), (QStringList{QStringLiteral("SpeakIt: Die Verbindung zum Chat ist abgebrochen."),
                                           QStringLiteral("RunMacroByName: Abmeldung")}));
    }

    void saveAllWritesEveryKeyAndReconnectsForANewAccount()
    {
        page = std::make_unique<Main>();
        page->Init(agent.get());
        page->enableDefaultBox()->click();
        page->messagePicker()->setText(QStringLiteral("Einladung"));
        page->accountFields()->jidField()->setText(QStringLiteral(" carol@example.org "));
        page->accountFields()->passwordField()->setText(QStringLiteral("geheim"));
        page->accountFields()->serverField()->setText(QStringLiteral("192.168.1.5:5223"));
        page->accountFields()->allowUnencryptedBox()->click();
        QVERIFY(page->PageChanged());
        bench->clearLog();

        page->SaveAll();
        QVERIFY(!page->PageChanged());
        QVERIFY(bench->logMessages().contains(QStringLiteral("SaveAll")));
        QCOMPARE(storedMessengerValue(QStringLiteral("active")), QStringLiteral("1"));
        QCOMPARE(storedMessengerValue(QStringLiteral("EnableDefault")), QStringLiteral("0"));
        QCOMPARE(storedMessengerValue(QStringLiteral("MacroMessage")), QStringLiteral("Einladung"));
        QCOMPARE(storedMessengerValue(QStringLiteral("MacroLogon")), QStringLiteral("Anmeldung"));
        QCOMPARE(storedMessengerValue(QStringLiteral("Jid")), QStringLiteral("carol@example.org"));
        QCOMPARE(storedMessengerValue(QStringLiteral("Server")), QStringLiteral("192.168.1.5:5223"));
        QCOMPARE(storedMessengerValue(QStringLiteral("RequireTls")), QStringLiteral("False"));
        QCOMPARE(factory->created, 2);
        // Without a secret store the password goes to the private settings,
        // and the page says so.
        QTRY_COMPARE(page->accountFields()->passwordPlaceLabel()->text(),
                     QStringLiteral("Passwort in den privaten Einstellungen (kein Schlüsselbund gefunden)"));
        QCOMPARE(storedMessengerValue(QStringLiteral("Password")), QStringLiteral("geheim"));

        // Saving again without an account change keeps the connection.
        page->SaveAll();
        QCOMPARE(factory->created, 2);

        // Loaded again: the password is filled in, and that is no edit.
        page.reset();
        page = std::make_unique<Main>();
        page->Init(agent.get());
        QTRY_COMPARE(page->accountFields()->passwordField()->text(), QStringLiteral("geheim"));
        QVERIFY(page->accountFields()->allowUnencryptedBox()->isChecked());
        QVERIFY(!page->PageChanged());
    }

    void refusedSaveKeepsTheEditsUnsaved_data()
    {
        addRefusalColumns();
        QTest::newRow("the character's own settings") << QString() << QString() << 1;
        QTest::newRow("active box") << QStringLiteral("Messenger") << QStringLiteral("active") << 0;
        QTest::newRow("macro picker") << QStringLiteral("Messenger") << QStringLiteral("MacroMessage") << 0;
        QTest::newRow("account") << QStringLiteral("Messenger") << QStringLiteral("Jid") << 0;
        QTest::newRow("encryption") << QStringLiteral("Messenger") << QStringLiteral("RequireTls") << 0;
    }
    void refusedSaveKeepsTheEditsUnsaved()
    {
        page = std::make_unique<Main>();
        page->Init(agent.get());
        page->enableDefaultBox()->click();
        page->accountFields()->jidField()->setText(QStringLiteral("carol@example.org"));
        checkRefusedSave(*page);
    }

    void messageRunsTheMessageMacroWithEscapedSenderAndText()
    {
        FakeMessenger &m = activePage();
        bool enableDefault = true;
        emit m.OnTextReceived(user(QStringLiteral("Bob \"B\"")), QString(),
                              QStringLiteral("Sag \"hallo\"\r\nzu SchÃ¶n in São Paulo"), enableDefault);
        QCOMPARE(pageCalls(), QStringList{QStringLiteral(
                                  "RunMacroText: x = \"Bob \"\"B\"\"|Sag \"\"hallo\"\"  zu Schön in São Paulo\"")});
        QVERIFY(enableDefault);
    }

    void messagesThatRunNothing_data()
    {
        QTest::addColumn<MessengerUser>("sender");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("runs");
        QTest::newRow("blanks only") << user(QStringLiteral("Bob")) << QStringLiteral("   ") << false;
        QTest::newRow("CR LF only") << user(QStringLiteral("Bob")) << QStringLiteral("\r\n") << false;
        QTest::newRow("LF only, as XML delivers CR LF") << user(QStringLiteral("Bob")) << QStringLiteral("\n") << false;
        QTest::newRow("two line breaks are content") << user(QStringLiteral("Bob")) << QStringLiteral("\r\n\r\n") << true;
        QTest::newRow("tab is content") << user(QStringLiteral("Bob")) << QStringLiteral("\t") << true;
        QTest::newRow("mail service by name") << user(QStringLiteral("Hotmail")) << QStringLiteral("Post") << false;
        QTest::newRow("mail service by address")
            << user(QStringLiteral("Post"), UserState::Online, QStringLiteral("Hotmail")) << QStringLiteral("Post") << false;
        QTest::newRow("lower case is a person") << user(QStringLiteral("hotmail")) << QStringLiteral("Hi") << true;
    }
    void messagesThatRunNothing()
    {
        QFETCH(MessengerUser, sender);
        QFETCH(QString, text);
        QFETCH(bool, runs);
        storeMessengerValue(QStringLiteral("EnableDefault"), QStringLiteral("0"));
        FakeMessenger &m = activePage();
        bool enableDefault = true;
        emit m.OnTextReceived(sender, QString(), text, enableDefault);
        QCOMPARE(pageCalls().size(), runs ? 1 : 0);
        // Whether or not a macro ran, the stored choice still decides.
        QVERIFY(!enableDefault);
    }

    void storedDefaultActionDecidesForMessagesAndStatesOnly()
    {
        FakeMessenger &m = activePage();
        // The box says "suppress", but only the stored value counts.
        page->enableDefaultBox()->click();
        bool messageDefault = true;
        bool stateDefault = true;
        emit m.OnTextReceived(user(QStringLiteral("Bob")), QString(), QStringLiteral("Hi"), messageDefault);
        emit m.OnUserStateChanged(user(QStringLiteral("Bob"), UserState::Away), UserState::Online, stateDefault);
        QVERIFY(messageDefault);
        QVERIFY(stateDefault);

        page->SaveAll();
        bool fileDefault = true;
        bool inviteDefault = true;
        emit m.OnTextReceived(user(QStringLiteral("Bob")), QString(), QStringLiteral("Hi"), messageDefault);
        emit m.OnUserStateChanged(user(QStringLiteral("Bob"), UserState::Busy), UserState::Away, stateDefault);
        emit m.OnFileTransferInviteReceived(user(QStringLiteral("Bob")), 1, QStringLiteral("a.txt"), 3, fileDefault);
        emit m.OnAppInviteReceived(user(QStringLiteral("Bob")), 2, QString(), QStringLiteral("Spiel"), QString(), 0,
                                   inviteDefault);
        QVERIFY(!messageDefault);
        QVERIFY(!stateDefault);
        QVERIFY(fileDefault);
        QVERIFY(inviteDefault);
    }

    void contactStateChangesAreAnnounced_data()
    {
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("now");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("comes online") << UserState::Offline << UserState::Online << " hat sich gerade angemeldet";
        QTest::newRow("leaves") << UserState::Online << UserState::Offline << " hat uns verlassen";
        QTest::newRow("back from away") << UserState::Away << UserState::Online << "";
        QTest::newRow("away goes offline") << UserState::Away << UserState::Offline << "";
        QTest::newRow("busy") << UserState::Away << UserState::Busy << " muss jetzt wichtigere Dinge tun";
        QTest::newRow("away") << UserState::Online << UserState::Away << " ist weg";
        QTest::newRow("idle") << UserState::Online << UserState::Idle << "";
    }
    void contactStateChangesAreAnnounced()
    {
        QFETCH(int, previous);
        QFETCH(int, now);
        QFETCH(QString, sentence);
        FakeMessenger &m = activePage();
        bool enableDefault = true;
        emit m.OnUserStateChanged(user(QStringLiteral("Bob \"B\""), now), previous, enableDefault);
        const QStringList expected = sentence.isEmpty()
            ? QStringList()
            : QStringList{QStringLiteral("SpeakIt: Bob \"\"B\"\"") + sentence};
        QCOMPARE(pageCalls(), expected);
    }

    void logonAndLogoffRunTheirMacrosOnlyInTheMatchingState()
    {
        FakeMessenger &m = activePage();
        m.state = UserState::Offline;
        emit m.OnLogonResult(messenger::LogonResult::CredentialsRefused);
        m.state = UserState::Online;
        emit m.OnLogoff();
        QVERIFY(pageCalls().isEmpty());

        emit m.OnLogonResult(messenger::LogonResult::Ok);
        m.state = UserState::Offline;
        emit m.OnLogoff();
        QCOMPARE(pageCalls(), (QStringList{QStringLiteral("RunMacroByName: Anmeldung"),
                                           QStringLiteral("RunMacroByName: Abmeldung")}));
    }

    void invitationsAndFileOffersAreNamedSafely()
    {
        FakeMessenger &m = activePage();
        bool enableDefault = true;
        emit m.OnAppInviteReceived(user(QStringLiteral("Bob")), 1, QString(), QStringLiteral("\"Schach\""), QString(), 0,
                                   enableDefault);
        emit m.OnFileTransferInviteReceived(user(QStringLiteral("Bob \"B\"")), 2, QStringLiteral("a \"b\".txt"), 3,
                                            enableDefault);
        emit m.OnNewerClientAvailable(QString(), QString(), 0);
        QCOMPARE(pageCalls(),
                 (QStringList{QStringLiteral("RunMacroText: x = \"Bob lädt zu \"\"Schach\"\" ein\""),
                              QStringLiteral("SpeakIt: Bob \"\"B\"\" will Ihnen die Datei \"a \"\"b\"\".txt\" schicken."),
                              QStringLiteral("SpeakIt: Eine neue Version des MSN Messenger ist verfügbar!")}));
    }

    void eventsWithoutACharacterEndQuietly()
    {
        page = std::make_unique<Main>();
        page->Init(nullptr);
        auto *m = factory->last.data();
        QVERIFY(m);
        bool enableDefault = true;
        m->state = UserState::Online;
        emit m->OnTextReceived(user(QStringLiteral("Bob")), QString(), QStringLiteral("Hi"), enableDefault);
        emit m->OnUserStateChanged(user(QStringLiteral("Bob")), UserState::Offline, enableDefault);
        emit m->OnLogonResult(0);
        emit m->OnFileTransferInviteReceived(user(QStringLiteral("Bob")), 1, QStringLiteral("f"), 1, enableDefault);
        QVERIFY(enableDefault);
    }

    void decodeUmlautsMendsOnlyMisreadUtf8_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("Schön") << QStringLiteral("SchÃ¶n") << QStringLiteral("Schön");
        QTest::newRow("all German letters")
            << QStringLiteral("Ã¤Ã¶Ã¼Ã\u0084Ã\u0096Ã\u009cÃ\u009f") << QStringLiteral("äöüÄÖÜß");
        QTest::newRow("a real ã stays") << QStringLiteral("São Paulo") << QStringLiteral("São Paulo");
        QTest::newRow("ã before a continuation stays") << QStringLiteral("ã¶") << QStringLiteral("ã¶");
        QTest::newRow("misread ã") << QStringLiteral("SÃ£o") << QStringLiteral("São");
        QTest::newRow("Ã before plain text stays") << QStringLiteral("ÃX Ã") << QStringLiteral("ÃX Ã");
    }
    void decodeUmlautsMendsOnlyMisreadUtf8()
    {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeUmlauts(text), decoded);
    }

private:
    // An initialised, active page; its messenger reports the local user online.
    FakeMessenger &activePage()
    {
        page = std::make_unique<Main>();
        page->Init(agent.get());
        Q_ASSERT(factory->last);
        factory->last->state = UserState::Online;
        bench->clearLog();
        return *factory->last;
    }
    QStringList pageCalls() const { return test::pageCalls(*bench); }

    std::unique_ptr<AgentTestBench> bench;
    std::unique_ptr<Agent> agent;
    std::unique_ptr<FakeMessengerFactory> factory;
    std::unique_ptr<Main> page;
    std::unique_ptr<PrivateSessionBus> m_bus;
};

QTEST_MAIN(TestMessengerPage)
#include "tst_messengerpage.moc"
