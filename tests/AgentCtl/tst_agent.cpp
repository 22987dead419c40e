// The character controller: loading, speaking and the other actions, the
// stored state, and the exact log lines clients and support rely on.

#include "support/AgentTestBench.h"
#include "support/ControlFactoryInPlace.h"
#include "support/FifoTrap.h"
#include "platform/agent/AgentService.h"
#include "AgentCtl/LibraryStartup.h"
#include "common/ErrorLog.h"
#include "system/WindowsDirectory.h"

#include <QMetaMethod>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <optional>

using namespace tilvano;
using namespace tilvano::test;

class TestAgent : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AgentTestBench>(); }
    void cleanup() { bench.reset(); }

    void firstObjectLogsLibraryStartupOnce()
    {
        auto first = std::make_unique<Agent>();
        auto second = std::make_unique<Agent>();
        const QStringList log = bench->logMessages();
        QCOMPARE(log.value(0), QStringLiteral("Tilvano.Agent: Sub Main called"));
        QVERIFY(QRegularExpression(QStringLiteral("^Tilvano\\.Agent: PrevInstance: (True|False)$"))
                    .match(log.value(1))
                    .hasMatch());
        QCOMPARE(log.mid(2), (QStringList{"Class_Initialize", "MainForm.Init", "MainForm.Form_Load",
                                          "Class_Initialize", "MainForm.Init", "MainForm.Form_Load"}));
        second.reset();
        QCOMPARE(bench->logMessages().last(), QStringLiteral("Class_Terminate"));
    }

    void previousInstanceMeansAnotherProcessOfTheSameProgram()
    {
        QVERIFY(!LibraryStartup::previousInstanceRunning()); // we alone do not count
        QProcess peer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TILVANO_STARTUP_PEER"), QStringLiteral("1"));
        peer.setProcessEnvironment(environment);
        peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("waitAsStartupPeer")});
        QVERIFY(peer.waitForReadyRead(20000)); // it says so once it runs
        QVERIFY(LibraryStartup::previousInstanceRunning());
        peer.closeWriteChannel();
        QVERIFY(peer.waitForFinished(20000));
        QVERIFY(!LibraryStartup::previousInstanceRunning());
    }

    // The other process of the test above: waits until its input closes.
    void waitAsStartupPeer()
    {
        if (!qEnvironmentVariableIsSet("TILVANO_STARTUP_PEER"))
            QSKIP("runs only as the second process of previousInstanceMeansAnotherProcessOfTheSameProgram");
        QFile input;
        QVERIFY(input.open(stdin, QIODevice::ReadOnly));
        std::printf("running\n");
        std::fflush(stdout);
        input.readAll();
    }

    void missingServiceTellsTheUserAndLeavesNoCharacter()
    {
        bench->serviceAvailable = false;
        Agent agent;
        QCOMPARE(bench->dialogs.shown().size(), 1);
        const ScriptedDialogService::Shown box = bench->dialogs.shown().first();
        QCOMPARE(box.text, QStringLiteral("Der Microsoft Agent konnte nicht erstellt werden!\r\n"
                                          "Bitte installieren Sie alle Systemvorrausetzungen.\r\n"));
        QCOMPARE(box.title, QStringLiteral("Tilvano - Fehler!"));
        QCOMPARE(box.icon(), DialogService::Critical);
        QCOMPARE(box.buttons(), DialogService::OkOnly);

        QString text = QStringLiteral("Hallo");
        QVERIFY(!agent.SpeakIt(text));
        QCOMPARE(agent.LastError().number, 91);
        QVERIFY(!agent.AddMenuItem(QStringLiteral("x"), QStringLiteral("X"), QStringLiteral("x")));
        QVERIFY(!agent.InitLastAgent()); // the load fails with a report, the rest has no character
        QCOMPARE(bench->dialogs.shown().size(), 2);
        QCOMPARE(bench->dialogs.shown().last().title, QStringLiteral("Fehler!"));
    }

    void loadCharTakesTheCharactersVoiceAndFullVolume()
    {
        Agent agent;
        bench->control->profile().speed = 130;
        bench->control->profile().pitch = 90;
        QString file = QStringLiteral("/chars/Robby.acs");
        QVERIFY(!agent.LoadChar(file).isValid());
        QCOMPARE(bench->control->calls().first(), QStringLiteral("Characters.Load(somebody, /chars/Robby.acs)"));
        QCOMPARE(agent.speed(), qint16(130));
        QCOMPARE(agent.Pitch(), qint16(90));
        QCOMPARE(agent.Volume(), 65000);
        QCOMPARE(agent.CharFile(), file);
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void missingMerlinFallsBackToGenie_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("full path") << QStringLiteral("/home/u/chars/Merlin.acs");
        QTest::newRow("other case") << QStringLiteral("MERLIN.ACS");
    }
    void missingMerlinFallsBackToGenie()
    {
        QFETCH(QString, file);
        Agent agent;
        bench->control->failLoad(file, AgentErrorFileNotFound);
        QString requested = file;
        agent.LoadChar(requested);
        QCOMPARE(requested, QStringLiteral("Genie.acs"));
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("Characters.Load")),
                 (QStringList{QStringLiteral("Characters.Load(somebody, %1)").arg(file),
                              QStringLiteral("Characters.Load(somebody, Genie.acs)")}));
        QVERIFY(bench->character());
        QVERIFY(bench->dialogs.shown().isEmpty());
        agent.SaveAll();
        QCOMPARE(AgentTestBench::active(QStringLiteral("Path")), QStringLiteral("Genie.acs"));
    }

    void otherLoadFailuresAreReportedOnce()
    {
        Agent agent;
        bench->control->failLoad(QStringLiteral("/chars/Robby.acs"), AgentErrorFileNotFound);
        bench->control->failLoad(QStringLiteral("Genie.acs"), AgentErrorFileNotFound);
        QString robby = QStringLiteral("/chars/Robby.acs");
        agent.LoadChar(robby);
        QCOMPARE(robby, QStringLiteral("/chars/Robby.acs"));
        QCOMPARE(bench->dialogs.shown().size(), 1);
        QVERIFY(bench->dialogs.shown().first().text.contains(QString::number(AgentErrorFileNotFound)));

        // With Genie missing too the fallback is tried once, then reported.
        bench->dialogs.clear();
        bench->control->failLoad(QStringLiteral("/chars/Merlin.acs"), AgentErrorFileNotFound);
        QString merlin = QStringLiteral("/chars/Merlin.acs");
        agent.LoadChar(merlin);
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("Characters.Load")).size(), 3);
        QCOMPARE(bench->dialogs.shown().size(), 1);
        QVERIFY(!bench->character());
        QString text = QStringLiteral("Hallo");
        QVERIFY(!agent.SpeakIt(text));
    }

    void alreadyLoadedIsNoFailure()
    {
        Agent agent;
        bench->control->failLoad(QStringLiteral("/chars/Robby.acs"), AgentErrorAlreadyLoaded);
        QString file = QStringLiteral("/chars/Robby.acs");
        agent.LoadChar(file);
        QVERIFY(bench->dialogs.shown().isEmpty());
        QCOMPARE(agent.CharFile(), file);
        QCOMPARE(agent.Volume(), 65000);
    }

    // A file that cannot be loaded costs nothing: the character loaded before
    // stays, with the double and with the real service alike. A local caller
    // sees the error box; a caller that gets its failures back (a program on
    // the bus) gets LastError and no box.
    void failingLoadKeepsTheCharacter_data()
    {
        QTest::addColumn<bool>("realService");
        QTest::addColumn<QString>("badFile"); // in a folder of the test's own
        QTest::addColumn<bool>("boxesRecordedInstead");
        QTest::newRow("double, missing") << false << QStringLiteral("missing.acs") << false;
        QTest::newRow("double, missing, no box") << false << QStringLiteral("missing.acs") << true;
        QTest::newRow("service, missing") << true << QStringLiteral("missing.acs") << false;
        QTest::newRow("service, text, no box") << true << QStringLiteral("text.acs") << true;
        QTest::newRow("service, version 1.5") << true << QStringLiteral("ALIEN.ACS") << false;
        QTest::newRow("service, link to a FIFO, no box") << true << QStringLiteral("fifo.acs") << true;
        QTest::newRow("service, folder") << true << QStringLiteral("folder.acs") << false;
    }
    void failingLoadKeepsTheCharacter()
    {
        QFETCH(bool, realService);
        QFETCH(QString, badFile);
        QFETCH(bool, boxesRecordedInstead);
        const QString fixtures = fixturesDir() + QStringLiteral("/acs/");
        QTemporaryDir dir;
        QFile text(dir.filePath(QStringLiteral("text.acs")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Das ist keine Figur, nur ein Text, der lang genug für einen Kopf ist.");
        text.close();
        QVERIFY(QFile::copy(fixtures + QStringLiteral("ALIEN.ACS"), dir.filePath(QStringLiteral("ALIEN.ACS"))));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.acs")));
        FifoTrap fifo(dir.filePath(QStringLiteral("pipe")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("pipe")), dir.filePath(QStringLiteral("fifo.acs"))));

        QPointer<AgentControl> control;
        std::optional<test::ControlFactoryInPlace> realFactory;
        if (realService) {
            realFactory.emplace([&control](QWidget *host) -> std::unique_ptr<AgentControl> {
                agent::AgentServiceOptions options;
                options.clockMode = agent::AgentClock::Mode::Manual;
                options.settings = agent::AgentSettings{};
                auto service = std::make_unique<agent::AgentService>(host, options);
                control = service.get();
                return service;
            });
        }
        Agent agent;
        if (!realService)
            control = bench->control.data();
        QVERIFY(control);
        QString good = realService ? fixtures + QStringLiteral("Character2.acs") : QStringLiteral("/chars/Merlin.acs");
        agent.LoadChar(good);
        const QPointer<AgentCharacter> before = control->character(QStringLiteral("somebody"));
        QVERIFY(before);
        const QStringList animations = agent.AnimationNames();
        QVERIFY(!animations.isEmpty());

        QString bad = dir.filePath(badFile);
        if (!realService)
            bench->control->failLoad(bad, AgentErrorFileNotFound);
        std::optional<ErrorInfo> recorded;
        {
            Agent::CallRecord record(agent, boxesRecordedInstead ? Agent::ErrorBoxes::RecordedInstead
                                                                 : Agent::ErrorBoxes::Shown);
            agent.LoadChar(bad);
            recorded = record.failure();
        }
        QCOMPARE(control->character(QStringLiteral("somebody")), before.data());
        QCOMPARE(agent.CharFile(), good);
        QCOMPARE(agent.AnimationNames(), animations);
        QString hello = QStringLiteral("Hallo");
        QVERIFY(agent.SpeakIt(hello));
        QVERIFY(recorded);
        if (boxesRecordedInstead) {
            QVERIFY(bench->dialogs.shown().isEmpty());
            QCOMPARE(agent.LastError().number, recorded->number);
        } else {
            QCOMPARE(bench->dialogs.shown().size(), 1);
            QCOMPARE(bench->dialogs.shown().first().title, QStringLiteral("Fehler!"));
            QVERIFY(bench->dialogs.shown().first().text.contains(QString::number(recorded->number)));
        }
        QVERIFY(!fifo.hadToRelease());
    }

    void loadingNothingUnloadsTheCharacter()
    {
        auto agent = bench->agentWithCharacter();
        QString nothing;
        QVERIFY(!agent->LoadChar(nothing).isValid());
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("Characters.Unload(somebody)")});
        QVERIFY(!bench->character());
        QCOMPARE(bench->logMessages(), QStringList{QStringLiteral("LoadChar: ")});
        QString text = QStringLiteral("Hallo");
        QVERIFY(!agent->SpeakIt(text));
        QCOMPARE(agent->LastError().number, 91);
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void speechTagPrefix_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("pitch");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QString>("voiceChar");
        QTest::addColumn<QString>("voiceContext");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("none") << -1 << -1 << -1 << QString() << QString() << QString();
        QTest::newRow("speed and volume") << 150 << -1 << 65000 << QString() << QString()
                                          << QStringLiteral("\\Spd=150\\\\Vol=65000\\");
        QTest::newRow("zero counts") << 0 << 0 << 0 << QString() << QString()
                                     << QStringLiteral("\\Spd=0\\\\Pit=0\\\\Vol=0\\");
        QTest::newRow("any negative drops") << -5 << -32768 << -2 << QString() << QString() << QString();
        QTest::newRow("all, in order") << 1 << 2 << 3 << QStringLiteral("Mann") << QStringLiteral("Adresse")
                                       << QStringLiteral("\\Spd=1\\\\Pit=2\\\\Vol=3\\\\Chr=\"Mann\"\\\\Ctx=\"Adresse\"\\");
    }
    void speechTagPrefix()
    {
        QFETCH(int, speed);
        QFETCH(int, pitch);
        QFETCH(int, volume);
        QFETCH(QString, voiceChar);
        QFETCH(QString, voiceContext);
        QFETCH(QString, prefix);
        auto agent = bench->agentWithCharacter();
        bench->character()->setVisibleState(true);
        agent->setSpeed(qint16(speed));
        agent->setPitch(qint16(pitch));
        agent->setVolume(volume);
        agent->setVoiceChar(voiceChar);
        agent->setVoiceContext(voiceContext);
        QString text = QStringLiteral("Hallo");
        QVERIFY(agent->SpeakIt(text));
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.Speak(%1Hallo, )").arg(prefix)});
    }

    void placeholdersAreReplacedInOrderAndCaseSensitively()
    {
        QAgentRun run(*bench);
        // A fresh system has no voice values stored, so no prefix at all.
        QString text = QStringLiteral("Es ist <TIME>");
        QVERIFY(run.agent->SpeakIt(text));
        QVERIFY2(QRegularExpression(QStringLiteral("^Es ist \\d\\d:\\d\\d:\\d\\d$")).match(text).hasMatch(),
                 qPrintable(text));
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Speak")),
                 QStringList{QStringLiteral("somebody.Speak(%1, )").arg(text)});
        QCOMPARE(bench->logMessages().value(0), QStringLiteral("SpeakIt: Es ist <TIME>"));

        QString lower = QStringLiteral("<date> <time> <now> <Date>");
        run.agent->SpeakIt(lower);
        QCOMPARE(lower, QStringLiteral("<date> <time> <now> <Date>"));

        QString date = QStringLiteral("<DATE>|<DATE>");
        run.agent->SpeakIt(date);
        QVERIFY2(QRegularExpression(QStringLiteral("^(\\d\\d\\.\\d\\d\\.\\d{4})\\|\\1$")).match(date).hasMatch(),
                 qPrintable(date));

        // The German regional default, with the year in four digits; the log's stamps too.
        const QRegularExpression general(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d$"));
        QString now = QStringLiteral("<NOW>");
        run.agent->SpeakIt(now);
        QVERIFY2(general.match(now).hasMatch(), qPrintable(now));
        QFile log(bench->installPath + QStringLiteral("/protocol.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString stamp = QString::fromUtf8(log.readLine()).section(QStringLiteral(": "), 0, 0);
        QVERIFY2(general.match(stamp).hasMatch(), qPrintable(stamp));
    }

    void evSpeakHandlersChangeWhatIsSpoken()
    {
        auto agent = bench->agentWithCharacter();
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        connect(agent.get(), &Agent::EvSpeak, this,
                [](QString &txt) { txt.replace(QStringLiteral("<USERNAME>"), QStringLiteral("Anna")); });
        QString text = QStringLiteral("Hallo <USERNAME>");
        QVERIFY(agent->SpeakIt(text));
        QCOMPARE(text, QStringLiteral("Hallo Anna"));
        QString thought = QStringLiteral("Denk an <USERNAME>");
        agent->Think(thought);
        QCOMPARE(bench->control->calls(),
                 (QStringList{"somebody.Show(False)", "somebody.Speak(Hallo Anna, )", "somebody.Think(Denk an Anna)"}));
    }

    void hideAfterAnimation_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("SpeakIt") << QStringLiteral("SpeakIt")
                                 << QStringList{"somebody.Show(True)", "somebody.Speak(Hallo, )", "somebody.Hide(True)"};
        QTest::newRow("SpeakWave") << QStringLiteral("SpeakWave")
                                   << QStringList{"somebody.Show(True)", "somebody.Speak(, Hallo)", "somebody.Hide(True)"};
        QTest::newRow("Think") << QStringLiteral("Think")
                               << QStringList{"somebody.Show(True)", "somebody.Think(Hallo)", "somebody.Hide(True)"};
        QTest::newRow("PlayAni never hides") << QStringLiteral("PlayAni")
                                             << QStringList{"somebody.Show(True)", "somebody.Play(Hallo)"};
    }
    void hideAfterAnimation()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, calls);
        auto agent = bench->agentWithCharacter();
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        agent->setHideAfterAnimation(true);
        agent->setFastShowHide(true);
        QString text = QStringLiteral("Hallo");
        if (action == QLatin1String("SpeakIt"))
            QVERIFY(agent->SpeakIt(text));
        else if (action == QLatin1String("SpeakWave"))
            QVERIFY(agent->SpeakWave(text));
        else if (action == QLatin1String("Think"))
            agent->Think(text);
        else
            QVERIFY(agent->PlayAni(text));
        QCOMPARE(bench->control->calls(), calls);
    }

    void initLastAgentOnAFreshSystem()
    {
        Agent agent;
        QVERIFY(agent.InitLastAgent());
        const QString merlin = WindowsDirectory::characterFolder() + QStringLiteral("Merlin.acs");
        QCOMPARE(bench->control->calls().first(), QStringLiteral("Characters.Load(somebody, %1)").arg(merlin));
        QCOMPARE(bench->control->calls().mid(bench->control->calls().size() - 6),
                 (QStringList{"somebody.Width(128)", "somebody.Height(128)", "somebody.Left(100)", "somebody.Top(100)",
                              "somebody.TTSModeID()", "somebody.Show(False)"}));
        QCOMPARE(agent.Volume(), -1);
        QCOMPARE(agent.speed(), qint16(-1));
        QCOMPARE(agent.Pitch(), qint16(-1));
        QVERIFY(agent.visible());

        // A second call finds the character loaded and leaves everything alone.
        bench->control->clearCalls();
        bench->clearLog();
        QVERIFY(agent.InitLastAgent());
        QVERIFY(bench->control->calls().isEmpty());
        QCOMPARE(bench->logMessages(), QStringList{QStringLiteral("InitLastAgent")});
    }

    void initLastAgentAppliesStoredValues()
    {
        AgentTestBench::saveActive(QStringLiteral("Path"), QStringLiteral("/chars/Robby.acs"));
        AgentTestBench::saveActive(QStringLiteral("Speed"), QStringLiteral("120"));
        AgentTestBench::saveActive(QStringLiteral("Volume"), QStringLiteral("40000"));
        AgentTestBench::saveActive(QStringLiteral("ShowFast"), QStringLiteral("true"));
        AgentTestBench::saveActive(QStringLiteral("Left"), QStringLiteral("300"));
        AgentTestBench::saveActive(QStringLiteral("LanguageID"), QStringLiteral("1031"));
        AgentTestBench::saveActive(QStringLiteral("HideAfterAnimation"), QStringLiteral("True"));
        Agent agent;
        QVERIFY(agent.InitLastAgent());
        QCOMPARE(bench->control->calls().first(), QStringLiteral("Characters.Load(somebody, /chars/Robby.acs)"));
        QCOMPARE(agent.speed(), qint16(120));
        QCOMPARE(agent.Volume(), 40000);
        QVERIFY(agent.FastShowHide());
        QCOMPARE(bench->character()->left(), qint16(300));
        // Hiding after every sentence: it waits hidden; the language waits for the next load.
        QVERIFY(!agent.visible());
        QVERIFY(bench->control->callsStartingWith(QStringLiteral("somebody.LanguageID")).isEmpty());
        QString next = QStringLiteral("/chars/Robby.acs");
        bench->clearLog();
        agent.LoadChar(next);
        QVERIFY(bench->logMessages().contains(QStringLiteral("Seting the language to: 1031")));
        QCOMPARE(bench->character()->languageId(), 1031);
    }

    void initLastAgentStopsAtTheFirstBadValue()
    {
        AgentTestBench::saveActive(QStringLiteral("Height"), QStringLiteral("hoch"));
        AgentTestBench::saveActive(QStringLiteral("Width"), QStringLiteral("99999"));
        Agent agent;
        QVERIFY(!agent.InitLastAgent());
        QCOMPARE(agent.LastError().number, 6); // the width overflows before the height is read
        QVERIFY(bench->control->callsStartingWith(QStringLiteral("somebody.Left")).isEmpty());
        QVERIFY(bench->control->callsStartingWith(QStringLiteral("somebody.Show")).isEmpty());
    }

    void saveAllStoresTheStateForTheNextRun()
    {
        {
            auto agent = bench->agentWithCharacter(QStringLiteral("/chars/Robby.acs"));
            agent->setVolume(50000);
            agent->setPitch(-1);
            agent->setSpeed(140);
            agent->setVoiceChar(QStringLiteral("Mann"));
            agent->setHideAfterAnimation(false);
            agent->setFastShowHide(true);
            agent->setWidth(200);
            agent->MoveTo(40, 50);
            agent->Show();
            agent->SaveAll();
        }
        const QStringList expected{"50000", "-1", "140", "", "1031", "", "Mann", "False", "200", "128", "50", "40",
                                   "True", "True", "/chars/Robby.acs"};
        const QStringList keys{"Volume", "Pitch", "Speed", "TTS", "LanguageID", "VoiceContext", "VoiceChar",
                               "HideAfterAnimation", "Width", "Height", "Top", "Left", "Visible", "ShowFast", "Path"};
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(AgentTestBench::active(keys[i]), expected[i]);

        Agent next;
        QVERIFY(next.InitLastAgent());
        QCOMPARE(next.speed(), qint16(140));
        QCOMPARE(next.VoiceChar(), QStringLiteral("Mann"));
        QCOMPARE(next.Width(), qint16(200));
        QCOMPARE(bench->character()->left(), qint16(40));
        QVERIFY(bench->control->calls().contains(QStringLiteral("somebody.Show(True)")));
    }

    void showAndHideKeepTheVisibility()
    {
        auto agent = bench->agentWithCharacter();
        QVERIFY(!agent->Show().isValid());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Visible")), QStringLiteral("True"));
        agent->Show(true);
        bench->character()->placeAt(70, 80);
        QVERIFY(!agent->Hide().isValid());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Left")), QStringLiteral("70"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Top")), QStringLiteral("80"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Visible")), QStringLiteral("False"));
        QCOMPARE(bench->control->calls(), (QStringList{"somebody.Show(False)", "somebody.Show(True)", "somebody.Hide(False)"}));
    }

    void entryLinesAreExact()
    {
        auto agent = bench->agentWithCharacter();
        bench->character()->setVisibleState(true);
        agent->setVolume(-1);
        agent->setSpeed(-1);
        agent->setPitch(-1);
        QString thought = QStringLiteral("Hm");
        agent->PlayAni(QStringLiteral("Wave"));
        agent->Think(thought);
        agent->SpeakWave(QStringLiteral("/tmp/a.wav"));
        agent->MoveTo(10, -20, 300);
        QVERIFY(agent->GestureAt(3, 4) == nullptr);
        QVERIFY(!agent->StopAll().isValid());
        agent->setLanguageID(1031);
        agent->setTTSModeID(QStringLiteral("{3A1FB761-A92B-11D1-B17B-0020AFED142E}"));
        agent->setWidth(100);
        agent->setHeight(90);
        agent->setMenuCaption(QStringLiteral("Menü"));
        agent->RestoreDefaults();
        agent->Show();
        agent->Hide();
        QCOMPARE(bench->logMessages(),
                 (QStringList{"PlayAni: Wave", "Think: Hm", "SpeakWave: /tmp/a.wav", "MoveTo: 10/-20", "GestureAt: 3/4",
                              "StopAll", "Let LanguageID: 1031", "Let TTSModeID: {3A1FB761-A92B-11D1-B17B-0020AFED142E}", "Let Width:100",
                              "Let Hight: 90", "let MenuCaption: Menü", "RestoreDefaults", "Show Friend", "Hide"}));
        QVERIFY(bench->control->calls().contains(QStringLiteral("somebody.MoveTo(10, -20, 300)")));
        QCOMPARE(agent->MenuCaption(), QStringLiteral("Menü"));
    }

    void failuresAreRecordedAndLogged()
    {
        auto agent = bench->agentWithCharacter();
        bench->character()->failRequest(QStringLiteral("Play"), qint32(0x80042003u));
        QVERIFY(!agent->PlayAni(QStringLiteral("Fly")));
        QCOMPARE(agent->LastError().number, qint32(0x80042003u));
        QCOMPARE(bench->logMessages().last(), SetLastErrorText(agent->LastError()));
        QVERIFY(bench->logMessages().last().startsWith(QStringLiteral("Kibo.Agent.SetLastError:  #")));
        // A speed that is no number fails the move, and nothing moves.
        bench->control->clearCalls();
        agent->MoveTo(1, 2, QStringLiteral("schnell"));
        QCOMPARE(agent->LastError().number, 13);
        QVERIFY(bench->control->calls().isEmpty());
        QVERIFY(bench->dialogs.shown().isEmpty());
    }

    void membersAreReachableByNameInTheirOrder()
    {
        QStringList operations;
        const QMetaObject &meta = Agent::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() == QMetaMethod::Method && !operations.contains(QString::fromLatin1(method.name())))
                operations.append(QString::fromLatin1(method.name()));
        }
        QCOMPARE(operations, (QStringList{"LoadChar", "SpeakIt", "SpeakWave", "PlayAni", "Show", "Hide", "StopAll",
                                          "InitLastAgent", "SaveAll", "RestoreDefaults", "GestureAt", "AddMenuItem",
                                          "RemoveMenuItem", "Think", "MacroNames", "RunMacroByName", "RunMacroText",
                                          "MoveTo"}));
        QStringList properties;
        for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
            properties.append(QString::fromLatin1(meta.property(i).name()));
        QCOMPARE(properties, (QStringList{"LastError", "speed", "Pitch", "LanguageID", "TTSModeID", "AnimationNames",
                                          "FastShowHide", "visible", "Width", "Height", "Description", "Volume",
                                          "VoiceChar", "VoiceContext", "HideAfterAnimation", "MenuCaption"}));

        // A late-bound call writes back into the caller's variable, as scripts expect.
        auto agent = bench->agentWithCharacter();
        QString text = QStringLiteral("<DATE>");
        QVERIFY(QMetaObject::invokeMethod(agent.get(), "SpeakIt", Q_ARG(QString &, text)));
        QVERIFY(!text.contains(QLatin1Char('<')));
    }

private:
    // An Agent after InitLastAgent on a fresh system, calls and log cleared.
    struct QAgentRun {
        explicit QAgentRun(AgentTestBench &bench) : agent(std::make_unique<Agent>())
        {
            agent->InitLastAgent();
            bench.control->clearCalls();
            bench.clearLog();
        }
        std::unique_ptr<Agent> agent;
    };

    std::unique_ptr<AgentTestBench> bench;
};

QTEST_MAIN(TestAgent)
#include "tst_agent.moc"
