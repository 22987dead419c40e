// The character's voice end to end: a sound server of the test's own records what reaches it
// while the service, and then the whole companion asked by kibo, speak a sentence. What is
// heard must be speech of the length the engine made, and the mouth must move meanwhile.

#include "platform/agent/AgentService.h"
#include "platform/agent/Balloon.h"
#include "platform/agent/CharacterSession.h"
#include "platform/agent/CharacterWindow.h"
#include "platform/speech/SpeechSynthesizer.h"
#include "platform/speech/SpeechTagParser.h"
#include "support/IsolatedHome.h"
#include "support/PrivateSessionBus.h"
#include "support/RecordingSoundServer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tilvano;
using namespace tilvano::agent;
using namespace tilvano::test;

namespace {

constexpr int kSentenceMs = 30000;
const QString kStefan = QStringLiteral("{3A1FB761-A92B-11D1-B17B-0020AFED142E}");

// How long the engine's own audio of the sentence can be heard, spoken as the character
// would speak it.
qint64 synthesizedHeardMs(const QString &text, const QString &modeId, qint32 languageId, int speed, int pitch)
{
    speech::SpeechSynthesizer synthesizer;
    speech::SpeechRequest request;
    request.text = speech::SpeechTagParser::parse(text);
    request.modeId = modeId;
    request.languageId = languageId;
    request.defaults.wordsPerMinute = speed;
    request.defaults.pitchHz = pitch;
    QSignalSpy finished(&synthesizer, &speech::SpeechSynthesizer::finished);
    synthesizer.speak(request);
    if (!finished.wait(kSentenceMs))
        return -1;
    const auto spoken = finished.first().at(1).value<speech::SpokenText>();
    const std::optional<HeardSpan> heard = heardSpan(spoken.audio);
    return heard ? heard->lengthMs() : -1;
}

// Recorded and synthesized speech agree within what the server's buffering and the
// loudness windows blur.
bool aboutAsLong(qint64 recordedMs, qint64 synthesizedMs)
{
    return synthesizedMs > 0 && std::abs(recordedMs - synthesizedMs) <= std::max<qint64>(160, synthesizedMs / 8);
}

} // namespace

class SpeechSoundTest : public QObject
{
    Q_OBJECT

private:
    RecordingSoundServer m_sound;

private slots:
    void initTestCase()
    {
        qRegisterMetaType<speech::SpokenText>();
        QString error;
        QVERIFY2(m_sound.start(&error), qPrintable(error));
        // The service in this process plays to the private server too.
        qputenv("PULSE_SERVER", m_sound.address().toLocal8Bit());
        qunsetenv("TILVANO_AUDIO");
    }

    void theServiceSpeaksAloudAndMovesTheMouth()
    {
        IsolatedHome home;
        AgentServiceOptions options;
        options.randomSeed = 3;
        options.idle.firstDelayMs = 3600 * 1000;
        options.settings = AgentSettings{};
        AgentService service(nullptr, options);
        QVERIFY(!service.load(QStringLiteral("merlin"), qEnvironmentVariable("TILVANO_MERLIN_FILE")).isError());
        CharacterSession *merlin = service.session(QStringLiteral("merlin"));
        merlin->show(true);
        QTRY_VERIFY(!merlin->isBusy());

        QString error;
        QVERIFY2(m_sound.startRecording(&error), qPrintable(error));
        // What the window shows and how the mouth stands, every few milliseconds of the sentence.
        QSet<int> mouths;
        QSet<size_t> pictures;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!merlin->balloon()->isVisible())
                return;
            mouths.insert(merlin->mouth() ? int(*merlin->mouth()) : -1);
            const QImage shown = merlin->window()->shownImage();
            pictures.insert(qHashBits(shown.constBits(), size_t(shown.sizeInBytes())));
        });
        watch.start(5);
        QSignalSpy ended(&service, &AgentControl::balloonHidden);
        const QString sentence = QStringLiteral("Guten Morgen, ich lese dir gerne etwas vor.");
        merlin->speak(sentence, QString());
        QVERIFY(ended.wait(kSentenceMs));
        watch.stop();
        QVERIFY(m_sound.waitForSoundThenQuiet(0, 300, kSentenceMs));

        const std::optional<HeardSpan> heard = heardSpan(m_sound.recording());
        QVERIFY2(heard, "the sentence must be heard, not silence");
        const qint64 made = synthesizedHeardMs(sentence, merlin->ttsModeId(), merlin->languageId(), merlin->speed(),
                                               merlin->pitch());
        QVERIFY2(aboutAsLong(heard->lengthMs(), made), qPrintable(QStringLiteral("heard %1 ms of %2 ms")
                                                                      .arg(heard->lengthMs()).arg(made)));
        QVERIFY2(mouths.size() >= 3, "the mouth opens in several shapes and closes");
        QVERIFY2(pictures.size() >= 3, "the mouth overlays change the picture");
    }

    void kiboSpeakIsHeardFromAFreshHome()
    {
        PrivateSessionBus bus;
        QVERIFY2(!bus.address().isEmpty(), "dbus-daemon must start");
        QString error;
        QTemporaryDir home;
        QProcessEnvironment environment = m_sound.environment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        for (const char *folder : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const QString path = home.filePath(QString::fromLatin1(folder));
            QVERIFY(QDir().mkpath(path));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            environment.insert(QString::fromLatin1(folder), path);
        }
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.remove(QStringLiteral("TILVANO_AUDIO"));

        QProcess host;
        host.setProcessEnvironment(environment);
        host.setProcessChannelMode(QProcess::ForwardedChannels);
        host.start(qEnvironmentVariable("TILVANO_HOST"), {});
        QVERIFY(host.waitForStarted());
        const auto onBus = [&bus] {
            QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), QStringLiteral("sound"));
            return connection.isConnected()
                   && connection.interface()->isServiceRegistered(QStringLiteral("org.lorvat.Tilvano")).value();
        };
        QTRY_VERIFY_WITH_TIMEOUT(onBus() || host.state() != QProcess::Running, kSentenceMs);
        QCOMPARE(host.state(), QProcess::Running);

        QVERIFY2(m_sound.startRecording(&error), qPrintable(error));
        QProcess kibo;
        kibo.setProcessEnvironment(environment);
        kibo.start(qEnvironmentVariable("TILVANO_KIBO"), {QStringLiteral("speak"), QStringLiteral("Hallo")});
        QVERIFY(kibo.waitForFinished(kSentenceMs));
        QCOMPARE(kibo.exitCode(), 0);
        QVERIFY2(m_sound.waitForSoundThenQuiet(0, 400, kSentenceMs), "kibo speak must be heard");
        const std::optional<HeardSpan> heard = heardSpan(m_sound.recording());
        // A fresh home: the shipped character, its own pace and pitch, Stefan's voice.
        const qint64 made = synthesizedHeardMs(QStringLiteral("Hallo"), kStefan, 0x0407, 150, 90);
        QVERIFY2(aboutAsLong(heard->lengthMs(), made), qPrintable(QStringLiteral("heard %1 ms of %2 ms")
                                                                      .arg(heard->lengthMs()).arg(made)));

        host.terminate();
        QVERIFY(host.waitForFinished(kSentenceMs));
    }
};

QTEST_MAIN(SpeechSoundTest)
#include "tst_speechsound.moc"
