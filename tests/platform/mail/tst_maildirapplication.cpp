// The mail application on a real Maildir in a temporary home folder:
// creation errors, unread counts as messages are delivered, read and deleted,
// the events it raises, the unread items and send-and-receive.

#include "support/FifoTrap.h"
#include "support/MaildirFixture.h"
#include "common/SettingsStore.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirMailApplication.h"
#include "platform/mail/SettingsMailService.h"
#include "system/SystemServices.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace tilvano;
using namespace tilvano::mail;
using tilvano::test::MaildirFixture;

namespace {

constexpr int kEventTimeout = 10000;

void setMailSetting(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("Mail"), key, value);
}


} // namespace

class TestMaildirApplication : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    std::unique_ptr<MaildirFixture> m_inbox;
    SettingsMailService m_service;

    QString home() const { return QDir::homePath(); }

    std::shared_ptr<MailApplication> openApplication()
    {
        auto created = m_service.createApplication();
        if (!created.ok())
            qWarning() << created.error.description;
        return created.value;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        m_inbox = std::make_unique<MaildirFixture>(home() + QStringLiteral("/Maildir"));
    }
    void cleanup()
    {
        m_inbox.reset();
        m_home.reset();
    }

    void settingsDefaultsAndPaths()
    {
        const MailSettings defaults = MailSettings::load(SystemServices::registry());
        QCOMPARE(defaults.maildirPath(), home() + QStringLiteral("/Maildir"));
        QCOMPARE(defaults.sentFolderPath(), home() + QStringLiteral("/Maildir/.Sent"));
        QCOMPARE(defaults.calendarPath(), home() + QStringLiteral("/.calendars"));
        QCOMPARE(defaults.syncCommand, QString());

        setMailSetting(QStringLiteral("Maildir"), QStringLiteral("Mail/privat"));
        setMailSetting(QStringLiteral("SentFolder"), QStringLiteral("/var/mail/gesendet"));
        const MailSettings custom = MailSettings::load(SystemServices::registry());
        QCOMPARE(custom.maildirPath(), home() + QStringLiteral("/Mail/privat"));
        QCOMPARE(custom.sentFolderPath(), QStringLiteral("/var/mail/gesendet"));
    }

    // The Maildir coming and going while the application runs is its
    // startup and quit; being there (or not) from the start, and being let
    // go, are neither.
    void reachabilityIsStartupAndQuit()
    {
        auto app = openApplication();
        QVERIFY(app);
        QCOMPARE(app->problem().number, 429);
        QVERIFY(app->problem().description.contains(home() + QStringLiteral("/Maildir")));
        QVERIFY(app->problem().description.contains(QStringLiteral("existiert nicht")));
        QStringList events;
        connect(app.get(), &MailApplication::startup, this, [&] { events << QStringLiteral("startup"); });
        connect(app.get(), &MailApplication::quit, this, [&] { events << QStringLiteral("quit"); });
        QSignalSpy newMail(app.get(), &MailApplication::newMail);

        QVERIFY(QDir().mkpath(home() + QStringLiteral("/Maildir/cur")));
        QTRY_VERIFY_WITH_TIMEOUT(app->problem().description.contains(QStringLiteral("kein Maildir")), kEventTimeout);
        QVERIFY(m_inbox->create());
        QTRY_COMPARE_WITH_TIMEOUT(events, QStringList{QStringLiteral("startup")}, kEventTimeout);
        QVERIFY(!app->problem().isError());
        m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "erste", "1"));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 1, kEventTimeout);

        QVERIFY(QDir(m_inbox->path()).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(events, (QStringList{QStringLiteral("startup"), QStringLiteral("quit")}), kEventTimeout);
        QCOMPARE(app->problem().number, 429);
        QVERIFY(m_inbox->create());
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), 3, kEventTimeout);
        QCOMPARE(m_service.runningApplication(), app);
        app.reset();
        QCOMPARE(events.size(), 3);
        QVERIFY(!m_service.runningApplication());
    }

    void unreadCountFollowsDeliverSeenAndDelete()
    {
        QVERIFY(m_inbox->create());
        auto app = openApplication();
        QVERIFY(app);
        QCOMPARE(app->unreadCount().value, 0);

        const QString first = m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "eins", "1"));
        const QString second = m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "zwei", "2"));
        QCOMPARE(app->unreadCount().value, 2);

        QVERIFY(m_inbox->markSeen(first));
        QCOMPARE(app->unreadCount().value, 1);

        // Flags other than Seen leave a message unread; Seen among others does not.
        m_inbox->store(MaildirFixture::message("a@x.de", "b@x.de", "markiert", "3"), QStringLiteral("F"));
        m_inbox->store(MaildirFixture::message("a@x.de", "b@x.de", "gelesen", "4"), QStringLiteral("FRS"));
        QCOMPARE(app->unreadCount().value, 2);

        QVERIFY(m_inbox->remove(second));
        QCOMPARE(app->unreadCount().value, 1);

        // Hidden files are not messages.
        QFile hidden(m_inbox->path() + QStringLiteral("/new/.lock"));
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.close();
        QCOMPARE(app->unreadCount().value, 1);

        // A store that vanishes under the application is a failure, not a crash.
        QVERIFY(QDir(m_inbox->path()).removeRecursively());
        const MailResult<int> gone = app->unreadCount();
        QVERIFY(!gone.ok());
        QCOMPARE(gone.error.number, 57);
    }

    void deliveryRaisesNewMailOnce()
    {
        QVERIFY(m_inbox->create());
        m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "alt", "schon da"));
        auto app = openApplication();
        QVERIFY(app);
        QSignalSpy newMail(app.get(), &MailApplication::newMail);

        const QString unique = m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "neu", "1"));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 1, kEventTimeout);

        // Reading a message moves it out of new/: that is not new mail. The
        // next delivery is, and it is counted once.
        QVERIFY(m_inbox->markSeen(unique));
        m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "noch neuer", "2"));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 2, kEventTimeout);
        QCOMPARE(app->unreadCount().value, 2);
    }

    void unreadItemsNewestFirstWithDecodedTexts()
    {
        QVERIFY(m_inbox->create());
        const QDateTime now = QDateTime::currentDateTimeUtc();
        m_inbox->deliver(MaildirFixture::message("Alt <alt@x.de>", "b@x.de", "=?UTF-8?Q?=C3=84lter?=", "a"),
                         now.addSecs(-3600));
        m_inbox->deliver("From: =?ISO-8859-1?Q?J=F6rg?= <j@x.de>\r\nTo: Bea <bea@x.de>, c@x.de\r\n"
                         "Subject: =?windows-1252?B?k0hhbGxvlA==?=\r\n\r\nText mit \"Zitat\"\r\n",
                         now);
        auto app = openApplication();
        QVERIFY(app);

        const MailResult<MailItem> newest = app->unreadItem(1);
        QVERIFY(newest.ok());
        QCOMPARE(newest.value.senderName, QStringLiteral("Jörg"));
        QCOMPARE(newest.value.subject, QStringLiteral("\u201CHallo\u201D"));
        QCOMPARE(newest.value.body, QStringLiteral("Text mit \"Zitat\""));
        QCOMPARE(newest.value.firstRecipientName(), QStringLiteral("Bea"));
        QCOMPARE(newest.value.defaultValue(), newest.value.subject);

        QCOMPARE(app->unreadItem(2).value.subject, QStringLiteral("Älter"));
        QCOMPARE(app->unreadItem(3).error.number, 9);
        QCOMPARE(app->unreadItem(0).error.number, 9);
    }

    void sentMailRaisesItemSend()
    {
        QVERIFY(m_inbox->create());
        MaildirFixture sent(m_inbox->path() + QStringLiteral("/.Sent"));
        QVERIFY(sent.create());
        sent.store(MaildirFixture::message("ich@x.de", "alt@x.de", "vorher", "x"), QStringLiteral("S"));
        auto app = openApplication();
        QVERIFY(app);

        QList<MailItem> items;
        connect(app.get(), &MailApplication::itemSend, this, [&](const MailItem &item, bool &cancel) {
            items << item;
            cancel = true; // must not matter
        });
        const QString unique = sent.store(
            MaildirFixture::message("Ich <ich@x.de>", "\"Meier, Kurt\" <kurt@x.de>", "Angebot", "Hier ist es."),
            QStringLiteral("S"));
        QTRY_COMPARE_WITH_TIMEOUT(items.size(), 1, kEventTimeout);
        QCOMPARE(items[0].senderName, QStringLiteral("Ich"));
        QCOMPARE(items[0].subject, QStringLiteral("Angebot"));
        QCOMPARE(items[0].body, QStringLiteral("Hier ist es."));
        QCOMPARE(items[0].firstRecipientName(), QStringLiteral("Meier, Kurt"));
        QVERIFY(QFile::exists(sent.fileOf(unique))); // cancelling did not hold it back

        // A flag change renames the file but sends nothing; a second mail does.
        QVERIFY(QFile::rename(sent.fileOf(unique), sent.path() + QStringLiteral("/cur/") + unique
                                                        + QStringLiteral(":2,RS")));
        sent.deliver(MaildirFixture::message("ich@x.de", "z@x.de", "zweite", "x"));
        QTRY_COMPARE_WITH_TIMEOUT(items.size(), 2, kEventTimeout);
        QCOMPARE(items[1].subject, QStringLiteral("zweite"));
    }

    // The renames sync tools really make, each after the mail was announced:
    // none of them announces it again. A second mail afterwards shows that
    // the renames were looked at by then.
    void syncToolRenamesAnnounceOnce_data()
    {
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("renamed");
        QTest::newRow("mbsync learns the UID of a sent mail")
            << true << "cur/1733580000.4711_1.laptop:2,S" << "cur/1733580000.4711_1.laptop,U=17:2,S";
        QTest::newRow("mbsync marks a fetched sent mail seen")
            << true << "new/1733580000.4711_2.laptop,U=18:2," << "cur/1733580000.4711_2.laptop,U=18:2,S";
        QTest::newRow("offlineimap adds UID and folder hash")
            << true << "cur/1733580000_0.1234.laptop:2,S" << "cur/1733580000_0.1234.laptop,U=42,FMD5=7e3a9c0b6a:2,S";
        QTest::newRow("offlineimap changes flags")
            << true << "cur/1733580000_1.1234.laptop,U=43,FMD5=7e3a9c0b6a:2,S"
            << "cur/1733580000_1.1234.laptop,U=43,FMD5=7e3a9c0b6a:2,RS";
        QTest::newRow("mbsync learns the UID of new mail")
            << false << "new/1733580000.4711_3.laptop" << "new/1733580000.4711_3.laptop,U=19";
    }
    void syncToolRenamesAnnounceOnce()
    {
        QFETCH(bool, sent);
        QFETCH(QString, first);
        QFETCH(QString, renamed);
        QVERIFY(m_inbox->create());
        MaildirFixture sentFolder(m_inbox->path() + QStringLiteral("/.Sent"));
        QVERIFY(sentFolder.create());
        auto app = openApplication();
        QVERIFY(app);
        int announced = 0;
        connect(app.get(), &MailApplication::itemSend, this, [&](const MailItem &, bool &) { announced += sent; });
        connect(app.get(), &MailApplication::newMail, this, [&] { announced += !sent; });
        const QString folder = sent ? sentFolder.path() : m_inbox->path();
        const QByteArray mail = MaildirFixture::message("ich@x.de", "du@x.de", "eins", "x");
        QFile file(folder + QStringLiteral("/tmp/") + QFileInfo(first).fileName());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(mail) == mail.size());
        file.close();
        QVERIFY(file.rename(folder + QLatin1Char('/') + first));
        QTRY_COMPARE_WITH_TIMEOUT(announced, 1, kEventTimeout);

        QVERIFY(QFile::rename(folder + QLatin1Char('/') + first, folder + QLatin1Char('/') + renamed));
        if (sent)
            sentFolder.store(MaildirFixture::message("ich@x.de", "du@x.de", "zwei", "x"), QStringLiteral("S"));
        else
            m_inbox->deliver(MaildirFixture::message("du@x.de", "ich@x.de", "zwei", "x"));
        QTRY_COMPARE_WITH_TIMEOUT(announced, 2, kEventTimeout);
    }

    void syncedSentFolderStaysQuiet()
    {
        QVERIFY(m_inbox->create());
        MaildirFixture sent(m_inbox->path() + QStringLiteral("/.Sent"));
        QVERIFY(sent.create());
        auto app = openApplication();
        QVERIFY(app);
        QStringList subjects;
        connect(app.get(), &MailApplication::itemSend, this,
                [&](const MailItem &item, bool &) { subjects << item.subject; });
        QSignalSpy newMail(app.get(), &MailApplication::newMail);
        // All of these land before the application looks: one stroke.
        for (int i = 0; i <= MaildirMailApplication::maxSentAtOnce; ++i)
            sent.store(MaildirFixture::message("ich@x.de", "z@x.de", "alt", "x"), QStringLiteral("S"));
        // Changes reach the application in order, so once this delivery is
        // seen, the stroke before it has been handled.
        m_inbox->deliver(MaildirFixture::message("a@x.de", "ich@x.de", "Posteingang", "x"));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 1, kEventTimeout);
        QVERIFY(subjects.isEmpty());
        sent.store(MaildirFixture::message("ich@x.de", "z@x.de", "neu", "x"), QStringLiteral("S"));
        QTRY_COMPARE_WITH_TIMEOUT(subjects.size(), 1, kEventTimeout);
        QCOMPARE(subjects, QStringList{QStringLiteral("neu")});
    }

    void sentFolderMadeLaterIsWatched()
    {
        QVERIFY(m_inbox->create());
        auto app = openApplication();
        QVERIFY(app);
        int sentCount = 0;
        connect(app.get(), &MailApplication::itemSend, this, [&](const MailItem &, bool &) { ++sentCount; });
        MaildirFixture sent(m_inbox->path() + QStringLiteral("/.Sent"));
        QVERIFY(sent.create());
        // Whether the application notices the folder before or after the
        // first mail lands in it, that mail counts as sent.
        sent.store(MaildirFixture::message("ich@x.de", "z@x.de", "erste", "x"), QStringLiteral("S"));
        QTRY_COMPARE_WITH_TIMEOUT(sentCount, 1, kEventTimeout);
    }

    // A FIFO, or a link to one, under a message's name in new/ or in the
    // sent folder is no message, and nothing waits on it.
    void fifosInTheMaildirAreNoMessages()
    {
        QVERIFY(m_inbox->create());
        MaildirFixture sent(m_inbox->path() + QStringLiteral("/.Sent"));
        QVERIFY(sent.create());
        auto app = openApplication();
        QVERIFY(app);
        QStringList sentSubjects;
        connect(app.get(), &MailApplication::itemSend, this,
                [&](const MailItem &item, bool &) { sentSubjects << item.subject; });
        QSignalSpy newMail(app.get(), &MailApplication::newMail);

        m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "echt", "x"));
        QTRY_VERIFY_WITH_TIMEOUT(newMail.count() >= 1, kEventTimeout);
        test::FifoTrap trap(m_inbox->path() + QStringLiteral("/fifo"));
        QVERIFY(trap.isMade());
        QVERIFY(QFile::link(m_inbox->path() + QStringLiteral("/fifo"),
                            m_inbox->path() + QStringLiteral("/new/9999999999.M1P1.falle")));
        QVERIFY(QFile::link(m_inbox->path() + QStringLiteral("/fifo"),
                            sent.path() + QStringLiteral("/cur/9999999999.M2P2.falle:2,S")));
        sent.store(MaildirFixture::message("ich@x.de", "z@x.de", "gesendet", "x"), QStringLiteral("S"));
        QTRY_COMPARE_WITH_TIMEOUT(sentSubjects, QStringList{QStringLiteral("gesendet")}, kEventTimeout);
        QCOMPARE(app->unreadItem(1).value.subject, QStringLiteral("echt"));
        QVERIFY(!trap.hadToRelease());
    }

    void sendAndReceiveRunsTheCommandWithoutShell()
    {
        QVERIFY(m_inbox->create());
        QTemporaryDir outside;
        const QString source = outside.filePath(QStringLiteral("geholt.eml"));
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(MaildirFixture::message("a@x.de", "b@x.de", "geholt", "x"));
        file.close();

        // No command: only re-reads.
        auto app = openApplication();
        QVERIFY(app);
        QVERIFY(!test::finishSendAndReceive(*app).isError());

        // The command's words reach the program as they are: ';' and '$' are
        // no shell syntax here, quotes group.
        const QString target = m_inbox->path() + QStringLiteral("/new/1.fetched;$HOME x");
        setMailSetting(QStringLiteral("SyncCommand"),
                       QStringLiteral("cp \"%1\" \"%2\"").arg(source, target));
        app.reset();
        app = openApplication();
        QSignalSpy newMail(app.get(), &MailApplication::newMail);
        const ErrorInfo fetched = test::finishSendAndReceive(*app);
        QVERIFY2(!fetched.isError(), qPrintable(fetched.description));
        QVERIFY(QFile::exists(target));
        QCOMPARE(app->unreadCount().value, 1);
        QCOMPARE(app->unreadItem(1).value.subject, QStringLiteral("geholt"));

        // What the command fetched was taken in quietly; the next delivery
        // is the first NewMail.
        m_inbox->deliver(MaildirFixture::message("a@x.de", "b@x.de", "danach", "x"));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 1, kEventTimeout);
    }

    void failingSyncCommandsFail_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("exit code") << QStringLiteral("false") << QStringLiteral("Fehlercode 1");
        QTest::newRow("missing program") << QStringLiteral("/nonexistent/mbsync -a")
                                         << QStringLiteral("nicht gestartet");
        QTest::newRow("reason from stderr") << QStringLiteral("ls /nonexistent-folder") << QStringLiteral("ls");
    }
    void failingSyncCommandsFail()
    {
        QFETCH(QString, command);
        QFETCH(QString, mentions);
        QVERIFY(m_inbox->create());
        setMailSetting(QStringLiteral("SyncCommand"), command);
        auto app = openApplication();
        QVERIFY(app);
        const ErrorInfo result = test::finishSendAndReceive(*app);
        QCOMPARE(result.number, 440);
        QVERIFY2(result.description.contains(mentions), qPrintable(result.description));
    }

    void slowSyncCommandIsStopped()
    {
        QVERIFY(m_inbox->create());
        setMailSetting(QStringLiteral("SyncCommand"), QStringLiteral("sleep 30"));
        auto opened = MaildirMailApplication::open(MailSettings::load(SystemServices::registry()), systemClock());
        opened->setSyncTimeout(200);
        const ErrorInfo result = test::finishSendAndReceive(*opened);
        QCOMPARE(result.number, 440);
        QVERIFY(result.description.contains(QStringLiteral("abgebrochen")));
    }
};

QTEST_GUILESS_MAIN(TestMaildirApplication)
#include "tst_maildirapplication.moc"
