#include "platform/speech/AddressSpans.h"
#include "platform/speech/EspeakProsody.h"
#include "platform/speech/SpeechTagParser.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tilvano::speech;

class TestSpeechTags : public QObject
{
    Q_OBJECT

private slots:
    void leadingTagsSetTheSentence()
    {
        // The prefix the character controller builds, then one in another order and case.
        TaggedText t = SpeechTagParser::parse(u"\\Spd=150\\\\Vol=65000\\Hallo Welt");
        QCOMPARE(t.text, QStringLiteral("Hallo Welt"));
        QCOMPARE(t.segments.size(), 1);
        SpeechSettings s = t.leadingSettings();
        QCOMPARE(s.wordsPerMinute, std::optional<int>(150));
        QCOMPARE(s.volume, std::optional<int>(65000));
        QVERIFY(!s.pitchHz);

        t = SpeechTagParser::parse(u"\\ctx=\"Email\"\\\\CHR=\"Whisper\"\\\\Pit=120\\\\Spd=90\\Na?");
        QCOMPARE(t.text, QStringLiteral("Na?"));
        s = t.leadingSettings();
        QCOMPARE(s.context, QStringLiteral("Email"));
        QVERIFY(s.isWhisper());
        QCOMPARE(s.pitchHz, std::optional<int>(120));
        QCOMPARE(s.wordsPerMinute, std::optional<int>(90));
    }

    void laterTagsStartNewSegments()
    {
        const TaggedText t = SpeechTagParser::parse(
            u"\\Spd=100\\Eins \\Spd=200\\\\Pau=300\\zwei \\Rst\\drei");
        QCOMPARE(t.text, QStringLiteral("Eins zwei drei"));
        QCOMPARE(t.segments.size(), 3);
        QCOMPARE(t.text.mid(t.segments[0].start, t.segments[0].length), QStringLiteral("Eins "));
        QCOMPARE(t.segments[0].settings.wordsPerMinute, std::optional<int>(100));
        QCOMPARE(t.text.mid(t.segments[1].start, t.segments[1].length), QStringLiteral("zwei "));
        QCOMPARE(t.segments[1].settings.wordsPerMinute, std::optional<int>(200));
        QCOMPARE(t.segments[1].pauseBeforeMs, 300);
        QCOMPARE(t.segments[2].settings, SpeechSettings{});
        QCOMPARE(t.segments[2].pauseBeforeMs, 0);
    }

