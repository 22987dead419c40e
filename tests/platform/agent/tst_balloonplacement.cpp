#include "platform/agent/BalloonPlacement.h"
#include "platform/agent/Sentence.h"
#include "platform/speech/SpeechTagParser.h"

#include <QTest>

using namespace tilvano;
using namespace tilvano::agent;

// Where balloons go, and how a sentence is laid out in time: both pure, so tested directly.
class BalloonPlacementTest : public QObject
{
    Q_OBJECT

private slots:
    void placement_data()
    {
        QTest::addColumn<QRect>("character");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("below");
        const QRect screen(0, 0, 1000, 800);
        const QSize balloon(200, 60);
        // Room above: centred over the character, the tail's length away from it.
        QTest::newRow("middle") << QRect(400, 400, 100, 100) << screen << QRect(QPoint(350, 326), balloon) << false;
        // Too near the top: flipped below the character.
        QTest::newRow("top edge") << QRect(400, 10, 100, 100) << screen << QRect(QPoint(350, 124), balloon) << true;
        // Left and right edges: shifted sideways, still above.
        QTest::newRow("left edge") << QRect(0, 400, 100, 100) << screen << QRect(QPoint(0, 326), balloon) << false;
        QTest::newRow("right edge") << QRect(950, 400, 50, 100) << screen << QRect(QPoint(800, 326), balloon) << false;
        // Top-right corner: flipped and shifted.
        QTest::newRow("corner") << QRect(940, 0, 60, 60) << screen << QRect(QPoint(800, 74), balloon) << true;
        // A second screen to the left of the first: negative coordinates are on screen.
        QTest::newRow("left screen") << QRect(-1280, 400, 100, 100) << QRect(-1280, 0, 2280, 800)
                                     << QRect(QPoint(-1280, 326), balloon) << false;
        // Sitting at the very bottom of a short screen: no room below either, so it stays
        // fully on the screen, overlapping the character rather than leaving the screen.
        QTest::newRow("no room") << QRect(400, 20, 100, 100) << QRect(0, 0, 1000, 150)
                                 << QRect(QPoint(350, 90), balloon) << true;
    }
    void placement()
    {
        QFETCH(QRect, character);
        QFETCH(QRect, screen);
        QFETCH(QRect, expected);
        QFETCH(bool, below);
        const BalloonPlacement placement = placeBalloon(character, QSize(200, 60), screen, 14);
        QCOMPARE(placement.rect, expected);
        QCOMPARE(placement.belowCharacter, below);
        QVERIFY(screen.contains(placement.rect));
        // The tail leaves from the balloon and points at the character's near edge.
        QVERIFY(placement.tailTip.x() > placement.rect.left() && placement.tailTip.x() < placement.rect.right());
        QCOMPARE(placement.tailTip.y(), below ? character.bottom() : character.top());
    }

    void keepInsideMovesWithoutResizing()
    {
        const QRect area(0, 0, 800, 600);
        QCOMPARE(keepInside(QRect(750, 580, 100, 100), area), QRect(700, 500, 100, 100));
        QCOMPARE(keepInside(QRect(-50, -10, 100, 100), area), QRect(0, 0, 100, 100));
        QCOMPARE(keepInside(QRect(10, 10, 100, 100), area), QRect(10, 10, 100, 100));
        // Larger than the area: the top-left corner stays reachable.
        QCOMPARE(keepInside(QRect(300, 300, 2000, 2000), area).topLeft(), QPoint(0, 0));
    }

    void charactersStayOnTheScreens()
    {
        // A wide screen and a shorter one to its right: below the short one is no screen.
        const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 720)};
        QCOMPARE(keepOnScreens(QRect(1870, 100, 100, 100), screens), QRect(1870, 100, 100, 100)); // straddles
        QCOMPARE(keepOnScreens(QRect(2500, 900, 100, 100), screens), QRect(2500, 620, 100, 100));
        QCOMPARE(keepOnScreens(QRect(-50, 10, 100, 100), screens), QRect(0, 10, 100, 100));
        QCOMPARE(keepOnScreens(QRect(5000, 5000, 100, 100), screens), QRect(3100, 620, 100, 100));
        QCOMPARE(keepOnScreens(QRect(5, 5, 10, 10), {}), QRect(5, 5, 10, 10));
        QCOMPARE(screenNear(QPoint(2500, 1000), screens), screens.at(1));
        QCOMPARE(screenNear(QPoint(100, 1000), screens), screens.at(0));
    }

    void pacedTextFollowsTheSpeedTag()
    {
        const Sentence plain = Sentence::paced(speech::SpeechTagParser::parse(u"eins zwei drei"), 150, true);
        QCOMPARE(plain.text, QStringLiteral("eins zwei drei"));
        QCOMPARE(plain.durationMs, 3 * 400);
        QCOMPARE(plain.words.size(), 3);
        QCOMPARE(plain.words.at(1).timeMs, 400);
        QCOMPARE(plain.text.left(plain.words.at(1).shownUpTo), QStringLiteral("eins zwei"));
        QCOMPARE(plain.mouth.last().shape, acs::MouthType::Closed);
        QCOMPARE(plain.mouth.last().timeMs, plain.durationMs);

        const Sentence fast = Sentence::paced(speech::SpeechTagParser::parse(u"\\Spd=300\\\\Vol=100\\eins zwei drei"), 150, true);
        QCOMPARE(fast.text, QStringLiteral("eins zwei drei"));
        QCOMPARE(fast.durationMs, 3 * 200);

        // A thought moves no mouth; absurd speeds are held to a sane range.
        const Sentence thought = Sentence::paced(speech::SpeechTagParser::parse(u"\\Spd=1\\hm"), 150, false);
        QCOMPARE(thought.mouth.size(), 1);
        QVERIFY(thought.durationMs <= 2000);
    }

    void soundDrivesTheMouthByLoudness()
    {
        // Half a second of silence, then half a second of a loud square wave.
        sound::PcmAudio audio{8000, 1, 16, {}};
        QByteArray samples(8000 * 2, '\0');
        for (int i = 4000; i < 8000; ++i) {
            const qint16 value = (i / 10) % 2 ? 20000 : -20000;
            samples[2 * i] = char(value & 0xFF);
            samples[2 * i + 1] = char((value >> 8) & 0xFF);
        }
        audio.samples = samples;
        const Sentence sentence = Sentence::lipSynced(audio, speech::TaggedText{});
        QCOMPARE(sentence.durationMs, 1000);
        QVERIFY(sentence.text.isEmpty());
        for (const Sentence::MouthCue &cue : sentence.mouth) {
            if (cue.timeMs < 400)
                QCOMPARE(cue.shape, acs::MouthType::Closed);
            else if (cue.timeMs >= 500 && cue.timeMs < 900)
                QVERIFY(cue.shape != acs::MouthType::Closed);
        }
        QCOMPARE(sentence.mouth.last().shape, acs::MouthType::Closed);
    }
};

QTEST_GUILESS_MAIN(BalloonPlacementTest)
#include "tst_balloonplacement.moc"
