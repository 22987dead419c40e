#include "platform/agent/AgentCodes.h"
#include "platform/agent/AgentService.h"
#include "system/ServiceRegistry.h"
#include "platform/agent/Balloon.h"
#include "platform/agent/CharacterSession.h"
#include "platform/agent/CharacterWindow.h"

#include "platform/sound/WaveAudio.h"
#include "platform/speech/SpeechSynthesizer.h"
#include "platform/speech/VoiceCatalogue.h"
#include "system/WindowsDirectory.h"
#include "support/IsolatedHome.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tilvano;
using namespace tilvano::agent;

namespace {

QString fixture(const QString &name) { return test::fixturesDir() + QStringLiteral("/acs/") + name; }

// A service on a manual clock with a fixed seed, silent, and a log of every event it raises.
struct Harness {
    std::unique_ptr<AgentService> service;
    QStringList events;
    QList<AgentUserInput> commands;

    explicit Harness(quint32 seed = 42, IdleTiming idle = {}, bool voice = false,
                     AgentClock::Mode clock = AgentClock::Mode::Manual)
    {
        AgentServiceOptions options;
        options.clockMode = clock;
        options.randomSeed = seed;
        options.idle = idle;
        AgentSettings settings;
        settings.speechOutput = voice;
        options.settings = settings;
        service = std::make_unique<AgentService>(nullptr, options);
        AgentService *s = service.get();
        QObject::connect(s, &AgentControl::shown, [this](const QString &id, qint16 cause) { log("Show", id, cause); });
        QObject::connect(s, &AgentControl::hidden, [this](const QString &id, qint16 cause) { log("Hide", id, cause); });
        QObject::connect(s, &AgentControl::moved, [this](const QString &id, qint16 x, qint16 y, qint16 cause) {
            events.append(QStringLiteral("Move %1 %2,%3 %4").arg(id).arg(x).arg(y).arg(cause));
        });
        QObject::connect(s, &AgentControl::balloonShown, [this](const QString &id) { log("BalloonShow", id); });
        QObject::connect(s, &AgentControl::balloonHidden, [this](const QString &id) { log("BalloonHide", id); });
        QObject::connect(s, &AgentControl::idleStarted, [this](const QString &id) { log("IdleStart", id); });
        QObject::connect(s, &AgentControl::clicked, [this](const QString &id, qint16 b, qint16 shift, qint16 x, qint16 y) {
            events.append(QStringLiteral("Click %1 %2 %3 %4,%5").arg(id).arg(b).arg(shift).arg(x).arg(y));
        });
        QObject::connect(s, &AgentControl::doubleClicked, [this](const QString &id, qint16 b, qint16, qint16, qint16) {
            events.append(QStringLiteral("DblClick %1 %2").arg(id).arg(b));
        });
        QObject::connect(s, &AgentControl::propertiesChanged, [this]() { events.append(QStringLiteral("AgentPropertyChange")); });
        QObject::connect(s, &AgentControl::commandChosen, [this](const AgentUserInput &input) { commands.append(input); });
    }
    void log(const char *name, const QString &id, int cause = -1)
    {
        events.append(cause < 0 ? QStringLiteral("%1 %2").arg(QLatin1String(name), id)
                                : QStringLiteral("%1 %2 %3").arg(QLatin1String(name), id).arg(cause));
    }
    CharacterSession *load(const QString &id = QStringLiteral("hf"), const QString &file = QStringLiteral("Happy Face.acs"))
    {
        const ErrorInfo result = service->load(id, fixture(file));
        if (result.isError())
            qWarning() << result.description;
        return service->session(id);
    }
    void run(qint64 ms = 60000) { service->clock().advance(ms); }
};

QByteArray toneWave(int ms)
{
    sound::PcmAudio audio{8000, 1, 16, QByteArray(8 * ms * 2, '\0')};
    for (int i = 0; i < 8 * ms; ++i) {
        const qint16 value = (i / 8) % 2 ? 20000 : -20000;
        audio.samples[2 * i] = char(value & 0xFF);
        audio.samples[2 * i + 1] = char((value >> 8) & 0xFF);
    }
    return sound::encodeWave(audio);
}

} // namespace

class AgentServiceTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::IsolatedHome> m_home;

