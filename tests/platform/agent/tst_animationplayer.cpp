#include "platform/agent/AgentClock.h"
#include "platform/agent/AnimationPlayer.h"
#include "platform/agent/RandomSource.h"

#include <QHash>
#include <QTest>

using namespace tilvano;
using namespace tilvano::agent;

namespace {

acs::Frame frame(quint16 duration, qint16 exit = acs::NoExit, QList<acs::Branch> branches = {}, bool visible = true)
{
    acs::Frame f;
    if (visible)
        f.layers.append(acs::FrameLayer{0, 0, 0});
    f.duration = duration;
    f.exitFrame = exit;
    f.branches = branches;
    return f;
}

acs::Frame invisibleFrame(qint16 exit = acs::NoExit) { return frame(0, exit, {}, false); }

acs::Animation animation(const QString &name, acs::TransitionType type, QList<acs::Frame> frames,
                         const QString &returnName = {})
{
    return acs::Animation{name, type, returnName, frames};
}

// A player over a handful of hand-made animations, recording what it shows and when.
struct Stage {
    AgentClock clock{AgentClock::Mode::Manual};
    RandomSource random{1234};
    QHash<QString, acs::Animation> animations;
    AnimationPlayer player{[this](const QString &name) -> const acs::Animation * {
                               const auto it = animations.constFind(name.toUpper());
                               return it == animations.cend() ? nullptr : &it.value();
                           },
                           clock, random};
    QList<QPair<QString, int>> shown;
    QList<qint64> shownAt;

    Stage()
    {
        QObject::connect(&player, &AnimationPlayer::frameShown, [this](const acs::Animation *a, int index) {
            shown.append({a->name, index});
            shownAt.append(clock.nowMs());
        });
    }
    void add(const acs::Animation &a) { animations.insert(a.name.toUpper(), a); }
    QList<int> indices() const
    {
        QList<int> result;
        for (const auto &entry : shown)
            result.append(entry.second);
        return result;
    }
};

} // namespace

class AnimationPlayerTest : public QObject
{
    Q_OBJECT

private slots:
    void framesFollowTheirDurationsAndInvisibleFramesTakeNoTime()
    {
        Stage stage;
        stage.add(animation("Walk", acs::TransitionType::None,
                            {frame(10), invisibleFrame(), frame(20), frame(5)}));
        bool finished = false;
        QVERIFY(stage.player.play("walk", [&] { finished = true; }));
        stage.clock.advance(349);
        QCOMPARE(stage.indices(), (QList<int>{0, 2, 3}));
        QCOMPARE(stage.shownAt, (QList<qint64>{0, 100, 300}));
        QVERIFY(!finished);
        stage.clock.advance(1);
        QVERIFY(finished);
        QCOMPARE(stage.player.shownFrameIndex(), 3);
        QVERIFY(!stage.player.play("nothing"));
    }

    void branchesAreTakenWithTheirProbability()
    {
        Stage stage;
        // From frame 0: 30 % to frame 2, otherwise on to frame 1.
        stage.add(animation("Fork", acs::TransitionType::None,
                            {frame(1, acs::NoExit, {acs::Branch{2, 30}}), frame(1), frame(1)}));
        int skipped = 0;
        constexpr int runs = 2000;
        for (int i = 0; i < runs; ++i) {
            stage.shown.clear();
            bool finished = false;
            stage.player.play("Fork", [&] { finished = true; });
            stage.clock.advance(100);
            QVERIFY(finished);
            if (!stage.indices().contains(1))
                ++skipped;
        }
        QVERIFY2(skipped > runs * 26 / 100 && skipped < runs * 34 / 100, qPrintable(QString::number(skipped)));
    }

    void sameSeedGivesTheSameRun()
    {
        auto runWithSeed = [](quint32 seed) {
            Stage stage;
            stage.random.reseed(seed);
            stage.add(animation("Dice", acs::TransitionType::None,
                                {frame(1, acs::NoExit, {acs::Branch{0, 40}, acs::Branch{2, 30}}), frame(1), frame(1)}));
            stage.player.play("Dice");
            stage.clock.advance(1000);
            return stage.indices();
        };
        QCOMPARE(runWithSeed(99), runWithSeed(99));
    }

