// The mail page on a real Maildir in the test's home and a real character
// object with a recording character: which macro runs for which mail, what
// of a mail reaches the script, the menu entry, the box, errors and closing.

#include "support/DovecotServer.h"
#include "support/PrivateSessionBus.h"
#include "support/MaildirFixture.h"
#include "MakroCombo/MacroBox.h"
#include "common/MacroScript.h"
#include "common/MacroStore.h"
#include "platform/mail/MailErrors.h"
#include "platform/mail/MailService.h"
#include "platform/mail/MailServices.h"
#include "platform/mail/MimeMessageReader.h"
#include "plugins/Outlook/MailConnection.h"
#include "plugins/Outlook/Main.h"
#include "plugins/Outlook/MailSourceFields.h"
#include "plugins/PagePlugin.h"
#include "system/credentials/CredentialStore.h"
#include "support/AgentTestBench.h"
#include "support/RefusedSave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QLabel>
#include <QPluginLoader>
#include <QPushButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;
using tilvano::outlook::Main;

namespace {

QString speakCall(const QString &text) { return QStringLiteral("somebody.Speak(%1, )").arg(text); }
const QString kStopAll = QStringLiteral("somebody.StopAll()");

void setting(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("Outlook2000"), key, value);
}
QString setting(const QString &key)
{
    return GetSetting(settingsApplication(), QStringLiteral("Outlook2000"), key, QStringLiteral("<absent>"));
}
QByteArray mailText(const QByteArray &from, const QByteArray &subject, const QByteArray &body = "x")
{
    return MaildirFixture::message(from, "Anna <anna@example.org>, bert@example.org", subject, body);
}

} // namespace

class TestOutlookPage : public QObject {
    Q_OBJECT

    std::unique_ptr<AgentTestBench> bench;
    std::unique_ptr<Agent> agent;
    std::unique_ptr<MaildirFixture> inbox;
    std::unique_ptr<Main> page;
    bool m_spokenAtStart = false;
    // A keyring of the test's own, for the IMAP account's password.
    std::unique_ptr<PrivateSessionBus> m_bus;