    void malformedTags_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasSpeed");
        QTest::newRow("bad number dropped") << "\\Spd=fast\\Hallo" << "Hallo" << false;
        QTest::newRow("overflow dropped") << "\\Spd=99999999999\\Hallo" << "Hallo" << false;
        QTest::newRow("negative dropped") << "\\Spd=-5\\Hallo" << "Hallo" << false;
        QTest::newRow("unterminated kept") << "\\Spd=100 Hallo" << "\\Spd=100 Hallo" << false;
        QTest::newRow("open quote kept") << "\\Chr=\"Whisper\\Hallo" << "\\Chr=\"Whisper\\Hallo" << false;
        QTest::newRow("unknown name kept") << "\\Foo=1\\Hallo" << "\\Foo=1\\Hallo" << false;
        QTest::newRow("path kept") << "C:\\Temp\\Datei" << "C:\\Temp\\Datei" << false;
        QTest::newRow("valued name bare kept") << "\\Spd\\Hallo" << "\\Spd\\Hallo" << false;
        QTest::newRow("other control tag dropped") << "\\Mrk=5\\\\Emp\\Hallo" << "Hallo" << false;
        QTest::newRow("lone backslashes") << "\\\\ \\" << "\\\\ \\" << false;
        QTest::newRow("spaces around number") << "\\Spd= 120 \\Hallo" << "Hallo" << true;
        QTest::newRow("only tags") << "\\Spd=120\\" << "" << true;
        QTest::newRow("empty") << "" << "" << false;
    }

    void malformedTags()
    {
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(bool, hasSpeed);
        const TaggedText t = SpeechTagParser::parse(input);
        QCOMPARE(t.text, text);
        QVERIFY(!t.segments.isEmpty());
        QCOMPARE(t.leadingSettings().wordsPerMinute.has_value(), hasSpeed);
    }

    void volumeIsClampedToItsRange()
    {
        QCOMPARE(SpeechTagParser::parse(u"\\Vol=70000\\x").leadingSettings().volume, std::optional<int>(65535));
    }

    void alternativesShareOnlyTheLeadingTags_data()
    {
        // Each alternative as "text@speed" (speed of its first segment, "-" for none).
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("alternatives");
        QTest::newRow("plain") << "Hallo|Servus|Guten Tag" << QStringList{"Hallo@-", "Servus@-", "Guten Tag@-"};
        QTest::newRow("leading tags start each")
            << "\\Spd=200\\ \\Vol=9\\Hallo|Servus" << QStringList{" Hallo@200", "Servus@200"};
        QTest::newRow("inner tag stays inside")
            << "\\Spd=200\\Hallo \\Spd=90\\Welt|Servus" << QStringList{"Hallo Welt@200", "Servus@200"};
        QTest::newRow("tag inside a later one") << "Hallo|\\Spd=90\\Servus" << QStringList{"Hallo@-", "Servus@90"};
        QTest::newRow("bar in a tag value") << "\\Chr=\"a|b\"\\Hallo" << QStringList{"Hallo@-"};
        QTest::newRow("only tags first") << "\\Spd=120\\|Servus" << QStringList{"@120", "Servus@120"};
        QTest::newRow("empty ends") << "|" << QStringList{"@-", "@-"};
    }

    void alternativesShareOnlyTheLeadingTags()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, alternatives);
        QStringList got;
        for (const TaggedText &t : SpeechTagParser::parseAlternatives(input)) {
            const std::optional<int> speed = t.segments.first().settings.wordsPerMinute;
            got << t.text + u'@' + (speed ? QString::number(*speed) : QStringLiteral("-"));
        }
        QCOMPARE(got, alternatives);
        // Without alternatives the bar is text like any other.
        QCOMPARE(SpeechTagParser::parse(input).text.count(u'|'), alternatives.size() - 1);
    }

    void segmentsAlwaysCoverTheText()
    {
        // Random mixes of tag fragments: no crash, and the segments tile the clean text.
        const QStringList pieces = {QStringLiteral("\\"), QStringLiteral("Spd"), QStringLiteral("Chr"),
                                    QStringLiteral("="), QStringLiteral("\""), QStringLiteral("150"),
                                    QStringLiteral("Wort "), QStringLiteral("Rst"), QStringLiteral("Pau"),
                                    QStringLiteral("\U0001F600")};
        auto *random = QRandomGenerator::global();
        for (int round = 0; round < 3000; ++round) {
            QString input;
            for (int n = random->bounded(30); n > 0; --n)
                input += pieces[random->bounded(int(pieces.size()))];
            const TaggedText t = SpeechTagParser::parse(input);
            QVERIFY(!t.segments.isEmpty());
            qsizetype expected = 0;
            for (const SpeechSegment &s : t.segments) {
                QCOMPARE(s.start, expected);
                expected += s.length;
            }
            QCOMPARE(expected, t.text.size());
            QVERIFY(t.text.size() <= input.size());
        }
    }

    void theVoicePagesSlidersAreHeardOverTheirWholeRange()
    {
        // Pitch 50 to 400 Hz: from espeak-ng's lowest to its highest, rising
        // all the way, with no stretch of slider steps that sound alike.
        for (const bool female : {false, true}) {
            SpeechSettings s;
            int previous = -1;
            int sameSince = 50;
            for (int hz = 50; hz <= 400; ++hz) {
                s.pitchHz = hz;
                const int pitch = espeakProsodyFor(s, female).pitch;
                QVERIFY2(pitch >= previous, qPrintable(QString::number(hz)));
                if (pitch != previous)
                    sameSince = hz;
                QVERIFY2(hz - sameSince < 12, qPrintable(QStringLiteral("%1 Hz sound as %2 Hz").arg(hz).arg(sameSince)));
                previous = pitch;
            }
            s.pitchHz = 50;
            QCOMPARE(espeakProsodyFor(s, female).pitch, 0);
            s.pitchHz = 400;
            QCOMPARE(espeakProsodyFor(s, female).pitch, 100);
        }

        // Speed 50 to 250 words a minute: below espeak-ng's 80 the words are
        // spaced out, the slower the wider.
        SpeechSettings s;
        int previousGap = 1000;
        for (int wpm = 50; wpm < 80; wpm += 5) {
            s.wordsPerMinute = wpm;
            const EspeakProsody p = espeakProsodyFor(s, false);
            QCOMPARE(p.rate, 80);
            QVERIFY2(p.wordGap > 0 && p.wordGap < previousGap, qPrintable(QString::number(wpm)));
            previousGap = p.wordGap;
        }
        s.wordsPerMinute = 79;
        QVERIFY(espeakProsodyFor(s, false).wordGap > 0);
        s.wordsPerMinute = 80;
        QCOMPARE(espeakProsodyFor(s, false).wordGap, 0);
        s.wordsPerMinute = 250;
        QCOMPARE(espeakProsodyFor(s, false).wordGap, 0);

        for (const char *context : {"Address", "email", "EMAIL"}) {
            s.context = QString::fromLatin1(context);
            QVERIFY2(espeakProsodyFor(s, false).spellAddresses, context);
        }
        s.context = QStringLiteral("Unknown");
        QVERIFY(!espeakProsodyFor(s, false).spellAddresses);
    }

    void addressesAreFoundWithoutTheSentencesPunctuation_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("addresses");
        QTest::newRow("e-mail") << "Schreib an max.mustermann@example.com." << QStringList{"max.mustermann@example.com"};
        QTest::newRow("web, in brackets") << "Hilfe (https://www.lorvat.de/hilfe?seite=2)!"
                                          << QStringList{"https://www.lorvat.de/hilfe?seite=2"};
        QTest::newRow("www and umlaut mail") << "www.tilvano.de, jürgen@müller.de; fertig"
                                             << QStringList{"www.tilvano.de", "jürgen@müller.de"};
        QTest::newRow("none") << "Um 12.30 Uhr, z.B. bei @Max." << QStringList{};
    }
    void addressesAreFoundWithoutTheSentencesPunctuation()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, addresses);
        QStringList found;
        for (const TextSpan &span : addressSpans(text))
            found << text.mid(span.start, span.length);
        QCOMPARE(found, addresses);
    }

    void prosodyMapsToEspeakScales()
    {
        SpeechSettings s;
        QCOMPARE(espeakProsodyFor(s, false), EspeakProsody{});

        s.wordsPerMinute = 1000;
        QCOMPARE(espeakProsodyFor(s, false).rate, 450);
        s.wordsPerMinute = 20;
        QCOMPARE(espeakProsodyFor(s, false).rate, 80);
        s.wordsPerMinute = 150;
        QCOMPARE(espeakProsodyFor(s, false).rate, 150);

        s.pitchHz = 97; // the male voice's own pitch
        QCOMPARE(espeakProsodyFor(s, false).pitch, 50);
        QVERIFY(espeakProsodyFor(s, true).pitch < 50); // far below the female voice's
        s.pitchHz = 130;
        const int higher = espeakProsodyFor(s, false).pitch;
        QVERIFY(higher > 50 && higher < 100);
        s.pitchHz = 400;
        QCOMPARE(espeakProsodyFor(s, false).pitch, 100);

        s.volume = 65535;
        QCOMPARE(espeakProsodyFor(s, false).volume, 100);
        s.volume = 0;
        QCOMPARE(espeakProsodyFor(s, false).volume, 0);
        s.volume = 32768;
        QCOMPARE(espeakProsodyFor(s, false).volume, 50);

        s.voiceCharacter = QStringLiteral("monotone");
        QCOMPARE(espeakProsodyFor(s, false).range, 0);
        QVERIFY(!espeakProsodyFor(s, false).whisper);
        s.voiceCharacter = QStringLiteral("Whisper");
        QCOMPARE(espeakProsodyFor(s, false).range, 50);
        QVERIFY(espeakProsodyFor(s, false).whisper);
    }
};

QTEST_GUILESS_MAIN(TestSpeechTags)
#include "tst_speechtags.moc"