    void exitBranchesRunBackToTheRestPose_data()
    {
        QTest::addColumn<bool>("interrupt");
        QTest::addColumn<QList<int>>("expectedAfterLeave");
        // Ended normally on frame 2: back through 1 and 0, then the empty end frame.
        QTest::newRow("ended") << false << QList<int>{1, 0};
        // Interrupted while frame 1 shows: only frame 0 is left to go back through.
        QTest::newRow("interrupted") << true << QList<int>{0};
    }
    void exitBranchesRunBackToTheRestPose()
    {
        QFETCH(bool, interrupt);
        QFETCH(QList<int>, expectedAfterLeave);
        Stage stage;
        stage.add(animation("Wave", acs::TransitionType::ExitBranches,
                            {frame(10, 3), frame(10, 0), frame(10, 1), invisibleFrame(acs::ExitPathEnd)}));
        stage.player.play("Wave");
        stage.clock.advance(interrupt ? 150 : 1000);
        stage.shown.clear();
        bool left = false;
        stage.player.leave([&] { left = true; });
        stage.clock.advance(1000);
        QVERIFY(left);
        QCOMPARE(stage.indices(), expectedAfterLeave);
    }

    void aNormallyEndedAnimationWithoutTransitionLeavesAtOnce()
    {
        Stage stage;
        stage.add(animation("Nod", acs::TransitionType::None, {frame(10, 0), frame(10, 0)}));
        stage.player.play("Nod");
        stage.clock.advance(500);
        stage.shown.clear();
        bool left = false;
        stage.player.leave([&] { left = true; });
        stage.clock.settle();
        QVERIFY(left);
        QVERIFY(stage.shown.isEmpty());
    }

    void returnAnimationPlaysBeforeWhatComesNext()
    {
        Stage stage;
        stage.add(animation("Read", acs::TransitionType::ReturnAnimation, {frame(10), frame(10)}, "READRETURN"));
        stage.add(animation("ReadReturn", acs::TransitionType::None, {frame(10), frame(10), frame(10)}));
        stage.player.play("Read");
        stage.clock.advance(1000);
        stage.shown.clear();
        bool left = false;
        stage.player.leave([&] { left = true; });
        stage.clock.advance(1000);
        QVERIFY(left);
        QCOMPARE(stage.shown.size(), 3);
        QCOMPARE(stage.shown.first().first, QStringLiteral("ReadReturn"));
    }

    void loopsAndZeroTimeCyclesEnd()
    {
        Stage stage;
        // An exit chain that points at itself, and a branch cycle that never lets time pass.
        stage.add(animation("Stuck", acs::TransitionType::ExitBranches, {frame(1, 1), frame(1, 1)}));
        stage.add(animation("Spin", acs::TransitionType::None,
                            {frame(0, acs::NoExit, {acs::Branch{1, 100}}), frame(0, acs::NoExit, {acs::Branch{0, 100}})}));
        bool finished = false;
        stage.player.play("Spin", [&] { finished = true; });
        stage.clock.settle();
        QVERIFY(finished);

        stage.player.play("Stuck");
        stage.clock.advance(1000);
        bool left = false;
        stage.player.leave([&] { left = true; });
        stage.clock.advance(1000);
        QVERIFY(left);
    }

    void anEndlessLoopGivesWayWhenSomethingWaits()
    {
        Stage stage;
        bool somethingWaits = false;
        stage.player.setYieldCheck([&] { return somethingWaits; });
        stage.add(animation("Hearing", acs::TransitionType::None,
                            {frame(10), frame(10, 0, {acs::Branch{1, 100}})}));
        bool finished = false;
        stage.player.play("Hearing", [&] { finished = true; });
        stage.clock.advance(5000);
        QVERIFY(!finished);
        somethingWaits = true;
        stage.clock.advance(100);
        QVERIFY(finished);
        // It was cut short, so leaving takes the exit branch of the frame it stopped on.
        stage.shown.clear();
        stage.player.leave([] {});
        stage.clock.advance(100);
        QCOMPARE(stage.indices(), QList<int>{0});
    }

    void framesCueTheirSounds()
    {
        Stage stage;
        acs::Frame loud = frame(10);
        loud.soundIndex = 3;
        stage.add(animation("Bell", acs::TransitionType::None, {frame(10), loud, frame(10)}));
        QList<QPair<int, qint64>> cues;
        QObject::connect(&stage.player, &AnimationPlayer::soundCue,
                         [&](int index) { cues.append({index, stage.clock.nowMs()}); });
        stage.player.play("Bell");
        stage.clock.advance(1000);
        QCOMPARE(cues, (QList<QPair<int, qint64>>{{3, 100}}));
    }

    void cancelDropsPendingSteps()
    {
        Stage stage;
        stage.add(animation("Long", acs::TransitionType::None, {frame(10), frame(10), frame(10)}));
        bool finished = false;
        stage.player.play("Long", [&] { finished = true; });
        stage.player.cancel();
        stage.clock.advance(1000);
        QVERIFY(!finished);
        QCOMPARE(stage.indices(), QList<int>{0});
    }
};

QTEST_GUILESS_MAIN(AnimationPlayerTest)
#include "tst_animationplayer.moc"
