// The mail application on an IMAP account, against a real Dovecot on
// loopback: new mail announced with its decoded subject and left unread for
// the user's other client, sent mail noticed, a dropped connection survived
// with only the mail that arrived meanwhile announced, a refused password
// reported in German. And a Maildir that mbsync fills from the same server,
// whose sent mail is announced exactly once whatever mbsync does to it.

#include "support/DovecotServer.h"
#include "support/MaildirFixture.h"
#include "support/PrivateSessionBus.h"
#include "common/SettingsStore.h"
#include "platform/mail/ImapMailApplication.h"
#include "platform/mail/SettingsMailService.h"
#include "support/IsolatedHome.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace tilvano;
using namespace tilvano::mail;
using tilvano::test::DovecotServer;
using tilvano::test::MaildirFixture;

namespace {

constexpr int kTimeout = 15000;

void setMailSetting(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("Mail"), key, value);
}

QByteArray message(const QByteArray &subject, const QByteArray &body = "Hallo")
{
    return MaildirFixture::message("Bea <bea@example.org>", "Anna <anna@example.org>", subject, body);
}


} // namespace

class TestImapApplication : public QObject {
    Q_OBJECT

    DovecotServer m_server;
    // A session bus without a secret store: the password lies in the
    // private settings store, as on a desktop without a keyring.
    std::unique_ptr<test::PrivateSessionBus> m_bus;
    std::unique_ptr<test::IsolatedHome> m_home;
    SettingsMailService m_service;

    void useAccount(const QString &password)
    {
        setMailSetting(QStringLiteral("Source"), QStringLiteral("imap"));
        setMailSetting(QStringLiteral("ImapHost"), QStringLiteral("127.0.0.1"));
        setMailSetting(QStringLiteral("ImapPort"), QString::number(m_server.port()));
        setMailSetting(QStringLiteral("ImapSecurity"), QStringLiteral("none"));
        setMailSetting(QStringLiteral("ImapUser"), m_server.user());
        setMailSetting(QStringLiteral("ImapPassword"), password);
    }

    // The application once it has looked at the inbox; null if it could not.
    std::shared_ptr<MailApplication> connectedApplication()
    {
        auto created = m_service.createApplication();
        if (!created.ok())
            return nullptr;
        QDeadlineTimer deadline(kTimeout);
        while (!created.value->unreadCount().ok() && !deadline.hasExpired())
            QTest::qWait(20);
        if (!created.value->unreadCount().ok())
            qWarning() << created.value->unreadCount().error.description << m_server.log();
        return created.value->unreadCount().ok() ? created.value : nullptr;
    }

private slots:
    void initTestCase()
    {
        m_bus = std::make_unique<test::PrivateSessionBus>(test::PrivateSessionBus::SecretStore::None);
        QVERIFY2(m_bus->isReady(), qPrintable(m_bus->error()));
        QVERIFY2(DovecotServer::isInstalled(), "dovecot-imapd must be installed (scripts/packages.txt)");
        QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
        ImapMailApplication::setReconnectPausesForTesting(100, 1000);
    }
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void newMailIsAnnouncedAndStaysUnread()
    {
        useAccount(m_server.password());
        QVERIFY(m_server.append(QStringLiteral("INBOX"), message("schon da")));
        auto app = connectedApplication();
        QVERIFY(app);
        QSignalSpy newMail(app.get(), &MailApplication::newMail);
        QSignalSpy startup(app.get(), &MailApplication::startup);
        QStringList sent;
        connect(app.get(), &MailApplication::itemSend, this,
                [&](const MailItem &item, bool &) { sent << item.subject; });
        QCOMPARE(app->unreadCount().value, 1);
        QCOMPARE(newMail.count(), 0); // there before: not news

        QVERIFY(m_server.append(QStringLiteral("INBOX"), message("=?UTF-8?Q?Gr=C3=BC=C3=9Fe_aus_K=C3=B6ln?=", "Bis bald")));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 1, kTimeout);
        QCOMPARE(app->unreadCount().value, 2);
        const MailItem newest = app->unreadItem(1).value;
        QCOMPARE(newest.subject, QStringLiteral("Grüße aus Köln"));
        QCOMPARE(newest.senderName, QStringLiteral("Bea"));
        QCOMPARE(newest.body, QStringLiteral("Bis bald"));
        QCOMPARE(newest.firstRecipientName(), QStringLiteral("Anna"));
        // The user's other client still sees both as unread.
        const QStringList flags = m_server.flags(QStringLiteral("INBOX"));
        QCOMPARE(flags.size(), 2);
        QVERIFY2(flags.filter(QStringLiteral("\\Seen")).isEmpty(), qPrintable(flags.join('|')));

