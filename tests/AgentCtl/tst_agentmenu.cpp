// The character's menu and voice commands: the built-in entries, client
// entries across a change of character, and the confidence rules.

#include "AgentCtl/MainForm.h"
#include "AgentCtl/colMenu.h"
#include "support/AgentTestBench.h"

#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

namespace {
const QStringList kBuiltInAdds{
    "somebody.Commands.Add(speakTxt, &Text sprechen, text sprechen, True, True)",
    "somebody.Commands.Add(macroeditor, &Ablaufwerk, ablaufwerk, True, True)",
    "somebody.Commands.Add(stopall, &Stoppen, alles stoppen, True, True)",
    "somebody.Commands.Add(restpose, &Ruhezustand, ruhezustand, True, True)",
    "somebody.Commands.Add(randomanimation, &Zufallsanimation, zufallsanimation, True, True)",
    "somebody.Commands.Add(help, &Hilfe, hilfe, True, True)",
};
} // namespace

class TestAgentMenu : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AgentTestBench>(); }
    void cleanup() { bench.reset(); }

    void firstLoadBuildsTheBuiltInMenu()
    {
        Agent agent;
        QString file = QStringLiteral("/chars/Merlin.acs");
        agent.LoadChar(file);
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Commands.")),
                 (QStringList{"somebody.Commands.RemoveAll", "somebody.Commands.Caption=Tilvano-Menü"} + kBuiltInAdds
                  + QStringList{"somebody.Commands.DefaultCommand=stopall"}));
        const QStringList log = bench->logMessages();
        const qsizetype at = log.indexOf(QStringLiteral("InitAgentCommands"));
        QVERIFY(at > 0);
        QCOMPARE(log.value(at + 1), QStringLiteral("AddMenuItem: speakTxt,&Text sprechen,text sprechen,True,True"));
        QCOMPARE(log.value(at + 6), QStringLiteral("AddMenuItem: help,&Hilfe,hilfe,True,True"));
        QCOMPARE(agent.MenuCaption(), QStringLiteral("Tilvano-Menü"));
    }

    void entriesSurviveAChangeOfCharacterInOrder()
    {
        auto agent = bench->agentWithCharacter();
        QVERIFY(agent->AddMenuItem(QStringLiteral("mail"), QStringLiteral("&Post"), QStringLiteral("post"), false));
        QVERIFY(agent->AddMenuItem(QStringLiteral("news"), QStringLiteral("&Neues"), QStringLiteral("neues"), true, false));
        QVERIFY(agent->RemoveMenuItem(QStringLiteral("macroeditor")));
        QVERIFY(agent->RemoveMenuItem(QStringLiteral("mail")));
        QVERIFY(agent->AddMenuItem(QStringLiteral("mail"), QStringLiteral("&Post"), QStringLiteral("post"), false));
        QCOMPARE(bench->logMessages().value(0), QStringLiteral("AddMenuItem: mail,&Post,post,False,True"));
        QCOMPARE(bench->logMessages().value(2), QStringLiteral("RemoveMenuItem: macroeditor"));

        bench->control->clearCalls();
        QString other = QStringLiteral("/chars/Robby.acs");
        agent->LoadChar(other);
        // Only the entries are added again: no clearing, caption or default command.
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Commands.")),
                 (QStringList{kBuiltInAdds[0], kBuiltInAdds[2], kBuiltInAdds[3], kBuiltInAdds[4], kBuiltInAdds[5],
                              "somebody.Commands.Add(news, &Neues, neues, True, False)",
                              "somebody.Commands.Add(mail, &Post, post, False, True)"}));
        QCOMPARE(agent->MenuCaption(), QString());
    }

    void failedAddLeavesNoEntryBehind()
    {
        auto agent = bench->agentWithCharacter();
        bench->character()->commands().failAdds(qint32(0x80004005u));
        QVERIFY(!agent->AddMenuItem(QStringLiteral("mail"), QStringLiteral("&Post"), QStringLiteral("post")));
        QCOMPARE(agent->LastError().number, qint32(0x80004005u));
        bench->character()->commands().failAdds(0);
        // A name the menu has already is refused, and kept once.
        QVERIFY(!agent->AddMenuItem(QStringLiteral("stopall"), QStringLiteral("x"), QStringLiteral("x")));
        QVERIFY(!agent->RemoveMenuItem(QStringLiteral("unbekannt")));

        bench->control->clearCalls();
        QString other = QStringLiteral("/chars/Robby.acs");
        agent->LoadChar(other);
        QCOMPARE(bench->control->callsStartingWith(QStringLiteral("somebody.Commands.")), kBuiltInAdds);
    }

    void confidenceRules_data()
    {
        QTest::addColumn<int>("confidence");
        QTest::addColumn<QString>("alt1Name");
        QTest::addColumn<int>("alt1Confidence");
        QTest::addColumn<QString>("answer"); // empty: the command is carried out
        const QString notUnderstood = QStringLiteral("Ich habe dich nicht verstanden...");
        const QString unclear = QStringLiteral("Das Kommando war nicht deutlich genug...");
        QTest::newRow("-40 not understood") << -40 << QString() << 0 << notUnderstood;
        QTest::newRow("-39 carried out") << -39 << QString() << 0 << QString();
        QTest::newRow("lowest value") << int(std::numeric_limits<qint32>::min()) << QStringLiteral("x")
                                      << int(std::numeric_limits<qint32>::max()) << notUnderstood;
        QTest::newRow("not understood wins over unclear") << -45 << QStringLiteral("x") << -45 << notUnderstood;
        QTest::newRow("50 vs 45 unclear") << 50 << QStringLiteral("x") << 45 << unclear;
        QTest::newRow("50 vs 40 carried out") << 50 << QStringLiteral("x") << 40 << QString();
        QTest::newRow("distance of the absolute values") << 45 << QStringLiteral("x") << -50 << unclear;
        QTest::newRow("no second candidate") << 50 << QString() << 45 << QString();
        // |max| and |min| differ by one: too alike, and no overflow on the way.
        QTest::newRow("extremes") << int(std::numeric_limits<qint32>::max()) << QStringLiteral("x")
                                  << int(std::numeric_limits<qint32>::min()) << unclear;
    }
    void confidenceRules()
    {
        QFETCH(int, confidence);
        QFETCH(QString, alt1Name);
        QFETCH(int, alt1Confidence);
        QFETCH(QString, answer);
        auto agent = bench->agentWithCharacter();
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        bench->character()->setVisibleState(true);
        int menuEvents = 0;
        connect(agent.get(), &Agent::MenuEvent, this, [&menuEvents] { ++menuEvents; });
        bench->control->chooseCommand(QStringLiteral("mail"), confidence, alt1Name, alt1Confidence);
        QCOMPARE(bench->logMessages().value(0), QStringLiteral("oAgentCtl_Command: mail"));
        if (answer.isEmpty()) {
            QCOMPARE(menuEvents, 1);
            QVERIFY(bench->control->calls().isEmpty());
        } else {
            QCOMPARE(menuEvents, 0);
            QCOMPARE(bench->control->calls(),
                     (QStringList{"somebody.Play(Confused)", QStringLiteral("somebody.Speak(%1, )").arg(answer)}));
        }
    }

    void clientEntryRaisesMenuEventWithItsName()
    {
        auto agent = bench->agentWithCharacter();
        QStringList names;
        connect(agent.get(), &Agent::MenuEvent, this, [&names](QString &name) { names.append(name); });
        bench->control->chooseCommand(QStringLiteral("mail"));
        // Names are compared exactly: a built-in name in other letters is a client's.
        bench->control->chooseCommand(QStringLiteral("StopAll"));
        QCOMPARE(names, (QStringList{"mail", "StopAll"}));
        QVERIFY(bench->control->calls().isEmpty());
        QVERIFY(bench->shell.requests().isEmpty());
    }

    void builtInCommandsActInside()
    {
        auto agent = bench->agentWithCharacter();
        int menuEvents = 0;
        connect(agent.get(), &Agent::MenuEvent, this, [&menuEvents] { ++menuEvents; });
        bench->character()->setVisibleState(true);
        bench->control->chooseCommand(QStringLiteral("stopall"));
        bench->control->chooseCommand(QStringLiteral("restpose"));
        QCOMPARE(bench->control->calls(),
                 (QStringList{"somebody.StopAll()", "somebody.Play(RestPose)", "somebody.IdleOn(True)"}));

        bench->control->chooseCommand(QStringLiteral("speakTxt"));
        QVERIFY(agent->readTextWindow()->isVisible());
        QVERIFY(!agent->readTextWindow()->isModal());
        QCOMPARE(menuEvents, 0);
    }

    void editorAndHelpStartThroughTheShell()
    {
        auto agent = bench->agentWithCharacter();
        // Neither is set up: nothing starts, the failure is recorded.
        bench->control->chooseCommand(QStringLiteral("macroeditor"));
        QCOMPARE(agent->LastError().number, 53);
        agent->putLastError({});
        bench->control->chooseCommand(QStringLiteral("help"));
        QCOMPARE(agent->LastError().number, 53);
        QVERIFY(bench->shell.requests().isEmpty());

        const QString editor = bench->installPath + QStringLiteral("ablaufwerk");
        const QString help = bench->installPath + QStringLiteral("help/index.html");
        QDir().mkpath(bench->installPath + QStringLiteral("help"));
        for (const QString &path : {editor, help}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        AgentTestBench::saveStored(QStringLiteral("MacroEditor"), editor);
        bench->control->chooseCommand(QStringLiteral("macroeditor"));
        bench->control->chooseCommand(QStringLiteral("help"));
        QCOMPARE(bench->shell.requests().size(), 2);
        QCOMPARE(bench->shell.requests()[0].file, editor);
        QCOMPARE(bench->shell.requests()[0].operation, QStringLiteral("open"));
        QCOMPARE(bench->shell.requests()[0].showMode, 1);
        QCOMPARE(bench->shell.requests()[1].file, help);

        // The shell refusing is recorded too.
        bench->shell.setResult(ShellExecutor::AccessDenied);
        agent->putLastError({});
        bench->control->chooseCommand(QStringLiteral("help"));
        QCOMPARE(agent->LastError().number, 75);
    }

    void propertySheetCommand_data()
    {
        QTest::addColumn<bool>("speechInput");
        QTest::addColumn<QString>("advice");
        QTest::newRow("speech input off")
            << false << QStringLiteral("Wenn du die Spracheingabe aktivieren willst, musst du auf die Seite 'Sprache'...");
        QTest::newRow("speech input on") << true << QStringLiteral("Du kannst hier deinen Freund einstellen.");
    }
    void propertySheetCommand()
    {
        QFETCH(bool, speechInput);
        QFETCH(QString, advice);
        auto agent = bench->agentWithCharacter();
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        bench->character()->setVisibleState(true);
        bench->control->setSpeechInputEnabled(speechInput);
        bench->control->placePropertySheet(320, 240);
        bench->control->chooseCommand(QStringLiteral("ACO"));
        QCOMPARE(bench->control->calls(),
                 (QStringList{"PropertySheet.Visible=True", "somebody.Stop()", "somebody.GestureAt(320, 240)",
                              "somebody.Speak(Aha, du willst also an die Einstellungen..., )", "somebody.Play(Explain)",
                              QStringLiteral("somebody.Speak(%1, )").arg(advice)}));
    }

    void menuListFindsEntriesByPositionAndKey()
    {
        colMenu menu;
        QVERIFY(menu.Add(QStringLiteral("a"), QStringLiteral("A"), QString(), true, true, QStringLiteral("a")));
        QVERIFY(menu.Add(QStringLiteral("b"), QStringLiteral("B"), QString(), true, true, QStringLiteral("b")));
        QVERIFY(!menu.Add(QStringLiteral("x"), QStringLiteral("X"), QString(), true, true, QStringLiteral("B")));
        QCOMPARE(menu.Count(), 2);
        QCOMPARE(menu.Item(1)->Key, QStringLiteral("a"));
        QCOMPARE(menu.Item(QStringLiteral("B"))->Caption, QStringLiteral("B"));
        QVERIFY(!menu.Item(0));
        QVERIFY(!menu.Item(3));
        menu.Remove(QStringLiteral("zz"));
        menu.Remove(7);
        QCOMPARE(menu.Count(), 2);
        menu.Remove(QStringLiteral("A"));
        QCOMPARE(menu.Item(1)->Key, QStringLiteral("b"));
        QVERIFY(!menu.Item(QStringLiteral("a")));
    }

private:
    std::unique_ptr<AgentTestBench> bench;
};

QTEST_MAIN(TestAgentMenu)
#include "tst_agentmenu.moc"
