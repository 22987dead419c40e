// Decoding stored messages into the texts clients see: encoded headers in
// several charsets, addresses, the body of multipart and HTML mail, and
// hostile input that must end in a defined result.

#include "support/FifoTrap.h"
#include "support/MaildirFixture.h"
#include "platform/mail/HtmlToText.h"
#include "platform/mail/MimeMessageReader.h"

#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::mail;

namespace {

QByteArray withHeaders(const QByteArray &headers, const QByteArray &body = "Hallo\r\n")
{
    return headers + "\r\n\r\n" + body;
}

// A literal with its embedded NULs.
template <qsizetype N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

} // namespace

class TestMimeMessageReader : public QObject {
    Q_OBJECT

private slots:
    void subjectDecoding_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QString>("subject");
        QTest::newRow("B, UTF-8") << QByteArray("Subject: =?UTF-8?B?R3LDvMOfZSBhdXMgTcO8bmNoZW4=?=")
                                  << QStringLiteral("Grüße aus München");
        QTest::newRow("Q, ISO-8859-1") << QByteArray("Subject: =?ISO-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=")
                                       << QStringLiteral("Grüße aus Köln");
        // 0x80 is the euro sign in windows-1252 but a control in ISO-8859-1.
        QTest::newRow("Q, windows-1252") << QByteArray("Subject: =?windows-1252?Q?Preis_=80_100?=")
                                         << QStringLiteral("Preis € 100");
        QTest::newRow("folded encoded words")
            << QByteArray("Subject: =?UTF-8?Q?Sch=C3=B6ne?=\r\n =?UTF-8?Q?_Gr=C3=BC=C3=9Fe?=")
            << QStringLiteral("Schöne Grüße");
        QTest::newRow("lower-case charset and encoding") << QByteArray("Subject: =?iso-8859-15?q?=A4uro?=")
                                                         << QStringLiteral("€uro");
        QTest::newRow("mixed plain and encoded") << QByteArray("Subject: Re: =?UTF-8?Q?T=C3=BCr?= offen")
                                                 << QStringLiteral("Re: Tür offen");
        QTest::newRow("undeclared 8-bit Latin-1") << QByteArray("Subject: M\xfcller kommt")
                                                  << QStringLiteral("Müller kommt");
        QTest::newRow("raw UTF-8") << QByteArray("Subject: M\xc3\xbcller kommt") << QStringLiteral("Müller kommt");
        QTest::newRow("no subject") << QByteArray("X-Other: 1") << QString();
    }
    void subjectDecoding()
    {
        QFETCH(QByteArray, header);
        QFETCH(QString, subject);
        const MailItem item = MimeMessageReader::parse(withHeaders("From: a@example.org\r\n" + header));
        QCOMPARE(item.subject, subject);
    }

    void senderAndRecipients()
    {
        const MailItem item = MimeMessageReader::parse(withHeaders(
            "From: =?UTF-8?Q?J=C3=BCrgen_M=C3=BCller?= <jm@example.org>\r\n"
            "To: \"Schmidt, Anna\" <anna@example.org>, bob@example.org\r\n"
            "Cc: Team: Dora <dora@example.org>, Emil <emil@example.org>;\r\n"
            "Subject: x"));
        QCOMPARE(item.senderName, QStringLiteral("Jürgen Müller"));
        QCOMPARE(item.recipients,
                 QStringList({QStringLiteral("Schmidt, Anna"), QStringLiteral("bob@example.org"),
                              QStringLiteral("Dora"), QStringLiteral("Emil")}));
        QCOMPARE(item.firstRecipientName(), QStringLiteral("Schmidt, Anna"));

        const MailItem bare = MimeMessageReader::parse(withHeaders("From: <solo@example.org>\r\nSubject: x"));
        QCOMPARE(bare.senderName, QStringLiteral("solo@example.org"));
        QCOMPARE(bare.firstRecipientName(), QString());
    }

    void bodyOfMultipartMessages()
    {
        const QByteArray alternative =
            "From: a@example.org\r\nMIME-Version: 1.0\r\n"
            "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
            "--outer\r\nContent-Type: text/plain; name=\"notes.txt\"\r\n"
            "Content-Disposition: attachment; filename=\"notes.txt\"\r\n\r\nANHANG\r\n"
            "--outer\r\nContent-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
            "--inner\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>HTML</p>\r\n"
            "--inner\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\nGr=FC=DFe=0D=0Aund Tsch=FCss\r\n"
            "--inner--\r\n--outer--\r\n";
        QCOMPARE(MimeMessageReader::parse(alternative).body, QStringLiteral("Grüße\nund Tschüss"));

        const QByteArray htmlOnly =
            "From: a@example.org\r\nContent-Type: text/html; charset=windows-1252\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n"
            + QByteArray("<html><head><style>p{color:red}</style><script>alert(1)</script></head>"
                         "<body><p>Hallo&nbsp;Welt &amp; \x80</p><p>Zeile&#32;2 &#x263A;</p><!-- weg --></body></html>")
                  .toBase64()
            + "\r\n";
        QCOMPARE(MimeMessageReader::parse(htmlOnly).body, QStringLiteral("Hallo Welt & €\n\nZeile 2 \u263A"));

        // A part whose declared charset nobody knows: the bytes are still shown.
        const QByteArray unknownCharset =
            "From: a@example.org\r\nContent-Type: text/plain; charset=x-unbekannt\r\n\r\nK\xe4se\r\n";
        QCOMPARE(MimeMessageReader::parse(unknownCharset).body, QStringLiteral("Käse"));
    }

    void hostileInputGivesAnItem_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << bytes("\xff\xfe\x00\x01 random \x80\x81 bytes\n\n\n\x00");
        QTest::newRow("NUL in headers and body")
            << bytes("From: a\0b@example.org\r\nSubject: vor\0nach\r\n\r\nText\0mit NUL\r\n");
        QTest::newRow("unterminated multipart")
            << QByteArray("Content-Type: multipart/mixed; boundary=x\r\n\r\n--x\r\nContent-Type: text/plain\r\n\r\nteil");
        QTest::newRow("boundary-less multipart") << QByteArray("Content-Type: multipart/mixed\r\n\r\n--\r\n--\r\n");
        QTest::newRow("bad transfer encoding")
            << QByteArray("Content-Transfer-Encoding: base64\r\nContent-Type: text/plain\r\n\r\n!!!***===\r\n");
        QTest::newRow("header line of 1 MB") << QByteArray("Subject: " + QByteArray(1 << 20, 'x') + "\r\n\r\nb");
        QTest::newRow("endless encoded words")
            << QByteArray("Subject: " + QByteArray("=?UTF-8?B?w7w=?= ").repeated(20000) + "\r\n\r\nb");
        QByteArray nested = "Content-Type: multipart/mixed; boundary=b0\r\n\r\n";
        for (int i = 1; i < 2000; ++i)
            nested += "--b" + QByteArray::number(i - 1) + "\r\nContent-Type: multipart/mixed; boundary=b"
                + QByteArray::number(i) + "\r\n\r\n";
        QTest::newRow("deeply nested multiparts") << nested;
    }
    void hostileInputGivesAnItem()
    {
        QFETCH(QByteArray, message);
        const MailItem item = MimeMessageReader::parse(message);
        QVERIFY(!item.subject.contains(QChar(0)));
        QVERIFY(!item.body.contains(QChar(0)));
        QVERIFY(!item.senderName.contains(QChar(0)));
        QVERIFY(item.subject.size() <= MimeMessageReader::maxHeaderCharacters);
        QVERIFY(item.body.size() <= MimeMessageReader::maxBodyCharacters);
    }

    void textAroundNulIsKept()
    {
        const MailItem item = MimeMessageReader::parse(bytes("From: a@b.de\r\n\r\nvor\0nach\r\n"));
        QCOMPARE(item.body, QStringLiteral("vornach"));
    }

    void hugeBodyIsCapped()
    {
        const QByteArray body = QByteArray("Zeile mit Text\r\n").repeated(200000); // about 3 MB
        const MailItem item = MimeMessageReader::parse(withHeaders("From: a@b.de\r\nSubject: gro\xdf", body));
        QCOMPARE(item.body.size(), MimeMessageReader::maxBodyCharacters);
        QVERIFY(item.body.startsWith(QLatin1String("Zeile mit Text\nZeile")));
        QCOMPARE(item.subject, QStringLiteral("groß"));
    }

    void readFileRefusesWhatIsNoRegularFile()
    {
        QTemporaryDir dir;
        const MailResult<MailItem> missing = MimeMessageReader::readFile(dir.filePath(QStringLiteral("nope")));
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error.number, 57);
        QVERIFY(!missing.error.description.isEmpty());

        test::FifoTrap fifo(dir.filePath(QStringLiteral("fifo")));
        QVERIFY(fifo.isMade());
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("fifo")), dir.filePath(QStringLiteral("1234.host:2,"))));
        QCOMPARE(MimeMessageReader::readFile(dir.filePath(QStringLiteral("1234.host:2,"))).error.number, 57);
        QVERIFY(!fifo.hadToRelease());
        QCOMPARE(MimeMessageReader::readFile(dir.path()).error.number, 57);
    }

    // Eight megabytes of parts nested fifty thousand deep: the text in front
    // is found, and what lies past the parser's limits costs nothing.
    void heavyMessageIsParsedWithinLimits()
    {
        const QByteArray message = test::MaildirFixture::deeplyNestedMessage("tief", "Oben steht der Text.");
        QVERIFY(message.size() > 8'000'000);
        QElapsedTimer timer;
        timer.start();
        const MailItem item = MimeMessageReader::parse(message);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(item.subject, QStringLiteral("tief"));
        QCOMPARE(item.body, QStringLiteral("Oben steht der Text."));
    }

    void htmlToPlainTextEdges_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown entity kept") << QStringLiteral("a &bogus; b") << QStringLiteral("a &bogus; b");
        QTest::newRow("NUL and surrogate references") << QStringLiteral("x&#0;y&#xD800;z")
                                                      << QStringLiteral("x\uFFFDy\uFFFDz");
        QTest::newRow("unfinished tag drops the rest") << QStringLiteral("sichtbar <a href=\"x") << QStringLiteral("sichtbar");
        QTest::newRow("unfinished comment") << QStringLiteral("a<!-- b") << QStringLiteral("a");
        QTest::newRow("upper-case tags and breaks") << QStringLiteral("A<BR>B<Div>C</DIV>") << QStringLiteral("A\nB\nC");
        QTest::newRow("blank lines folded") << QStringLiteral("<p>1</p><p></p><p></p><p>2</p>")
                                            << QStringLiteral("1\n\n2");
    }
    void htmlToPlainTextEdges()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QCOMPARE(htmlToPlainText(html), text);
    }

    void htmlOfManyAmpersandsFinishes()
    {
        // Scanning to the end for every '&' would not finish within the test's time limit.
        QCOMPARE(htmlToPlainText(QString(2'000'000, u'&')).size(), 2'000'000);
    }
};

QTEST_GUILESS_MAIN(TestMimeMessageReader)
#include "tst_mimemessagereader.moc"
