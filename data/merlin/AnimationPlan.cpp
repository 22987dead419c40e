#include "AnimationPlan.h"

#include <array>
#include <functional>

namespace tilvano::merlin {

namespace {

using acs::Branch;
using acs::TransitionType;

struct Step {
    Pose pose;
    quint16 duration = 10;
    int loopTo = -1;        // step to jump back to after this one, or -1
    quint16 loopChance = 0; // percent
};

PlannedFrame frameOf(const Step &step)
{
    PlannedFrame frame;
    frame.pose = step.pose;
    frame.duration = step.duration;
    return frame;
}

// Starts from the rest pose, plays the steps and holds the last one; the wizard
// speaks on that pose. Leaving runs the steps backwards to the rest pose and
// ends on an invisible frame, so an interrupted gesture never jumps.
PlannedAnimation holdsPose(const QString &name, const QList<Step> &steps)
{
    PlannedAnimation a{name, TransitionType::ExitBranches, {}, {}};
    PlannedFrame rest;
    rest.pose = restPose();
    rest.duration = 6;
    a.frames.append(rest);
    for (const Step &step : steps) {
        PlannedFrame frame = frameOf(step);
        if (step.loopTo >= 0)
            frame.branches.append(Branch{quint16(step.loopTo + 1), step.loopChance});
        a.frames.append(frame);
    }
    a.frames.last().speaking = true;
    PlannedFrame end;
    end.duration = 0;
    end.exitFrame = acs::ExitPathEnd;
    a.frames.append(end);
    const qint16 endIndex = qint16(a.frames.size() - 1);
    a.frames[0].exitFrame = endIndex;
    for (qint16 i = 1; i < endIndex; ++i)
        a.frames[i].exitFrame = qint16(i - 1);
    return a;
}

// Plays the steps and comes back to the rest pose by itself.
PlannedAnimation settles(const QString &name, const QList<Step> &steps)
{
    PlannedAnimation a{name, TransitionType::None, {}, {}};
    for (const Step &step : steps) {
        PlannedFrame frame = frameOf(step);
        if (step.loopTo >= 0)
            frame.branches.append(Branch{quint16(step.loopTo), step.loopChance});
        a.frames.append(frame);
    }
    PlannedFrame rest;
    rest.pose = restPose();
    rest.duration = 10;
    rest.speaking = true;
    a.frames.append(rest);
    return a;
}

// Plays the steps and holds the last one; the named animation brings the
// wizard back to rest afterwards.
PlannedAnimation returnsWith(const QString &name, const QString &returnName, const QList<Step> &steps)
{
    PlannedAnimation a{name, TransitionType::ReturnAnimation, returnName, {}};
    for (const Step &step : steps) {
        PlannedFrame frame = frameOf(step);
        if (step.loopTo >= 0)
            frame.branches.append(Branch{quint16(step.loopTo), step.loopChance});
        a.frames.append(frame);
    }
    a.frames.last().speaking = true;
    return a;
}

Pose with(std::function<void(Pose &)> change)
{
    Pose p = restPose();
    change(p);
    return p;
}

// --- Poses shared by several animations -------------------------------------

Pose holdingBook(double pageTurn = 0, double glance = 0)
{
    return with([&](Pose &p) {
        p.wand = false;
        p.prop = Prop::Book;
        p.propPhase = pageTurn;
        p.rightArm = {60, -75};
        p.leftArm = {60, -75};
        p.lookY = 1;
        p.lookX = glance;
        p.headNod = 0.4;
    });
}

Pose liftingBook()
{
    return with([](Pose &p) {
        p.wand = false;
        p.rightArm = {35, -40};
        p.leftArm = {35, -40};
        p.lookY = 0.5;
    });
}

Pose writing(double progress, double stroke = 0)
{
    return with([&](Pose &p) {
        p.wand = false;
        p.prop = Prop::Quill;
        p.propPhase = progress;
        p.leftArm = {30, -70};
        p.rightArm = {20, -70 + stroke};
        p.lookY = 1;
        p.lookX = 0.3;
        p.headNod = 0.4;
    });
}

Pose liftingQuill()
{
    return with([](Pose &p) {
        p.wand = false;
        p.leftArm = {25, -50};
        p.rightArm = {20, -50};
        p.lookY = 0.6;
    });
}

Pose thinking(double dots)
{
    return with([&](Pose &p) {
        p.leftArm = {5, -151};
        p.lookX = 0.7;
        p.lookY = -1;
        p.brows = 0.4;
        p.mouth = Mouth::Flat;
        p.sign = Sign::ThoughtDots;
        p.signPhase = dots;
    });
}

Pose handAtEar()
{
    return with([](Pose &p) {
        p.leftArm = {120, -136};
        p.lookX = 1;
        p.brows = 0.8;
        p.mouth = Mouth::Closed;
    });
}

Pose travelling(int direction, double bob)
{
    // direction: 1 screen left, 2 screen right, 3 up, 4 down
    return with([&](Pose &p) {
        p.streaks = direction;
        p.offsetY = bob;
        switch (direction) {
        case 1: p.lean = -10; p.scale = 0.94; p.headTurn = -1; p.lookX = -1; p.rightArm = {30, 10}; break;
        case 2: p.lean = 10; p.scale = 0.94; p.headTurn = 1; p.lookX = 1; p.leftArm = {30, 10}; break;
        case 3: p.lookY = -1; p.headNod = -0.6; p.rightArm = {120, 150}; p.leftArm = {120, 150}; p.wandAngle = 175; break;
        default: p.lookY = 1; p.headNod = 0.8; p.rightArm = {60, 40}; p.leftArm = {60, 40}; p.hatTilt = -4; break;
        }
    });
}

Pose halfway(const Pose &from, const Pose &to)
{
    Pose p = to;
    auto mid = [](double a, double b) { return (a + b) / 2; };
    p.lean = mid(from.lean, to.lean);
    p.headTurn = mid(from.headTurn, to.headTurn);
    p.headNod = mid(from.headNod, to.headNod);
    p.headTilt = mid(from.headTilt, to.headTilt);
    p.hatTilt = mid(from.hatTilt, to.hatTilt);
    p.lookX = mid(from.lookX, to.lookX);
    p.lookY = mid(from.lookY, to.lookY);
    p.offsetY = mid(from.offsetY, to.offsetY);
    p.rightArm = {mid(from.rightArm.upper, to.rightArm.upper), mid(from.rightArm.fore, to.rightArm.fore)};
    p.leftArm = {mid(from.leftArm.upper, to.leftArm.upper), mid(from.leftArm.fore, to.leftArm.fore)};
    p.wandAngle = mid(from.wandAngle, to.wandAngle);
    p.sign = Sign::None;
    p.streaks = 0;
    p.sparkles = 0;
    p.wandGlow = 0;
    p.mouth = from.mouth;
    return p;
}

// The usual shape of a gesture: ease in through a halfway pose, then hold.
PlannedAnimation gesture(const QString &name, const Pose &target, quint16 hold = 20)
{
    return holdsPose(name, {{halfway(restPose(), target), 8}, {target, hold}});
}

Pose pointing(int towards)
{
    // towards: 1 the wizard's right (screen left), 2 his left, 3 up, 4 down
    return with([&](Pose &p) {
        switch (towards) {
        case 1: p.rightArm = {72, 88}; p.wandAngle = 150; p.lookX = -1; p.headTurn = -0.5; break;
        case 2: p.leftArm = {75, 90}; p.lookX = 1; p.headTurn = 0.5; break;
        case 3: p.leftArm = {160, 178}; p.lookY = -1; p.lookX = 0.5; p.headNod = -0.5; break;
        default: p.leftArm = {40, 35}; p.lookY = 1; p.lookX = 0.6; p.headNod = 0.6; break;
        }
    });
}

Pose looking(double x, double y)
{
    return with([&](Pose &p) {
        p.lookX = x;
        p.lookY = y;
        p.headTurn = x * 0.8;
        p.headNod = y * 0.8;
    });
}

Pose blinking(double lid)
{
    return with([&](Pose &p) {
        if (lid >= 1)
            p.eyes = Eyes::Closed;
        else
            p.eyelid = lid;
    });
}

QList<PlannedAnimation> everyday()
{
    QList<PlannedAnimation> list;
    PlannedAnimation rest{QStringLiteral("RestPose"), TransitionType::None, {}, {}};
    PlannedFrame restFrame;
    restFrame.pose = restPose();
    restFrame.speaking = true;
    rest.frames.append(restFrame);
    list.append(rest);

    // Appearing out of a puff of magic smoke, and vanishing into one.
    auto puffed = [](double scale, double puff, int sparkles, int phase) {
        return with([&](Pose &p) {
            p.scale = scale;
            p.puff = puff;
            p.sparkles = sparkles;
            p.sparklePhase = phase;
            p.eyes = Eyes::Happy;
        });
    };
    list.append(settles(QStringLiteral("Show"),
                        {{puffed(0, 0.35, 3, 0), 8}, {puffed(0.3, 0.8, 5, 1), 8}, {puffed(0.6, 1, 6, 2), 8},
                         {puffed(0.9, 0.6, 4, 3), 8}, {puffed(1, 0.25, 3, 4), 8}}));
    PlannedAnimation hide = settles(QStringLiteral("Hide"),
                                    {{restPose(), 6}, {puffed(1, 0.4, 3, 0), 8}, {puffed(0.8, 0.9, 5, 1), 8},
                                     {puffed(0.45, 1, 6, 2), 8}, {puffed(0.15, 0.6, 4, 3), 8}, {puffed(0, 0.2, 2, 4), 8}});
    hide.frames.last() = PlannedFrame{std::nullopt, 1, acs::NoExit, {}, false}; // ends unseen
    list.append(hide);

    list.append(settles(QStringLiteral("Blink"),
                        {{blinking(0.5), 4}, {blinking(1), 6}, {blinking(0.5), 4}}));
    list.append(settles(QStringLiteral("Acknowledge"),
                        {{with([](Pose &p) { p.headNod = 0.9; p.eyes = Eyes::Happy; }), 10},
                         {restPose(), 8},
                         {with([](Pose &p) { p.headNod = 0.9; p.eyes = Eyes::Happy; }), 10}}));
    auto shake = [](double turn) {
        return with([&](Pose &p) {
            p.headTurn = turn;
            p.lookX = turn;
            p.mouth = Mouth::Frown;
            p.brows = -0.6;
            p.leftArm = {60, 150};
        });
    };
    list.append(settles(QStringLiteral("Decline"),
                        {{shake(0), 8}, {shake(-0.9), 8}, {shake(0.9), 8}, {shake(-0.9), 8}, {shake(0), 10}}));
    return list;
}

QList<PlannedAnimation> gestures()
{
    QList<PlannedAnimation> list;
    list.append(gesture(QStringLiteral("GestureRight"), pointing(1)));
    list.append(gesture(QStringLiteral("GestureLeft"), pointing(2)));
    list.append(gesture(QStringLiteral("GestureUp"), pointing(3)));
    list.append(gesture(QStringLiteral("GestureDown"), pointing(4)));
    list.append(gesture(QStringLiteral("LookRight"), looking(-1, 0)));
    list.append(gesture(QStringLiteral("LookLeft"), looking(1, 0)));
    list.append(gesture(QStringLiteral("LookUp"), looking(0, -1)));
    list.append(gesture(QStringLiteral("LookDown"), looking(0, 1)));

    const std::array<QString, 4> moves{QStringLiteral("MoveLeft"), QStringLiteral("MoveRight"), QStringLiteral("MoveUp"),
                                       QStringLiteral("MoveDown")};
    for (int d = 1; d <= 4; ++d) {
        const Pose a = travelling(d, 0);
        const Pose b = travelling(d, -2);
        list.append(holdsPose(moves[std::size_t(d - 1)],
                              {{halfway(restPose(), a), 6}, {a, 8}, {b, 8, 1, 80}, {a, 8}}));
    }

    auto waving = [](double fore) {
        return with([&](Pose &p) {
            p.leftArm = {100, fore};
            p.mouth = Mouth::Grin;
            p.eyes = Eyes::Happy;
        });
    };
    list.append(holdsPose(QStringLiteral("Wave"),
                          {{waving(120), 6}, {waving(150), 8}, {waving(190), 8}, {waving(150), 8}, {waving(190), 8},
                           {with([](Pose &p) { p.leftArm = {100, 170}; }), 16}}));
    list.append(holdsPose(QStringLiteral("Greet"),
                          {{with([](Pose &p) { p.squash = 0.35; p.headNod = 1; p.eyes = Eyes::Happy; p.hatTilt = 4; }), 14},
                           {waving(150), 8}, {waving(190), 8}, {waving(150), 8},
                           {with([](Pose &p) { p.leftArm = {100, 170}; p.mouth = Mouth::Smile; }), 16}}));

    auto explaining = with([](Pose &p) {
        p.rightArm = {40, 100};
        p.leftArm = {40, 100};
        p.wandAngle = 140;
        p.brows = 0.5;
    });
    list.append(gesture(QStringLiteral("Explain"), explaining));

    auto scratching = [](double hat) {
        return with([&](Pose &p) {
            p.leftArm = {140, -159};
            p.headTilt = -8;
            p.hatTilt = hat;
            p.worried = true;
            p.mouth = Mouth::Flat;
            p.sign = Sign::Question;
            p.signPhase = hat < 0 ? 0.5 : 0;
            p.lookX = -0.5;
            p.lookY = -0.6;
        });
    };
    list.append(holdsPose(QStringLiteral("Confused"),
                          {{halfway(restPose(), scratching(0)), 8}, {scratching(0), 10}, {scratching(-5), 10},
                           {scratching(0), 10}, {scratching(-5), 10}, {scratching(0), 20}}));

    auto surprised = [](double hop) {
        return with([&](Pose &p) {
            p.eyes = Eyes::Wide;
            p.mouth = Mouth::Oh;
            p.brows = 1;
            p.offsetY = hop;
            p.hatTilt = hop < 0 ? -6 : 0;
            p.rightArm = {60, 130};
            p.leftArm = {60, 130};
            p.wandAngle = 130;
            p.sign = Sign::Exclamation;
        });
    };
    list.append(holdsPose(QStringLiteral("Surprised"), {{surprised(-4), 8}, {surprised(0), 20}}));

    list.append(gesture(QStringLiteral("Pleased"), with([](Pose &p) {
                            p.eyes = Eyes::Happy;
                            p.blush = true;
                            p.mouth = Mouth::Grin;
                            p.rightArm = {20, -80};
                            p.leftArm = {20, -80};
                            p.wandAngle = 150;
                            p.sign = Sign::Heart;
                        })));

    auto sad = [](double tear) {
        return with([&](Pose &p) {
            p.worried = true;
            p.mouth = Mouth::Frown;
            p.lookY = 1;
            p.headNod = 0.8;
            p.headTilt = 4;
            p.hatTilt = 8;
            p.rightArm = {5, 5};
            p.leftArm = {5, 5};
            p.wandAngle = 20;
            p.sign = Sign::Tear;
            p.signPhase = tear;
        });
    };
    list.append(holdsPose(QStringLiteral("Sad"), {{halfway(restPose(), sad(0)), 10}, {sad(0), 16}, {sad(0.5), 16}, {sad(1), 20}}));

    list.append(gesture(QStringLiteral("Think"), thinking(0)));
    list.append(holdsPose(QStringLiteral("Thinking"),
                          {{halfway(restPose(), thinking(0)), 8}, {thinking(0), 16}, {thinking(0.5), 16},
                           {thinking(1), 16, 1, 90}, {thinking(0), 16}}));

    auto alert = with([](Pose &p) {
        p.eyes = Eyes::Wide;
        p.brows = 1;
        p.mouth = Mouth::Closed;
        p.offsetY = -2;
        p.rightArm = {30, 10};
        p.leftArm = {30, 10};
        p.wandAngle = 175;
        p.sign = Sign::Exclamation;
    });
    list.append(gesture(QStringLiteral("Alert"), alert, 16));

    list.append(gesture(QStringLiteral("Announce"), with([](Pose &p) {
                            p.wand = false;
                            p.prop = Prop::Scroll;
                            p.rightArm = {60, -75};
                            p.leftArm = {60, -75};
                            p.brows = 1;
                            p.mouth = Mouth::Wide2;
                        })));

    auto cheering = [](int phase, double fore) {
        return with([&](Pose &p) {
            p.rightArm = {140, fore};
            p.leftArm = {140, fore};
            p.wandAngle = 170;
            p.wandGlow = 1;
            p.eyes = Eyes::Happy;
            p.mouth = Mouth::Grin;
            p.sparkles = 8;
            p.sparklePhase = phase;
            p.offsetY = phase % 2 ? -3 : 0;
        });
    };
    list.append(holdsPose(QStringLiteral("Congratulate"),
                          {{halfway(restPose(), cheering(0, 160)), 6}, {cheering(0, 160), 8}, {cheering(1, 175), 8},
                           {cheering(2, 160), 8}, {cheering(3, 175), 8}, {cheering(4, 160), 20}}));

    auto attention = [](int phase) {
        return with([&](Pose &p) {
            p.rightArm = {140, phase % 2 ? 150.0 : 175.0};
            p.leftArm = {120, phase % 2 ? 190.0 : 150.0};
            p.wandAngle = 170;
            p.wandGlow = phase % 2 ? 1 : 0.5;
            p.sparklePhase = phase;
            p.offsetY = phase % 2 ? -4 : 0;
            p.mouth = Mouth::Wide3;
            p.brows = 1;
            p.sign = Sign::Exclamation;
            p.signPhase = phase % 2 ? 0.5 : 0;
        });
    };
    list.append(holdsPose(QStringLiteral("GetAttention"),
                          {{attention(0), 8}, {attention(1), 8}, {attention(2), 8}, {attention(3), 8},
                           {with([](Pose &p) { p.brows = 1; p.leftArm = {100, 170}; }), 20}}));

    auto magic = [](int phase, double glow) {
        return with([&](Pose &p) {
            p.rightArm = {140, 165};
            p.leftArm = {50, 60};
            p.wandAngle = 170;
            p.wandGlow = glow;
            p.sparkles = glow > 0 ? 4 : 0;
            p.sparklePhase = phase;
            p.lookX = -0.7;
            p.lookY = -1;
            p.brows = 0.6;
        });
    };
    list.append(holdsPose(QStringLiteral("DoMagic1"),
                          {{halfway(restPose(), magic(0, 0)), 8}, {magic(0, 0), 8}, {magic(1, 0.5), 8}, {magic(2, 1), 20}}));
    auto casting = [](int phase, double wandAngle, double upper, double fore) {
        return with([&](Pose &p) {
            p.rightArm = {upper, fore};
            p.wandAngle = wandAngle;
            p.wandGlow = 1;
            p.sparkles = 10;
            p.sparklePhase = phase;
            p.eyes = Eyes::Happy;
            p.mouth = Mouth::Grin;
        });
    };
    list.append(settles(QStringLiteral("DoMagic2"),
                        {{magic(2, 1), 6}, {casting(0, 165, 30, 150), 6}, {casting(1, 150, 40, 140), 10},
                         {casting(2, 150, 40, 140), 10}, {casting(3, 160, 30, 120), 10}}));

    auto processing = [](int phase) {
        static const std::array<double, 4> angles{175, 150, 125, 150};
        return with([&](Pose &p) {
            p.rightArm = {30, 150};
            p.wandAngle = angles[std::size_t(phase % 4)];
            p.wandGlow = 0.7;
            p.sparkles = 3 + phase % 3;
            p.sparklePhase = phase;
            p.eyes = Eyes::Closed;
            p.mouth = Mouth::Flat;
            p.brows = -0.3;
        });
    };
    list.append(holdsPose(QStringLiteral("Process"),
                          {{processing(0), 8}, {processing(1), 8}, {processing(2), 8}, {processing(3), 8, 0, 60},
                           {with([](Pose &p) { p.rightArm = {30, 150}; p.wandAngle = 160; }), 14}}));

    auto searching = [](double look) {
        return with([&](Pose &p) {
            p.prop = Prop::Magnifier;
            p.leftArm = {130, -100};
            p.lookX = look;
            p.lookY = 0.4;
            p.brows = 0.6;
            p.mouth = Mouth::Closed;
        });
    };
    list.append(holdsPose(QStringLiteral("Search"),
                          {{halfway(restPose(), searching(0)), 8}, {searching(0), 10}, {searching(-0.8), 12},
                           {searching(0.8), 12}, {searching(0), 16}}));

    list.append(holdsPose(QStringLiteral("Suggest"),
                          {{with([](Pose &p) { p.leftArm = {70, 120}; p.brows = 0.5; }), 8},
                           {with([](Pose &p) {
                                p.leftArm = {110, 175};
                                p.brows = 1;
                                p.mouth = Mouth::Grin;
                                p.sign = Sign::Idea;
                            }),
                            20}}));

    list.append(gesture(QStringLiteral("Uncertain"), with([](Pose &p) {
                            p.rightArm = {45, 120};
                            p.leftArm = {45, 120};
                            p.wandAngle = 140;
                            p.worried = true;
                            p.mouth = Mouth::Flat;
                            p.lookX = 0.6;
                            p.headTilt = 5;
                            p.sign = Sign::Sweat;
                        })));

    list.append(holdsPose(QStringLiteral("DontRecognize"),
                          {{halfway(restPose(), handAtEar()), 8},
                           {with([](Pose &p) {
                                p.leftArm = {120, -136};
                                p.lookX = 1;
                                p.worried = true;
                                p.mouth = Mouth::Flat;
                                p.headTilt = 6;
                                p.sign = Sign::Question;
                            }),
                            20}}));
    list.append(holdsPose(QStringLiteral("Hearing_1"),
                          {{halfway(restPose(), handAtEar()), 8}, {handAtEar(), 16},
                           {with([](Pose &p) {
                                p.leftArm = {120, -136};
                                p.lookX = 0.6;
                                p.brows = 1;
                                p.mouth = Mouth::Closed;
                            }),
                            16, 1, 90},
                           {handAtEar(), 10}}));
    return list;
}

QList<PlannedAnimation> readingAndWriting()
{
    QList<PlannedAnimation> list;
    const QString readReturn = QStringLiteral("ReadReturn");
    list.append(returnsWith(QStringLiteral("Read"), readReturn,
                            {{restPose(), 6}, {liftingBook(), 8}, {holdingBook(), 20}}));
    list.append(returnsWith(QStringLiteral("ReadContinued"), readReturn,
                            {{holdingBook(0.3), 8}, {holdingBook(0.7), 8}, {holdingBook(), 20}}));
    list.append(returnsWith(QStringLiteral("Reading"), readReturn,
                            {{holdingBook(0, -0.6), 30}, {holdingBook(0, 0.6), 30, 0, 85}, {holdingBook(0.3), 8},
                             {holdingBook(0.7), 8}, {holdingBook(), 20}}));
    list.append(settles(readReturn, {{holdingBook(), 4}, {liftingBook(), 8}}));

    const QString writeReturn = QStringLiteral("WriteReturn");
    list.append(returnsWith(QStringLiteral("Write"), writeReturn,
                            {{restPose(), 6}, {liftingQuill(), 8}, {writing(0), 20}}));
    list.append(returnsWith(QStringLiteral("WriteContinued"), writeReturn,
                            {{writing(0.25, 8), 8}, {writing(0.5, -8), 8}, {writing(0.75, 8), 8}, {writing(0.75), 20}}));
    list.append(returnsWith(QStringLiteral("Writing"), writeReturn,
                            {{writing(0.25, 8), 8}, {writing(0.5, -8), 8}, {writing(0.75, 8), 8, 0, 85}, {writing(1), 20}}));
    list.append(settles(writeReturn, {{writing(1), 4}, {liftingQuill(), 8}}));
    return list;
}

QList<PlannedAnimation> idling()
{
    QList<PlannedAnimation> list;
    list.append(settles(QStringLiteral("Idle1_1"),
                        {{restPose(), 60}, {blinking(0.5), 4}, {blinking(1), 6}, {blinking(0.5), 4}, {restPose(), 40},
                         {looking(-0.6, 0), 30}}));
    list.append(settles(QStringLiteral("Idle1_2"),
                        {{looking(-0.5, 0), 8}, {looking(-1, 0), 40}, {looking(0, 0), 8}, {looking(0.5, 0), 8},
                         {looking(1, 0), 40}, {looking(0.4, -0.4), 30}}));
    auto stroking = [](double fore) {
        return with([&](Pose &p) {
            p.leftArm = {5, fore};
            p.eyes = Eyes::Happy;
            p.mouth = Mouth::Closed;
        });
    };
    list.append(settles(QStringLiteral("Idle1_3"),
                        {{stroking(-140), 10}, {stroking(-150), 14}, {stroking(-120), 14}, {stroking(-100), 14},
                         {stroking(-150), 14}, {stroking(-120), 14}, {stroking(-100), 14}}));
    auto fixingHat = [](double tilt) {
        return with([&](Pose &p) {
            p.rightArm = {140, 165};
            p.wandAngle = 150;
            p.hatTilt = tilt;
            p.lookX = -0.5;
            p.lookY = -0.8;
        });
    };
    list.append(settles(QStringLiteral("Idle1_4"),
                        {{with([](Pose &p) { p.rightArm = {60, 120}; p.wandAngle = 150; p.lookY = -0.4; }), 8}, {fixingHat(-6), 14}, {fixingHat(2), 14},
                         {fixingHat(0), 14}}));
    auto humming = [](double sway, double phase) {
        return with([&](Pose &p) {
            p.lean = sway;
            p.eyes = Eyes::Happy;
            p.mouth = Mouth::Narrow;
            p.sign = Sign::Music;
            p.signPhase = phase;
        });
    };
    list.append(settles(QStringLiteral("Idle2_1"),
                        {{humming(-3, 0), 20}, {humming(3, 0.5), 20}, {humming(-3, 1), 20}, {humming(3, 0.5), 20},
                         {humming(0, 0), 16}}));
    auto yawning = [](double stretch) {
        return with([&](Pose &p) {
            p.eyes = Eyes::Closed;
            p.mouth = stretch > 0.5 ? Mouth::Wide4 : Mouth::Oh;
            p.rightArm = {150 * stretch, 175 * stretch};
            p.leftArm = {150 * stretch, 175 * stretch};
            p.wandAngle = 170;
            p.squash = -0.15 * stretch;
        });
    };
    list.append(settles(QStringLiteral("Idle2_2"),
                        {{yawning(0.5), 10}, {yawning(1), 40}, {yawning(0.5), 10}, {blinking(1), 20}}));

    auto sleeping = [](double z) {
        return with([&](Pose &p) {
            p.eyes = Eyes::Closed;
            p.mouth = Mouth::Oh;
            p.headNod = 0.7;
            p.headTilt = 6;
            p.hatTilt = 8;
            p.rightArm = {8, -30};
            p.wandAngle = 40;
            p.sign = Sign::Sleep;
            p.signPhase = z;
        });
    };
    // Asleep until something wakes him: the loop rarely ends by itself, and the
    // exit path lets him wake up smoothly when interrupted.
    list.append(holdsPose(QStringLiteral("Idle3_1"),
                          {{blinking(0.5), 20}, {blinking(1), 20}, {halfway(blinking(1), sleeping(0)), 20},
                           {sleeping(0), 30}, {sleeping(0.5), 30}, {sleeping(1), 30, 3, 95}, {blinking(0.5), 20}}));
    return list;
}

} // namespace

Pose restPose()
{
    return Pose{};
}

AnimationPlan buildAnimationPlan()
{
    AnimationPlan plan;
    plan.animations = everyday() + gestures() + readingAndWriting() + idling();

    auto state = [](const char *name, QStringList animations) {
        return acs::State{QString::fromLatin1(name), animations};
    };
    plan.states = {
        state("SHOWING", {QStringLiteral("Show")}),
        state("HIDING", {QStringLiteral("Hide")}),
        state("SPEAKING", {QStringLiteral("RestPose")}),
        state("IDLINGLEVEL1", {QStringLiteral("Idle1_1"), QStringLiteral("Idle1_2"), QStringLiteral("Idle1_3"),
                               QStringLiteral("Idle1_4")}),
        state("IDLINGLEVEL2", {QStringLiteral("Idle2_1"), QStringLiteral("Idle2_2")}),
        state("IDLINGLEVEL3", {QStringLiteral("Idle3_1")}),
        state("MOVINGLEFT", {QStringLiteral("MoveLeft")}),
        state("MOVINGRIGHT", {QStringLiteral("MoveRight")}),
        state("MOVINGUP", {QStringLiteral("MoveUp")}),
        state("MOVINGDOWN", {QStringLiteral("MoveDown")}),
        state("GESTURINGLEFT", {QStringLiteral("GestureLeft")}),
        state("GESTURINGRIGHT", {QStringLiteral("GestureRight")}),
        state("GESTURINGUP", {QStringLiteral("GestureUp")}),
        state("GESTURINGDOWN", {QStringLiteral("GestureDown")}),
        state("LISTENING", {QStringLiteral("Hearing_1")}),
        state("HEARING", {QStringLiteral("Hearing_1")}),
    };
    return plan;
}

} // namespace tilvano::merlin