    // Stores a macro that speaks `text` and chooses it under `key`.
    static void chooseSpeaking(const QString &key, const QString &text)
    {
        const int slot = int(ListMacros().size());
        StoreMacro(slot, key, composeScriptText({speakStatement(text).scriptLine}));
        setting(key, key);
    }
    Main &openPage()
    {
        page = std::make_unique<Main>();
        page->Init(agent.get());
        QCoreApplication::processEvents();
        // The companion's own start is no start of the mail application.
        m_spokenAtStart = !calls().filter(QStringLiteral("Speak")).isEmpty();
        bench->control->clearCalls();
        bench->clearLog();
        return *page;
    }
    // Unread mail put straight into cur/, as a client that listed it: no event.
    void putUnread(const QByteArray &message) { QVERIFY(!inbox->store(message, QString()).isEmpty()); }
    static std::shared_ptr<mail::MailApplication> application() { return mail::MailServices::mail().runningApplication(); }
    QStringList calls() const { return bench->control->calls(); }
    QStringList menuNames() const { return bench->character()->commands().names(); }

private slots:
    void initTestCase()
    {
        m_bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::SecretStore::Keyring);
        QVERIFY2(m_bus->isReady(), qPrintable(m_bus->error()));
    }
    void cleanupTestCase() { m_bus.reset(); }

    void init()
    {
        bench = std::make_unique<AgentTestBench>();
        agent = bench->agentWithCharacter();
        // Plain sentences, so that the calls show only what the macro said.
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        bench->character()->setVisibleState(true);
        inbox = std::make_unique<MaildirFixture>(QDir::homePath() + QStringLiteral("/Maildir"));
        QVERIFY(inbox->create());
    }
    void cleanup()
    {
        page.reset();
        agent.reset();
        bench.reset();
    }

    void newUserStartsActiveWithNoMacros()
    {
        Main &p = openPage();
        QVERIFY(p.activeBox()->isChecked() && p.isConnected() && !p.PageChanged());
        QVERIFY(!m_spokenAtStart);
        for (MacroBox *picker : {p.newMailPicker(), p.multiNewMailPicker(), p.mailSentPicker(), p.reminderPicker(),
                                 p.noNewMailPicker()})
            QVERIFY(picker->Text() == MacroBox::noMacroText() && picker->Enabled());
        const auto entries = bench->character()->commands().entries();
        QCOMPARE(entries.last().name, Main::menuEntryName());
        QCOMPARE(entries.last().caption + entries.last().voice, QStringLiteral("Mails abrufencheck mail"));
        QVERIFY(entries.last().enabled && entries.last().visible);
    }

    void unreadCountChoosesTheMacro_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("none") << 0 << QStringLiteral("Keine Post");
        QTest::newRow("one: quote in subject, lower-case placeholder")
            << 1 << QStringLiteral("Von Jürgen an Anna: Sag \"Hallo\" (Sag \"Hallo\")");
        QTest::newRow("three: no details") << 3 << QStringLiteral("3 neue Mails, 3<SENDER>");
    }
    void unreadCountChoosesTheMacro()
    {
        QFETCH(int, count);
        QFETCH(QString, spoken);
        chooseSpeaking(QStringLiteral("NewMailMacro"), QStringLiteral("Von <SENDER> an <Recipient>: <SUBJECT> (<subject>)"));
        chooseSpeaking(QStringLiteral("MultiNewMailMacro"), QStringLiteral("<COUNT> neue Mails, <count><SENDER>"));
        chooseSpeaking(QStringLiteral("MacroNoNewMail"), QStringLiteral("Keine Post"));
        Main &p = openPage();
        for (int i = 0; i < count; ++i)
            putUnread(mailText("=?UTF-8?Q?J=C3=BCrgen?= <j@example.org>", "Sag \"Hallo\""));
        emit application()->newMail();
        QCOMPARE(calls(), (QStringList{kStopAll, speakCall(spoken)}));
        QCOMPARE(agent->LastError().number + p.LastError().number, 0);
    }

    void noMacroChosenRunsTheEmptyText()
    {
        openPage();
        putUnread(mailText("a@example.org", "B"));
        emit application()->newMail();
        QCOMPARE(calls(), QStringList{kStopAll});
        QVERIFY(bench->logMessages().contains(QStringLiteral("RunMacroText: ")));
    }

    void mailContentStaysSpokenText_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("script in every field") << mailText(
            "\"Mallory\\\" : Kibo.Hide : x\" <m@example.org>", "x\" : Kibo.Hide : Kibo.SpeakIt \"<!!BR!!>Kibo.Hide<!!BR!!>",
            "Zeile\r\nKibo.Hide\r\nCreateObject(\"WScript.Shell\").Run \"rm -rf ~\"\r\n\"<!!BR!!>Kibo.Hide");
        // Filled in once: placeholders inside a value are not filled again.
        QTest::newRow("placeholders in values") << mailText("<SUBJECT> <s@example.org>", "<MAILTEXT>", "geheim");
    }
    void mailContentStaysSpokenText()
    {
        QFETCH(QByteArray, message);
        const QString macro = QStringLiteral("Von <SENDER> an <RECIPIENT>: <SUBJECT> - <MAILTEXT>");
        chooseSpeaking(QStringLiteral("NewMailMacro"), macro);
        chooseSpeaking(QStringLiteral("MailSentMacro"), macro);
        openPage();
        const mail::MailItem item = mail::MimeMessageReader::parse(message);
        QString spoken = QStringLiteral("Von %1 an Anna: %2 - %3").arg(item.senderName, item.subject, item.body);
        spoken.replace(macroLineSeparator(), QStringLiteral(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
        spoken.replace(QLatin1Char('\n'), QLatin1Char(' '));

        inbox->deliver(message); // end to end: the Maildir raises the event
        QTRY_COMPARE_WITH_TIMEOUT(calls(), (QStringList{kStopAll, speakCall(spoken)}), 10000);
        bool cancel = false;
        emit application()->itemSend(item, cancel);
        // Exactly what was asked for, twice: nothing of the mail ran as script.
        QCOMPARE(calls(), (QStringList{kStopAll, speakCall(spoken), kStopAll, speakCall(spoken)}));
        QVERIFY(!cancel);
        QCOMPARE(agent->LastError().number, 0);
    }

    // A mail that takes the parser seconds without its limits arrives: the
    // interface keeps turning (a timer every 50 ms) and the macro gets the
    // mail's text.
    void heavyMailKeepsTheInterfaceTurning()
    {
        chooseSpeaking(QStringLiteral("NewMailMacro"), QStringLiteral("Neu: <SUBJECT>, <MAILTEXT>"));
        openPage();
        const QByteArray heavy = MaildirFixture::deeplyNestedMessage("tief", "Oben steht der Text.");
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
        sinceTick.start();
        ticker.start(50);
        inbox->deliver(heavy);
        QTRY_COMPARE_WITH_TIMEOUT(calls(), (QStringList{kStopAll, speakCall(QStringLiteral("Neu: tief, Oben steht der Text."))}),
                                  15000);
        QVERIFY2(longestGap < 500, qPrintable(QString::number(longestGap)));
    }

    void reminderStartupAndQuitSpeak()
    {
        chooseSpeaking(QStringLiteral("MacroReminder"), QStringLiteral("Termin: <subject>"));
        openPage();
        mail::ReminderItem due;
        due.subject = QStringLiteral("Zahnarzt \"heute\"\n10 Uhr");
        emit application()->reminder(due);
        emit application()->startup();
        emit application()->quit();
        QCOMPARE(calls(), (QStringList{speakCall(QStringLiteral("Termin: Zahnarzt \"heute\" 10 Uhr")),
                                       speakCall(QStringLiteral("Outlook wurde geöffnet.")),
                                       speakCall(QStringLiteral("Outlook wurde geschlossen."))}));
    }

    void clearingTheBoxRemovesTheEntryAndStopsEvents()
    {
        chooseSpeaking(QStringLiteral("MacroNoNewMail"), QStringLiteral("Keine Post"));
        Main &p = openPage();
        const std::shared_ptr<mail::MailApplication> keptElsewhere = application();
        p.activeBox()->click();
        QVERIFY(p.PageChanged() && !p.isConnected() && !p.newMailPicker()->Enabled());
        QVERIFY(!menuNames().contains(Main::menuEntryName()));
        emit keptElsewhere->newMail();
        emit keptElsewhere->startup();
        QVERIFY(calls().filter(QStringLiteral("Speak")).isEmpty());
        // Inactive, asked to look anyway: the character stops, the failure is kept quietly.
        p.LookForNewMail();
        QCOMPARE(calls().last(), kStopAll);
        QCOMPARE(p.LastError().number, 91);

        p.activeBox()->click();
        QVERIFY(p.isConnected() && p.newMailPicker()->Enabled());
        QVERIFY(menuNames().contains(Main::menuEntryName()));
    }

    // "Mails abrufen" fetches in the background and looks at the inbox
    // once that is done; a command that cannot even start looks at once.
    // Saving the page's source applies it without a restart.
    void menuEntryLooksOnceFetchingEnds()
    {
        SaveSetting(settingsApplication(), QStringLiteral("Mail"), QStringLiteral("SyncCommand"), QStringLiteral("false"));
        chooseSpeaking(QStringLiteral("MultiNewMailMacro"), QStringLiteral("<COUNT> neue Mails"));
        Main &p = openPage();
        putUnread(mailText("a@example.org", "A"));
        putUnread(mailText("b@example.org", "B"));
        bench->control->chooseCommand(Main::menuEntryName());
        QVERIFY(p.isFetching() && !p.fetchingLabel()->isHidden());
        QVERIFY(calls().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(calls(), (QStringList{kStopAll, speakCall(QStringLiteral("2 neue Mails"))}), 10000);
        QVERIFY(!p.isFetching() && p.fetchingLabel()->isHidden());

        p.sourceFields()->syncCommandField()->setText(QStringLiteral("/nonexistent/mbsync -a"));
        QVERIFY(p.savePage());
        QVERIFY(!p.SendReceiveAll());
        bench->control->chooseCommand(Main::menuEntryName());
        QCOMPARE(calls().size(), 4);
        QString otherName = QStringLiteral("CheckForNewMails");
        emit agent->MenuEvent(otherName);
        QCOMPARE(calls().size(), 4);
    }

    // A sync command of three seconds: the interface keeps turning (a timer
    // every 50 ms) and the page says it is fetching meanwhile.
    void fetchingKeepsTheInterfaceTurning()
    {
        SaveSetting(settingsApplication(), QStringLiteral("Mail"), QStringLiteral("SyncCommand"), QStringLiteral("sleep 3"));
        chooseSpeaking(QStringLiteral("MacroNoNewMail"), QStringLiteral("Keine Post"));
        Main &p = openPage();
        QElapsedTimer sinceTick;
        qint64 longestGap = 0;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++ticks;
            longestGap = std::max(longestGap, sinceTick.restart());
        });
        QElapsedTimer fetching;
        fetching.start();
        sinceTick.start();
        ticker.start(50);
        bench->control->chooseCommand(Main::menuEntryName());
        QVERIFY(!p.fetchingLabel()->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(calls(), (QStringList{kStopAll, speakCall(QStringLiteral("Keine Post"))}), 15000);
        QVERIFY(fetching.elapsed() >= 2900);
        QVERIFY2(longestGap < 300, qPrintable(QString::number(longestGap)));
        QVERIFY(ticks >= 40);
    }

    void sendReceiveWorksWithoutTheBox()
    {
        setting(QStringLiteral("Active"), QStringLiteral("0"));
        Main &p = openPage();
        QVERIFY(!p.activeBox()->isChecked() && !application());
        QVERIFY(!menuNames().contains(Main::menuEntryName()));
        QVERIFY(p.SendReceiveAll());
        QTRY_VERIFY(!p.isFetching());
        QTRY_VERIFY(!application()); // its own application, let go again
    }

    // A missing Maildir is shown in red, but the page stays switchable and
    // its source can be put right; a Maildir that appears later is the mail
    // application starting up.
    void missingSourceIsShownAndCanBeFixed()
    {
        QVERIFY(QDir(inbox->path()).removeRecursively());
        Main &p = openPage();
        QVERIFY(!p.errorLabel()->isHidden());
        QVERIFY2(p.errorLabel()->text().startsWith(QStringLiteral("Es ist ein Fehler bei der Initialisierung aufgetreten: ")
                                                   + QString::number(mail::maildirMissing(inbox->path()).number) + " - "),
                 qPrintable(p.errorLabel()->text()));
        QVERIFY(p.errorLabel()->text().contains(QStringLiteral("existiert nicht")));
        QVERIFY(p.activeBox()->isEnabled() && p.saveButton()->isEnabled() && p.sourceFields()->isEnabled());
        QVERIFY(!p.reminderPicker()->Enabled());
        QVERIFY(!p.SendReceiveAll());
        QVERIFY(bench->dialogs.shown().isEmpty());

        // Put right on the page: another folder, saved, applies at once.
        MaildirFixture other(QDir::homePath() + QStringLiteral("/Post"));
        QVERIFY(other.create());
        p.sourceFields()->maildirField()->setText(QStringLiteral("~/Post"));
        QVERIFY(p.savePage());
        QVERIFY(p.errorLabel()->isHidden() && p.reminderPicker()->Enabled());
        QVERIFY(calls().filter(QStringLiteral("Speak")).isEmpty());

        // Removed and made again while running: quit and startup.
        QVERIFY(QDir(other.path()).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(calls(), QStringList{speakCall(QStringLiteral("Outlook wurde geschlossen."))}, 10000);
        QVERIFY(!p.errorLabel()->isHidden());
        QVERIFY(other.create());
        QTRY_COMPARE_WITH_TIMEOUT(calls().size(), 2, 10000);
        QCOMPARE(calls().last(), speakCall(QStringLiteral("Outlook wurde geöffnet.")));
        QVERIFY(p.errorLabel()->isHidden());
    }

    // An IMAP account set up on the page, against a Dovecot on loopback: a
    // refused password shows in red, in German; put right and saved, the
    // page connects at once, and appended mail runs the macro.
    void imapAccountSetUpOnThePage()
    {
        DovecotServer server;
        QVERIFY2(server.start(), qPrintable(server.lastError()));
        chooseSpeaking(QStringLiteral("NewMailMacro"), QStringLiteral("Post: <SUBJECT>"));
        Main &p = openPage();
        outlook::MailSourceFields &source = *p.sourceFields();
        source.sourceBox()->setCurrentIndex(1);
        source.hostField()->setText(QStringLiteral("127.0.0.1"));
        source.securityBox()->setCurrentIndex(2);
        source.portField()->setValue(server.port());
        source.userField()->setText(server.user());
        source.passwordField()->setText(QStringLiteral("falsch"));
        source.passwordField()->setModified(true);
        QVERIFY(p.PageChanged());
        QVERIFY(p.savePage());
        QTRY_VERIFY_WITH_TIMEOUT(!p.errorLabel()->isHidden(), 15000);
        QVERIFY2(p.errorLabel()->text().contains(QStringLiteral("Anmeldung")) && p.errorLabel()->text().contains(QStringLiteral("abgelehnt")),
                 qPrintable(p.errorLabel()->text()));
        QVERIFY(p.activeBox()->isEnabled() && p.saveButton()->isEnabled());
        QCOMPARE(source.passwordNote()->text(), CredentialStore::describe(CredentialLocation::SecretService));

        source.passwordField()->setText(server.password());
        source.passwordField()->setModified(true);
        QVERIFY(p.savePage());
        QTRY_VERIFY_WITH_TIMEOUT(p.errorLabel()->isHidden(), 15000);
        QTRY_VERIFY2_WITH_TIMEOUT(application() && application()->unreadCount().ok(),
                                  qPrintable(application() ? application()->unreadCount().error.description : QString()),
                                  15000);
        QVERIFY(server.append(QStringLiteral("INBOX"), mailText("a@example.org", "=?UTF-8?Q?Gr=C3=BC=C3=9Fe?=")));
        QTRY_COMPARE_WITH_TIMEOUT(calls(), (QStringList{kStopAll, speakCall(QStringLiteral("Post: Grüße"))}), 15000);
    }

    void withoutCharacterTheFailureIsReported()
    {
        page = std::make_unique<Main>();
        page->Init(nullptr);
        QCOMPARE(page->LastError().number, 91);
        QCOMPARE(bench->dialogs.shown().value(0).title, QStringLiteral("Fehler!"));
    }

    void closingAsksSavesAndRemovesTheEntry()
    {
        chooseSpeaking(QStringLiteral("NewMailMacro"), QStringLiteral("Post"));
        openPage();
        page.reset();
        QVERIFY(bench->dialogs.shown().isEmpty()); // nothing edited
        QVERIFY(!menuNames().contains(Main::menuEntryName()));

        Main &p = openPage();
        p.activeBox()->click();
        p.newMailPicker()->setText(MacroBox::noMacroText());
        bench->dialogs.queueAnswer(DialogService::Yes);
        page.reset();
        QCOMPARE(bench->dialogs.shown().value(0).title, QStringLiteral("Einstellungen Outlook"));
        QCOMPARE(setting(QStringLiteral("Active")), QStringLiteral("0"));
        QCOMPARE(setting(QStringLiteral("NewMailMacro")), MacroBox::noMacroText());
    }

    void refusedSaveKeepsTheEditsUnsaved_data()
    {
        addRefusalColumns();
        QTest::newRow("the character's own settings") << QString() << QString() << 1;
        QTest::newRow("active box") << QStringLiteral("Outlook2000") << QStringLiteral("Active") << 0;
        QTest::newRow("macro picker") << QStringLiteral("Outlook2000") << QStringLiteral("NewMailMacro") << 0;
        QTest::newRow("mail source") << QStringLiteral("Mail") << QStringLiteral("Maildir") << 0;
    }
    void refusedSaveKeepsTheEditsUnsaved()
    {
        Main &p = openPage();
        p.activeBox()->click();
        p.sourceFields()->maildirField()->setText(QStringLiteral("~/Post"));
        checkRefusedSave(p);
    }

    void libraryOffersThePageAndItsHelp()
    {
        QPluginLoader loader(QStringLiteral(TILVANO_OUTLOOK_LIBRARY));
        auto *plugin = qobject_cast<PagePlugin *>(loader.instance());
        QVERIFY2(plugin, qPrintable(loader.errorString()));
        QCOMPARE(plugin->classIdentifier() + plugin->libraryDescription(),
                 QStringLiteral("TilvanoOutlookPlugin.MainTilvano (Outlook 2000)"));
        std::unique_ptr<PluginPage> created(plugin->createMain(nullptr));
        QCOMPARE(created->PluginCaption() + created->TreeParent(), QStringLiteral("OutlookModule"));
        created->helpButton()->click();
        const auto box = bench->dialogs.shown().value(0);
        QCOMPARE(box.title, QStringLiteral("Tilvano Outlook-Plugin"));
        QCOMPARE(box.icon(), DialogService::Information);
        QVERIFY(box.text.startsWith(QStringLiteral("Plugin: Outlook2000\r\nVerfügbare Platzhalter:\r\n\r\n")));
        QCOMPARE(box.text.count(QStringLiteral("\r\n")), 21);
    }

    void applicationOutlivesAnEventThatReleasesIt()
    {
        outlook::MailConnection connection;
        QVERIFY(!connection.connectTo(mail::MailServices::mail()).isError());
        QPointer<mail::MailApplication> held = connection.application();
        bool aliveInHandler = false;
        int quits = 0;
        connect(&connection, &outlook::MailConnection::quit, this, [&] { ++quits; });
        connect(&connection, &outlook::MailConnection::newMail, this, [&] {
            connection.release();
            aliveInHandler = !held.isNull();
        });
        emit held->newMail();
        QVERIFY(aliveInHandler && held.isNull()); // gone once the event returned
        QCOMPARE(quits, 0);
    }
};

QTEST_MAIN(TestOutlookPage)
#include "tst_outlookpage.moc"