private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void loadingReportsWhatWentWrong()
    {
        Harness h;
        // The descriptions reach the user in a German error box.
        const ErrorInfo missing = h.service->load("a", "/nirgends/Keiner.acs");
        QCOMPARE(missing.number, AgentErrorFileNotFound);
        QCOMPARE(missing.description, QStringLiteral("Die Figurendatei \"/nirgends/Keiner.acs\" wurde nicht gefunden."));
        // A bare name is looked up in the character folder, where this one is not.
        QCOMPARE(h.service->load("a", "Keiner.acs").number, AgentErrorFileNotFound);
        const ErrorInfo old = h.service->load("a", fixture("ALIEN.ACS"));
        QCOMPARE(old.number, qint32(acs::AcsErrorCode::UnsupportedVersion15));
        QVERIFY2(old.description.contains(QStringLiteral("das alte Format 1.5")), qPrintable(old.description));
        QTemporaryDir dir;
        QFile garbage(dir.filePath("garbage.acs"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(500, 'x'));
        garbage.close();
        const ErrorInfo notOne = h.service->load("a", garbage.fileName());
        QCOMPARE(notOne.number, qint32(acs::AcsErrorCode::NotACharacterFile));
        QCOMPARE(notOne.description, QStringLiteral("Die Datei \"%1\" ist keine Figurendatei.").arg(garbage.fileName()));
        QVERIFY(!h.service->character("a"));
    }

    void identifiersIgnoreCase()
    {
        Harness h;
        QVERIFY(!h.service->load("Kibo", fixture("Happy Face.acs")).isError());
        AgentCharacter *character = h.service->character("KIBO");
        QVERIFY(character);
        QCOMPARE(h.service->character("kibo"), character);
        QCOMPARE(h.service->load("kIBO", fixture("Character2.acs")).number, AgentErrorAlreadyLoaded);
        QVERIFY(!h.service->unload("KiBo").isError());
        QVERIFY(!h.service->character("Kibo"));
        QVERIFY(!h.service->unload("nobody").isError());
    }

    void bareNamesComeFromTheCharacterFolder()
    {
        Harness h;
        QFile::copy(fixture("Character2.acs"), WindowsDirectory::characterFolder() + "Zweiter.acs");
        QVERIFY(!h.service->load("z", "Zweiter.acs").isError());
    }

    void describesTheCharacter()
    {
        Harness h;
        CharacterSession *hf = h.load();
        QVERIFY(hf);
        QCOMPARE(hf->animationNames(), (QStringList{"Spin", "Sad", "Speak", "Blink", "Show", "Hide"}));
        QCOMPARE(hf->name(), QStringLiteral("Happy Face"));
        QCOMPARE(hf->guid(), QStringLiteral("{FABD427B-1E05-41BF-AAC2-B6AD1B7ECD70}"));
        QCOMPARE(hf->version(), QStringLiteral("2.1"));
        QCOMPARE(hf->width(), 135);
        QCOMPARE(hf->height(), 225);
        QCOMPARE(hf->originalHeight(), 225);
        QCOMPARE(hf->languageId(), 0x0409);
        QVERIFY(!hf->isVisible());

        CharacterSession *c2 = h.load("c2", "Character2.acs");
        QVERIFY(c2->ttsModeId().isEmpty()); // the file switches its voice off
        QCOMPARE(c2->name(), QStringLiteral("Character"));
        QVERIFY(h.service->isConnected());
        QVERIFY(!h.service->isSuspended());
        QVERIFY(!h.service->isSpeechInputEnabled());
    }

    void requestsRunOneAfterAnother()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(false);
        hf->speak("Hallo Welt, wie geht es dir?", QString());
        hf->hide(false);
        // The hide waits for the sentence, but the character already tells where it ends.
        QVERIFY(!hf->isVisible());
        QVERIFY(hf->window()->isVisible());
        QCOMPARE(hf->waitingRequests(), 2);
        h.run();
        QCOMPARE(h.events, (QStringList{"Show hf 4", "BalloonShow hf", "BalloonHide hf", "Hide hf 3"}));
        QVERIFY(!hf->isVisible());
        QVERIFY(!hf->isBusy());
    }

    void unknownAnimationIsRefusedAtOnce()
    {
        Harness h;
        CharacterSession *hf = h.load();
        QCOMPARE(hf->play("Tanzen").number, AgentErrorUnknownAnimation);
        QVERIFY(!hf->isBusy());
        QVERIFY(!hf->play("sPiN").isError());
    }

    void stopEndsTheCurrentRequestOnly()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(true);
        hf->speak("eins zwei drei vier fünf sechs sieben acht neun zehn", QString());
        hf->play("Blink");
        h.run(2000);
        QVERIFY(hf->balloon()->isVisible());
        h.events.clear();
        hf->stop();
        QCOMPARE(h.events, QStringList{"BalloonHide hf"});
        QVERIFY(hf->isBusy()); // now playing Blink
        h.run(3000);
        QVERIFY(!hf->isBusy());
        QCOMPARE(hf->player().animation()->name, QStringLiteral("Blink"));
    }

    void stopAllEmptiesTheQueue()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(true);
        hf->speak("eins zwei drei vier", QString());
        hf->play("Spin");
        hf->hide(false);
        h.run(500);
        hf->stopAll();
        QCOMPARE(hf->waitingRequests(), 0);
        h.run();
        QVERIFY(hf->isVisible());
        QVERIFY(!h.events.contains("Hide hf 3"));
        // The character takes new requests afterwards.
        hf->hide(true);
        h.run(100);
        QVERIFY(!hf->isVisible());
    }

    void speechTagsAreAppliedAndNeverShown()
    {
        auto balloonTime = [](const QString &text, QString *shown) {
            Harness h;
            CharacterSession *hf = h.load();
            hf->show(true);
            h.run(1000);
            qint64 shownAt = -1, hiddenAt = -1;
            QObject::connect(h.service.get(), &AgentControl::balloonShown, [&] { shownAt = h.service->clock().nowMs(); });
            QObject::connect(h.service.get(), &AgentControl::balloonHidden, [&] {
                hiddenAt = h.service->clock().nowMs();
                *shown = hf->balloon()->shownText();
            });
            hf->speak(text, QString());
            h.run();
            return hiddenAt - shownAt;
        };
        QString shown;
        const qint64 normal = balloonTime("eins zwei drei vier", &shown);
        QCOMPARE(shown, QStringLiteral("eins zwei drei vier"));
        const qint64 fast = balloonTime("\\Spd=300\\\\Chr=\"Whisper\"\\eins zwei drei vier", &shown);
        QCOMPARE(shown, QStringLiteral("eins zwei drei vier"));
        QCOMPARE(normal, 1600); // 150 words a minute
        QCOMPARE(fast, 800);
    }

    void theBalloonShowsTheTextWordByWord()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(true);
        h.run(1000);
        hf->think("Ich denke nach");
        h.run(1);
        QCOMPARE(hf->balloon()->kind(), Balloon::Kind::Thought);
        QCOMPARE(hf->balloon()->shownText(), QStringLiteral("Ich"));
        h.run(400);
        QCOMPARE(hf->balloon()->shownText(), QStringLiteral("Ich denke"));
        QVERIFY(!hf->mouth()); // thinking moves no mouth
    }

    void alternativesSpeakOneAtRandom()
    {
        QSet<QString> said;
        for (quint32 seed = 1; seed <= 40 && said.size() < 3; ++seed) {
            Harness h(seed);
            CharacterSession *hf = h.load();
            hf->show(true);
            h.run(1000);
            hf->speak("Hallo|Servus|Guten Tag", QString());
            h.run(3000);
            said.insert(hf->balloon()->fullText());
        }
        QCOMPARE(said, (QSet<QString>{"Hallo", "Servus", "Guten Tag"}));
    }

    void speakingUsesTheSpeakingAnimationAndMovesTheMouth()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(true);
        h.run(1000);
        hf->speak("eins zwei drei vier fünf", QString());
        h.run(1);
        // The Happy Face's pose has no mouth, so its speaking animation comes first.
        QCOMPARE(hf->player().animation()->name, QStringLiteral("Speak"));
        h.run(2000);
        QVERIFY(!hf->player().shownFrame()->overlays.isEmpty());
        QVERIFY(hf->mouth().has_value());
        h.run();
        QVERIFY(!hf->mouth().has_value());
    }

    void aSoundFileMovesTheMouthWithoutABalloon()
    {
        Harness h;
        CharacterSession *hf = h.load();
        QTemporaryDir dir;
        QFile wave(dir.filePath("ton.wav"));
        QVERIFY(wave.open(QIODevice::WriteOnly));
        wave.write(toneWave(3000));
        wave.close();
        hf->show(true);
        h.run(1000);
        h.events.clear();
        hf->speak(QString(), wave.fileName());
        h.run(2000);
        QVERIFY(hf->mouth().has_value());
        QVERIFY(hf->isBusy());
        h.run(3000);
        QVERIFY(!hf->isBusy());
        QVERIFY(h.events.isEmpty()); // no text, no balloon
    }

    void idlingStartsAfterAQuietWhile()
    {
        Harness h(42, IdleTiming{1000, 5000, 500});
        CharacterSession *hf = h.load();
        hf->show(true);
        h.run(999);
        QVERIFY(!h.events.contains("IdleStart hf"));
        h.run(2);
        QCOMPARE(h.events.count("IdleStart hf"), 1);
        QCOMPARE(hf->idleLevel(), 1);
        h.run(30000);
        QCOMPARE(hf->idleLevel(), 3);
        QCOMPARE(h.events.count("IdleStart hf"), 1);
        // A request ends idling at once.
        hf->play("Blink");
        QCOMPARE(hf->idleLevel(), 0);
        QVERIFY(hf->isBusy());
        hf->setIdleOn(false);
        h.run(60000);
        QCOMPARE(hf->idleLevel(), 0);
    }

    void movingWalksAndReportsTheEnd()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->setLeft(0);
        hf->setTop(0);
        hf->show(true);
        hf->moveTo(200, 100, 1000);
        h.run(500);
        QVERIFY(hf->left() > 0 && hf->left() < 200);
        h.run();
        QCOMPARE(hf->left(), 200);
        QCOMPARE(hf->top(), 100);
        QVERIFY(h.events.contains("Move hf 200,100 2"));
        // Never off the screens.
        hf->moveTo(-5000, -5000, 0);
        h.run();
        QCOMPARE(hf->left(), 0);
        QCOMPARE(hf->top(), 0);
    }

    void menuListsCommandsThenTheServiceEntries()
    {
        Harness h;
        CharacterSession *hf = h.load();
        AgentCommands &commands = hf->commands();
        QVERIFY(!commands.add("Hallo", "&Hallo sagen", "hallo", true, true).isError());
        QVERIFY(!commands.add("Leise", "", "leise", true, true).isError()); // voice only
        QVERIFY(!commands.add("Aus", "Aus", "", false, true).isError());
        QVERIFY(!commands.add("Weg", "Weg", "", true, false).isError());
        QCOMPARE(commands.add("HALLO", "x", "", true, true).number, AgentErrorCommandExists);
        QCOMPARE(commands.remove("Gibtsnicht").number, AgentErrorUnknownCommand);
        commands.setDefaultCommand("hallo");

        const QList<CommandMenuEntry> entries = hf->menuEntries();
        QStringList captions;
        for (const CommandMenuEntry &entry : entries)
            captions.append(entry.isSeparator() ? QStringLiteral("-") : entry.caption);
        QCOMPARE(captions, (QStringList{"&Hallo sagen", "Aus", "-", "Ausblenden", "Erweiterte Figureneinstellungen..."}));
        QVERIFY(entries.at(0).isDefault);
        QVERIFY(!entries.at(1).enabled);

        commands.removeAll();
        QCOMPARE(hf->menuEntries().size(), 2);
    }

    void menuChoicesBecomeCommandsOrHide()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->commands().add("Hallo", "Hallo", "", true, true);
        hf->commands().add("Aus", "Aus", "", false, true);
        hf->show(true);
        h.run(100);
        hf->chooseMenuEntry("Hallo");
        hf->chooseMenuEntry("Aus");
        hf->chooseMenuEntry(CommandMenu::SettingsCommandName);
        QCOMPARE(h.commands.size(), 2);
        QCOMPARE(h.commands.at(0).characterId, QStringLiteral("hf"));
        QCOMPARE(h.commands.at(0).name, QStringLiteral("Hallo"));
        QCOMPARE(h.commands.at(0).confidence, 100);
        QVERIFY(h.commands.at(0).alt1Name.isEmpty());
        QCOMPARE(h.commands.at(0).alt1Confidence, 0);
        QCOMPARE(h.commands.at(1).name, QStringLiteral("ACO"));

        hf->chooseMenuEntry(CommandMenu::HideCommandName);
        h.run();
        QVERIFY(!hf->isVisible());
        QVERIFY(h.events.contains("Hide hf 7"));
    }

    void mouseUseBecomesEvents()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->setLeft(100);
        hf->setTop(50);
        hf->show(true);
        h.run(100);
        CharacterWindow *window = hf->window();
        const QPoint inside(60, 100);
        QTest::mouseClick(window, Qt::LeftButton, Qt::ShiftModifier, inside);
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, inside);
        const QPoint global = window->mapToGlobal(inside);
        QVERIFY2(h.events.contains(QStringLiteral("Click hf 1 1 %1,%2").arg(global.x()).arg(global.y())),
                 qPrintable(h.events.join('|')));
        QVERIFY(h.events.contains("DblClick hf 1"));

        // Drag by 40 pixels to the right.
        h.events.clear();
        const QPoint start = window->mapToGlobal(QPoint(10, 10));
        auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
            QMouseEvent event(type, QPointF(window->mapFromGlobal(global)), QPointF(global), Qt::LeftButton, buttons,
                              Qt::NoModifier);
            QApplication::sendEvent(window, &event);
        };
        send(QEvent::MouseButtonPress, start, Qt::LeftButton);
        send(QEvent::MouseMove, start + QPoint(20, 0), Qt::LeftButton);
        send(QEvent::MouseMove, start + QPoint(40, 0), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, start + QPoint(40, 0), Qt::NoButton);
        QCOMPARE(hf->left(), 140);
        QCOMPARE(h.events, QStringList{"Move hf 140,50 1"});
    }

    void sizeScalesTheFrames()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(true);
        h.run(100);
        hf->setWidth(270);
        hf->setHeight(100);
        QCOMPARE(hf->window()->shownImage().size(), QSize(270, 100));
        QCOMPARE(hf->originalWidth(), 135);
    }

    void settingsChangesAreReported()
    {
        Harness h;
        AgentSettings settings = h.service->settings();
        h.service->setSettings(settings);
        QVERIFY(h.events.isEmpty());
        settings.soundEffects = false;
        h.service->setSettings(settings);
        QCOMPARE(h.events, QStringList{"AgentPropertyChange"});
        h.service->setPropertySheetVisible(true);
        QVERIFY(h.service->isPropertySheetVisible());
        h.service->setPropertySheetVisible(false);
        QVERIFY(!h.service->isPropertySheetVisible());
    }

    void settingsAreKeptForTheNextStart()
    {
        AgentSettings chosen;
        chosen.speechOutput = false;
        chosen.balloonFont = QFont(QStringLiteral("DejaVu Sans"), 14);
        {
            AgentService first;
            QVERIFY(first.settings().speechOutput); // nothing stored yet
            first.setSettings(chosen);
        }
        AgentService second;
        QCOMPARE(second.settings().speechOutput, false);
        QVERIFY(second.settings().soundEffects);
        QVERIFY(second.settings().balloonFont);
        QCOMPARE(second.settings().balloonFont->family(), QStringLiteral("DejaVu Sans"));
    }

    void traceWritesOneLinePerRequestAndEvent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("trace.txt");
        qputenv("TILVANO_AGENT_TRACE", path.toLocal8Bit());
        {
            Harness h;
            CharacterSession *hf = h.load();
            hf->show(true);
            hf->speak("Hallo\tda", QString());
            h.run();
        }
        qunsetenv("TILVANO_AGENT_TRACE");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QStringLiteral("Load\thf\t") + fixture("Happy Face.acs"));
        QCOMPARE(lines.value(1), QStringLiteral("Show\thf\tTrue"));
        QCOMPARE(lines.value(2), QStringLiteral("Show\thf\t4"));
        QCOMPARE(lines.value(3), QStringLiteral("Speak\thf\tHallo da\t"));
        QVERIFY(lines.indexOf("BalloonShow\thf") > 3);
        QVERIFY(lines.indexOf("BalloonHide\thf") > lines.indexOf("BalloonShow\thf"));
    }

    void theVoiceSpeaksWithoutItsTags()
    {
        Harness h(42, {}, true);
        QVERIFY2(!h.service->synthesizer().catalogue().modes().isEmpty(), "espeak-ng with its voices must be installed");
        CharacterSession *hf = h.load();
        hf->show(true);
        h.run(1000);
        hf->speak("\\Spd=220\\Hallo Welt", QString());
        h.run(2000); // the speaking animation comes first; then the engine is asked
        QTRY_VERIFY_WITH_TIMEOUT(hf->balloon()->isVisible(), 20000);
        QCOMPARE(hf->balloon()->fullText().trimmed(), QStringLiteral("Hallo Welt"));
        // The engine's mouth events open the mouth somewhere in the sentence.
        bool mouthOpened = false;
        for (int step = 0; step < 100 && hf->isBusy(); ++step) {
            h.run(20);
            mouthOpened = mouthOpened || hf->mouth().has_value();
        }
        QVERIFY(mouthOpened);
        h.run();
        QVERIFY(!hf->balloon()->isVisible());
        QCOMPARE(hf->balloon()->shownText().trimmed(), QStringLiteral("Hallo Welt"));
        QVERIFY(!hf->isBusy());
    }

    void voicesAreChosenFromTheCatalogue()
    {
        Harness h;
        CharacterSession *c2 = h.load("c2", "Character2.acs");
        QCOMPARE(c2->setTtsModeId("{00000000-1111-2222-3333-444444444444}").number, AgentErrorNoVoice);
        QVERIFY(c2->ttsModeId().isEmpty());
        const QString stefan = speech::VoiceCatalogue::stefanModeId().toString(QUuid::WithBraces).toUpper();
        QVERIFY(!c2->setTtsModeId(stefan.toLower()).isError());
        QCOMPARE(c2->ttsModeId(), stefan);
        QVERIFY(!c2->setTtsModeId(QString()).isError()); // back to the file's own: none
        QVERIFY(c2->ttsModeId().isEmpty());
    }

    void aVoiceFromElsewhereSpeaksWithTheCataloguesVoice()
    {
        // The Happy Face names the voice of another system's engine, for English.
        Harness h;
        CharacterSession *hf = h.load();
        const QUuid declared = hf->reader().info().voice->modeId;
        QVERIFY(!declared.isNull());
        const speech::VoiceCatalogue &catalogue = h.service->synthesizer().catalogue();
        QVERIFY(!catalogue.modeById(declared.toString()));
        const QString used = hf->ttsModeId();
        QCOMPARE(used, catalogue.modeForLanguage(0x0409)->modeIdText());
        // What older versions stored (the file's id) and what is reported now both restore.
        QVERIFY(!hf->setTtsModeId(declared.toString()).isError());
        QCOMPARE(hf->ttsModeId(), used);
        QVERIFY(!hf->setTtsModeId(used).isError());
        QCOMPARE(hf->ttsModeId(), used);
    }

    void gesturesPickTheirStateAnimation()
    {
        Harness h;
        CharacterSession *c2 = h.load("c2", "Character2.acs");
        c2->setLeft(300);
        c2->setTop(300);
        c2->show(true);
        h.run(100);
        c2->gestureAt(360, 0); // straight above
        h.run(1);
        QCOMPARE(c2->player().animation()->name, QStringLiteral("LoL"));
        h.run(5000);
        QVERIFY(!c2->isBusy());
        c2->gestureAt(0, 360); // to its right: no such animation, nothing to wait for
        h.run(1);
        QVERIFY(!c2->isBusy());
    }

    void unloadingInTheMiddleIsSafe()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(false);
        hf->speak("eins zwei drei vier fünf", QString());
        hf->moveTo(10, 10, 2000);
        h.run(1500);
        QVERIFY(hf->isBusy());
        h.service->unload("HF");
        h.run();
        QVERIFY(!h.service->character("hf"));
    }

    void manyInstantRequestsDoNotPileUp()
    {
        Harness h;
        CharacterSession *hf = h.load();
        hf->show(true);
        h.run(3000);
        hf->speak("x", QString()); // ends on the speaking pose, so the rest need no animation
        for (int i = 0; i < 5000; ++i)
            hf->speak(QString(), QString());
        h.run();
        QVERIFY(!hf->isBusy());
        QCOMPARE(hf->waitingRequests(), 0);
    }

    void runsOnTheRealClockToo()
    {
        Harness h(42, {}, false, AgentClock::Mode::Automatic);
        CharacterSession *hf = h.load();
        hf->show(false);
        hf->speak("Hallo", QString());
        hf->hide(false);
        QTRY_VERIFY_WITH_TIMEOUT(h.events.contains("Hide hf 3"), 10000);
        QCOMPARE(h.events, (QStringList{"Show hf 4", "BalloonShow hf", "BalloonHide hf", "Hide hf 3"}));
    }

    void installedFactoryMakesTheService()
    {
        installAgentService();
        std::unique_ptr<AgentControl> control = createAgentControl(nullptr);
        QVERIFY(dynamic_cast<AgentService *>(control.get()));
        ServiceRegistry::installDefault<AgentControlFactory>({});
        ServiceRegistry::reset();
    }
};

QTEST_MAIN(AgentServiceTest)
#include "tst_agentservice.moc"
