#include "platform/speech/SpeechSynthesizer.h"
#include "platform/speech/SpeechTagParser.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace tilvano::speech;

class TestSpeechSynthesizer : public QObject
{
    Q_OBJECT

private slots:
    void resultsArriveInOrderOnTheOwningThread()
    {
        SpeechSynthesizer synthesizer;
        QList<int> order;
        QList<QString> texts;
        bool onOwnThread = true;
        connect(&synthesizer, &SpeechSynthesizer::finished, this, [&](int id, const SpokenText &result) {
            order << id;
            texts << result.text;
            onOwnThread = onOwnThread && QThread::currentThread() == thread();
            QVERIFY(!result.audio.isEmpty());
        });
        SpeechRequest first;
        first.text = SpeechTagParser::parse(QStringLiteral("\\Spd=200\\Guten Morgen."));
        SpeechRequest second;
        second.text = SpeechTagParser::parse(QStringLiteral("Gute Nacht."));
        const int a = synthesizer.speak(first);
        const int b = synthesizer.speak(second);
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2, 30000);
        QCOMPARE(order, (QList<int>{a, b}));
        QCOMPARE(texts, (QList<QString>{QStringLiteral("Guten Morgen."), QStringLiteral("Gute Nacht.")}));
        QVERIFY(onOwnThread);
    }

    void cancelEndsALongTextEarly()
    {
        SpeechSynthesizer synthesizer;
        QSignalSpy finished(&synthesizer, &SpeechSynthesizer::finished);
        SpeechRequest request;
        request.text = SpeechTagParser::parse(QStringLiteral("Ein sehr langer Text, der nie zu Ende gesprochen wird. ").repeated(2000));
        const int id = synthesizer.speak(request);
        synthesizer.cancel(id);
        QVERIFY(finished.wait(30000));
        const auto result = finished.first().at(1).value<SpokenText>();
        QCOMPARE(finished.first().first().toInt(), id);
        QVERIFY(result.cancelled);
        QVERIFY(result.audio.durationMs() < 60000);
    }

    void destroyingWithWorkPendingIsSafe()
    {
        auto synthesizer = std::make_unique<SpeechSynthesizer>();
        SpeechRequest request;
        request.text = SpeechTagParser::parse(QStringLiteral("Noch ein Satz. ").repeated(500));
        for (int i = 0; i < 5; ++i)
            synthesizer->speak(request);
        synthesizer.reset(); // cancels and waits, nothing is delivered to a dead object
        QTest::qWait(20);
    }
};

QTEST_GUILESS_MAIN(TestSpeechSynthesizer)
#include "tst_speechsynthesizer.moc"