        QVERIFY(m_server.append(QStringLiteral("Sent"), message("Antwort"), "\\Seen"));
        QTRY_COMPARE_WITH_TIMEOUT(sent, QStringList{QStringLiteral("Antwort")}, kTimeout);
        QCOMPARE(startup.count(), 0); // connecting at the start is no startup

        // Read elsewhere: fewer unread, nothing announced.
        QVERIFY(m_server.setSeen(QStringLiteral("INBOX"), "1"));
        QVERIFY(!test::finishSendAndReceive(*app).isError());
        QCOMPARE(app->unreadCount().value, 1);
        QCOMPARE(newMail.count(), 1);
    }

    void droppedConnectionIsSurvived()
    {
        useAccount(m_server.password());
        auto app = connectedApplication();
        QVERIFY(app);
        QSignalSpy newMail(app.get(), &MailApplication::newMail);
        QSignalSpy quit(app.get(), &MailApplication::quit);
        const int before = app->unreadCount().value;

        QVERIFY(m_server.kickUser());
        QVERIFY(m_server.append(QStringLiteral("INBOX"), message("waehrenddessen")));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 1, kTimeout);
        QCOMPARE(app->unreadItem(1).value.subject, QStringLiteral("waehrenddessen"));
        // Once: the next announcement is the next mail.
        QVERIFY(m_server.append(QStringLiteral("INBOX"), message("danach")));
        QTRY_COMPARE_WITH_TIMEOUT(newMail.count(), 2, kTimeout);
        QCOMPARE(app->unreadCount().value, before + 2);
        QCOMPARE(quit.count(), 0);
        QVERIFY(!app->problem().isError());
    }

    void refusedPasswordIsReportedInGerman()
    {
        useAccount(QStringLiteral("falsch"));
        auto created = m_service.createApplication();
        QVERIFY(created.ok());
        QTRY_VERIFY_WITH_TIMEOUT(created.value->problem().isError(), kTimeout);
        QVERIFY2(created.value->problem().description.contains(QStringLiteral("Anmeldung")),
                 qPrintable(created.value->problem().description));
        QVERIFY(created.value->problem().description.contains(QStringLiteral("abgelehnt")));
        QVERIFY(!created.value->unreadCount().ok());
        QVERIFY(!created.value->startSendAndReceive().ok());
    }

    // A server whose certificate nobody vouches for gets no password,
    // whether it speaks TLS from the start or after STARTTLS.
    void untrustedCertificateIsRefused_data()
    {
        QTest::addColumn<QString>("security");
        QTest::addColumn<bool>("tlsPort");
        QTest::newRow("tls") << QStringLiteral("tls") << true;
        QTest::newRow("starttls") << QStringLiteral("starttls") << false;
    }
    void untrustedCertificateIsRefused()
    {
        QFETCH(QString, security);
        QFETCH(bool, tlsPort);
        useAccount(m_server.password());
        setMailSetting(QStringLiteral("ImapSecurity"), security);
        setMailSetting(QStringLiteral("ImapPort"), QString::number(tlsPort ? m_server.tlsPort() : m_server.port()));
        auto created = m_service.createApplication();
        QVERIFY(created.ok());
        QTRY_VERIFY_WITH_TIMEOUT(created.value->problem().isError(), kTimeout);
        const QString problem = created.value->problem().description;
        QVERIFY2(problem.contains(QStringLiteral("Zertifikat")) && problem.contains(QStringLiteral("nicht zu trauen")),
                 qPrintable(problem));
        QVERIFY(!created.value->unreadCount().ok());
    }

    // mbsync fills a Maildir from the same server. A mail put into the
    // server's sent folder is announced once as sent, also when a later
    // sync renames the file for a changed flag.
    void mbsyncSentMailIsAnnouncedOnce()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("mbsync")).isEmpty(),
                 "isync (mbsync) must be installed (scripts/packages.txt)");
        const QString maildir = QDir::homePath() + QStringLiteral("/Maildir");
        const QString config = QDir::homePath() + QStringLiteral("/mbsyncrc");
        QFile rc(config);
        QVERIFY(rc.open(QIODevice::WriteOnly));
        rc.write(QStringLiteral("IMAPAccount test\nHost 127.0.0.1\nPort %1\nUser %2\nPass %3\nSSLType None\n"
                                "AuthMechs PLAIN LOGIN\n\nIMAPStore remote\nAccount test\n\n"
                                "MaildirStore local\nInbox %4\nSubFolders Maildir++\n\n"
                                "Channel test\nFar :remote:\nNear :local:\nPatterns *\nCreate Near\nSync All\n"
                                "SyncState *\n")
                     .arg(m_server.port())
                     .arg(m_server.user(), m_server.password(), maildir)
                     .toUtf8());
        rc.close();
        setMailSetting(QStringLiteral("SyncCommand"), QStringLiteral("mbsync -c \"%1\" -a").arg(config));
        auto created = m_service.createApplication();
        QVERIFY(created.ok());
        MailApplication &app = *created.value;
        QStringList sent;
        connect(&app, &MailApplication::itemSend, this, [&](const MailItem &item, bool &) { sent << item.subject; });
        const ErrorInfo first = test::finishSendAndReceive(app);
        QVERIFY2(!first.isError(), qPrintable(first.description));
        QVERIFY(!app.problem().isError());

        QVERIFY(m_server.append(QStringLiteral("Sent"), message("Gesendet per mbsync")));
        QVERIFY(!test::finishSendAndReceive(app).isError());
        QTRY_COMPARE_WITH_TIMEOUT(sent, QStringList{QStringLiteral("Gesendet per mbsync")}, kTimeout);
        const QStringList files = QDir(maildir + QStringLiteral("/.Sent/cur")).entryList(QDir::Files)
            + QDir(maildir + QStringLiteral("/.Sent/new")).entryList(QDir::Files);
        // Beside the mail sent in an earlier test, which the first sync
        // brought along quietly.
        QVERIFY2(files.size() == 2 && files.filter(QStringLiteral(",U=")).size() == 2, qPrintable(files.join(' ')));

        // Read on the server: mbsync renames the local file for the flag.
        QVERIFY(m_server.setSeen(QStringLiteral("Sent"), "1:*"));
        QVERIFY(!test::finishSendAndReceive(app).isError());
        const QStringList renamed = QDir(maildir + QStringLiteral("/.Sent/cur")).entryList(QDir::Files);
        QVERIFY2(renamed.size() == 2 && renamed.filter(QRegularExpression(QStringLiteral(":2,[A-Z]*S$"))).size() == 2,
                 qPrintable(renamed.join(' ')));
        // A mail sent afterwards shows that the rename was looked at by then.
        QVERIFY(m_server.append(QStringLiteral("Sent"), message("Zweite")));
        QVERIFY(!test::finishSendAndReceive(app).isError());
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 2, kTimeout);
        QCOMPARE(sent, (QStringList{QStringLiteral("Gesendet per mbsync"), QStringLiteral("Zweite")}));
    }
};

QTEST_GUILESS_MAIN(TestImapApplication)
#include "tst_imapapplication.moc"
