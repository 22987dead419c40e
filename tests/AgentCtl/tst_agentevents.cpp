// What the character service reports reaches the clients for our own
// character only, and keeps the stored place and visibility up to date.

#include "support/AgentTestBench.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tilvano;
using namespace tilvano::test;

class TestAgentEvents : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AgentTestBench>(); }
    void cleanup() { bench.reset(); }

    void eventsOfOtherCharactersAreLoggedButNotRaised()
    {
        auto agent = bench->agentWithCharacter();
        int raised = 0;
        auto count = [&raised] { ++raised; };
        for (auto signal : {&Agent::ShowEvent, &Agent::HideEvent})
            connect(agent.get(), signal, this, count);
        for (auto signal : {&Agent::ClickEvent, &Agent::DblClickEvent})
            connect(agent.get(), signal, this, count);
        for (auto signal : {&Agent::BalloonShowEvent, &Agent::BalloonHideEvent, &Agent::evIdleStart})
            connect(agent.get(), signal, this, count);
        connect(agent.get(), &Agent::MoveEvent, this, count);

        const QString other = QStringLiteral("Merlin");
        RecordingAgentControl &control = *bench->control;
        emit control.clicked(other, 1, 0, 10, 20);
        emit control.doubleClicked(other, 1, 0, 10, 20);
        emit control.moved(other, 300, 200, 1);
        emit control.shown(other, 1);
        emit control.hidden(other, 1);
        emit control.balloonShown(other);
        emit control.balloonHidden(other);
        emit control.idleStarted(other);

        QCOMPARE(bench->logMessages(),
                 (QStringList{"oAgentCtl_Click", "oAgentCtl_DblClick", "oAgentCtl_Move: 300/200", "oAgentCtl_Show",
                              "oAgentCtl_Hide", "oAgentCtl_BalloonShow", "oAgentCtl_BalloonHide", "oAgentCtl_IdleStart"}));
        QCOMPARE(raised, 0);
        QVERIFY(control.calls().isEmpty());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Left")), QStringLiteral("<absent>"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Visible")), QStringLiteral("<absent>"));
    }

    void moveStoresThePlaceBlinksAndTellsTheClients()
    {
        auto agent = bench->agentWithCharacter();
        bench->character()->setVisibleState(true);
        QStringList seen;
        connect(agent.get(), &Agent::MoveEvent, this, [&](qint16 &x, qint16 &y, qint16 &cause) {
            seen << QStringLiteral("%1/%2/%3").arg(x).arg(y).arg(cause) << bench->control->calls();
        });
        emit bench->control->moved(QStringLiteral("somebody"), 300, 200, 2);
        QCOMPARE(AgentTestBench::active(QStringLiteral("Left")), QStringLiteral("300"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Top")), QStringLiteral("200"));
        QCOMPARE(seen, (QStringList{"300/200/2", "somebody.Play(Blink)"}));
        QCOMPARE(bench->logMessages(), (QStringList{"oAgentCtl_Move: 300/200", "PlayAni: Blink"}));
    }

    void doubleClickStopsEverythingBeforeTheClientsHear()
    {
        auto agent = bench->agentWithCharacter();
        QStringList callsWhenRaised;
        QList<qint16> arguments;
        connect(agent.get(), &Agent::DblClickEvent, this, [&](qint16 &button, qint16 &shift, qint16 &x, qint16 &y) {
            callsWhenRaised = bench->control->calls();
            arguments = {button, shift, x, y};
        });
        emit bench->control->doubleClicked(QStringLiteral("somebody"), 1, 4, -5, 600);
        QCOMPARE(callsWhenRaised, QStringList{QStringLiteral("somebody.StopAll()")});
        QCOMPARE(arguments, (QList<qint16>{1, 4, -5, 600}));
    }

    void showingAndHidingAreRemembered()
    {
        auto agent = bench->agentWithCharacter();
        QList<qint16> shown, hidden;
        connect(agent.get(), &Agent::ShowEvent, this, [&shown](qint16 &cause) { shown.append(cause); });
        connect(agent.get(), &Agent::HideEvent, this, [&hidden](qint16 &cause) { hidden.append(cause); });
        emit bench->control->shown(QStringLiteral("somebody"), 3);
        QCOMPARE(AgentTestBench::active(QStringLiteral("Visible")), QStringLiteral("True"));
        QCOMPARE(shown, QList<qint16>{3});

        bench->character()->placeAt(12, 34);
        emit bench->control->hidden(QStringLiteral("somebody"), 1);
        QCOMPARE(AgentTestBench::active(QStringLiteral("Visible")), QStringLiteral("False"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Left")), QStringLiteral("12"));
        QCOMPARE(AgentTestBench::active(QStringLiteral("Top")), QStringLiteral("34"));
        QCOMPARE(hidden, QList<qint16>{1});

        // Without a character there is no place to remember and nothing to tell.
        QString nothing;
        agent->LoadChar(nothing);
        AgentTestBench::saveActive(QStringLiteral("Visible"), QStringLiteral("True"));
        emit bench->control->hidden(QStringLiteral("somebody"), 1);
        QCOMPARE(AgentTestBench::active(QStringLiteral("Visible")), QStringLiteral("True"));
        QCOMPARE(hidden.size(), 1);
    }

    void clientsGetTheOtherEventsAndMayCallBack()
    {
        auto agent = bench->agentWithCharacter();
        agent->setSpeed(-1);
        agent->setPitch(-1);
        agent->setVolume(-1);
        bench->character()->setVisibleState(true);
        connect(agent.get(), &Agent::ClickEvent, this, [&](qint16 &, qint16 &, qint16 &x, qint16 &y) {
            QString text = QStringLiteral("Klick bei %1/%2").arg(x).arg(y);
            agent->SpeakIt(text);
        });
        QSignalSpy balloonShown(agent.get(), &Agent::BalloonShowEvent);
        QSignalSpy balloonHidden(agent.get(), &Agent::BalloonHideEvent);
        QSignalSpy idle(agent.get(), &Agent::evIdleStart);
        QSignalSpy properties(agent.get(), &Agent::evPropertyChange);
        emit bench->control->clicked(QStringLiteral("somebody"), 2, 0, 15, 25);
        emit bench->control->balloonShown(QStringLiteral("somebody"));
        emit bench->control->balloonHidden(QStringLiteral("somebody"));
        emit bench->control->idleStarted(QStringLiteral("somebody"));
        emit bench->control->propertiesChanged();
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.Speak(Klick bei 15/25, )")});
        QCOMPARE(balloonShown.size(), 1);
        QCOMPARE(balloonHidden.size(), 1);
        QCOMPARE(idle.size(), 1);
        QCOMPARE(properties.size(), 1);
    }

    void malformedEventsAreRecordedNotRun_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariantList>("parameters");
        QTest::addColumn<int>("error");
        QTest::newRow("too few") << QStringLiteral("Click") << QVariantList{QStringLiteral("somebody")} << 9;
        QTest::newRow("no number") << QStringLiteral("Move") << QVariantList{QStringLiteral("somebody"), QStringLiteral("links"), 1, 2} << 13;
        QTest::newRow("beyond 16 bits") << QStringLiteral("Move") << QVariantList{QStringLiteral("somebody"), 70000, 1, 2} << 6;
        QTest::newRow("no user input") << QStringLiteral("Command") << QVariantList{42} << 13;
        QTest::newRow("no parameters") << QStringLiteral("Show") << QVariantList{} << 9;
        QTest::newRow("unknown event") << QStringLiteral("Bounce") << QVariantList{} << 0;
        QTest::newRow("names are exact") << QStringLiteral("move") << QVariantList{QStringLiteral("somebody"), 1, 2, 3} << 0;
    }
    void malformedEventsAreRecordedNotRun()
    {
        QFETCH(QString, name);
        QFETCH(QVariantList, parameters);
        QFETCH(int, error);
        auto agent = bench->agentWithCharacter();
        int moved = 0;
        connect(agent.get(), &Agent::MoveEvent, this, [&moved] { ++moved; });
        agent->DispatchControlEvent(name, parameters);
        QCOMPARE(agent->LastError().number, error);
        QCOMPARE(moved, 0);
        QVERIFY(bench->control->calls().isEmpty());
        QCOMPARE(AgentTestBench::active(QStringLiteral("Left")), QStringLiteral("<absent>"));
    }

    void randomAnimationCanPickEveryName()
    {
        bench->profile.animationNames = {QStringLiteral("Erste"), QStringLiteral("Mitte"), QStringLiteral("Letzte")};
        auto agent = bench->agentWithCharacter();
        bench->character()->setVisibleState(true);
        QSet<QString> picked;
        // Each pick has a chance of one in three; 300 rounds miss one with odds of about 1e-52.
        for (int round = 0; round < 300 && picked.size() < 3; ++round) {
            bench->control->clearCalls();
            bench->control->chooseCommand(QStringLiteral("randomanimation"));
            const QStringList calls = bench->control->calls();
            QCOMPARE(calls.size(), 3);
            QCOMPARE(calls[0], QStringLiteral("somebody.StopAll()"));
            const QString name = calls[1].mid(QStringLiteral("somebody.Think(").size()).chopped(1);
            QCOMPARE(calls[2], QStringLiteral("somebody.Play(%1)").arg(name));
            picked.insert(name);
        }
        QCOMPARE(picked, (QSet<QString>{"Erste", "Mitte", "Letzte"}));
        QVERIFY(bench->logMessages().contains(QStringLiteral("PlayRandomAnimation")));
    }

    void randomAnimationWithoutNamesPlaysNothing()
    {
        bench->profile.animationNames = {};
        auto agent = bench->agentWithCharacter();
        bench->control->chooseCommand(QStringLiteral("randomanimation"));
        QCOMPARE(bench->control->calls(), QStringList{QStringLiteral("somebody.StopAll()")});
        QCOMPARE(agent->LastError().number, 9);
    }

private:
    std::unique_ptr<AgentTestBench> bench;
};

QTEST_MAIN(TestAgentEvents)
#include "tst_agentevents.moc"
